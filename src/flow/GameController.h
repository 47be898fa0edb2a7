#pragma once
// The level in play: the one object that holds and rules a level. It is a
// context (drawn with its own time and camera) owned by the root object and
// registered with the server, and it is the Level its objects see (the
// current GameWorld while it lives).
//
// It owns three contexts: the sky (contextBackground), the world
// (contextGame, a ContextBlender whose camera takes the hero's cameras and
// which holds the eighteen object lists, in the order they tick and draw)
// and the HUD (contextHUD). Its properties are the level file's keys: the
// contexts, the lists, the editor panel, the playing area, the apples
// needed, the bonus flag, the par time, the season and the weather.
//
// A level runs through nine states: 1 opening (the view cuts to the hero,
// the transition opens), 2 level number and title, 3 music and "GO!", 4 play,
// 5 the end check (the hero has stayed home a second with the goal met, or
// the game goes back to 4), 6 scoring (merged into the profile and the
// high-score table), 7 statistics, 8 closing, 9 done (the server's outcome
// becomes 5). Every change of state goes to the peers and runs enterState
// on each of them.
//
// While the level is edited (an editor panel and the role's editing flag)
// the set-up and the rules of play do not run: the objects only tick.
#include <cstdint>

#include "flow/Overlay.h"
#include "gfx/Context.h"
#include "object/RPC.h"
#include "objects/Level.h"

class ContextBlender;
class EditorPropertyPanel;
class GameHud;
class Sky;
struct InputPointer;

// One row of the end-of-level statistics as the controller lays it out.
struct StatsRowLayout {
    int32_t points = 0;
    V3 position;
    uint32_t colour = 0;
    // The row's kind (-2 apples, -1 bonus apples, 0 sweets ... 4 total) and
    // whether it is the last (the total).
    int32_t kind = 0;
    bool last = false;
    // The stored best result's new-record flag and the attempt's perfect
    // flag of the row's category.
    bool newRecord = false;
    bool perfect = false;
    WString label;
    WString value;
    double delay = 0.0;
};

class GameController : public Context, public Level {
    ZUB_DECLARE_CLASS(GameController)
public:
    enum State : int32_t {
        OPENING = 1,
        TITLE = 2,
        GO = 3,
        PLAYING = 4,
        END_CHECK = 5,
        SCORING = 6,
        STATISTICS = 7,
        CLOSING = 8,
        DONE = 9,
    };
    // The explored map: one byte per cell of the playing area, 1 once seen.
    static constexpr int MINIMAP_WIDTH = 256;
    static constexpr int MINIMAP_HEIGHT = 192;
    // A touch nearer than this to a shown HUD button presses it.
    static constexpr float BUTTON_RADIUS = 35.0f;
    // The level map opens on normal levels below this number.
    static constexpr int32_t MAP_LEVELS = 31;
    static constexpr int32_t OUTCOME_COMPLETE = 5;
    // How far the cameras of the opening and the scoring stand, in screen
    // widths, and where the scoring puts the hero (screen widths left).
    static constexpr float VIEW_DEPTH = -0.65f;
    static constexpr float SCORING_SHIFT = 0.375f;
    static constexpr uint32_t AREA_OUTLINE_COLOUR = 0xFFFF00FFu;

    // The rows of the end-of-level statistics are made by the statistics
    // line class, which says how long its row takes; without it no row is
    // shown. It returns the row (added to the HUD) or null.
    using StatsRowMaker = ZubBase* (*)(const StatsRowLayout& layout, double* duration);
    static StatsRowMaker statsRowMaker;

    GameController();
    ~GameController() override;

    // --- building ---------------------------------------------------------------------
    // Sends the construct call (when the role allows) and runs it here.
    void construct();
    // The contexts and the lists; on the server (or without a role) also the
    // editor panel and the starter content of every level: a grassy placed
    // object, the terrain with three decorations, the hero, the house and
    // one apple.
    void local_construct();
    // The level's set-up once every object of the level exists (unless it
    // is edited): the boundary walls and floor, the season's hills, the
    // weather and the piglets
    // (graphics detail 1 or more; piglets not on bonus levels), the result's
    // counts, then state 1.
    void netPostReplicateGlobal() override;
    void addPropertiesTo(PropertyContainer* container) override;
    // What a loaded level lacks of what play needs ("context", "object
    // list", "hero", "house", or a context or list that hangs where it is
    // never ticked), or the empty text when it has everything.
    WString describeMissing();

    // --- frame ------------------------------------------------------------------------
    void tickContents(double time, double dt) override;
    // The controller draws as the context it is.
    void render() override;
    // The three contexts, then (debug features unlocked) the playing area.
    void renderContents() override;
    // Sends the new state and runs enterState on every peer.
    void onStateChange() override;
    // The entry actions of the current state.
    virtual void enterState();
    // Marks what the game camera sees of the playing area as explored.
    void updateExploredMap();

    // --- Level ------------------------------------------------------------------------
    int32_t levelState() const override { return state; }
    void local_setMessage(int32_t messenger, int32_t textId, double duration, const WString& text) override;
    BlendingCamera* getCameraNode() override;
    Camera* getGameCamera() override;
    WorldEditorPanel* getEditor() override;
    void shakeCamera(double strength, double duration) override;
    bool isTouchHeld(TouchButton button) const override;
    const GameConfiguration& getConfiguration() const override;
    int32_t getCurrentLevelNumber() const override;
    FontQuad* getBubbleFont() override;
    // The small outlined font: the editor's labels lie over sky, ground and
    // objects alike, and its dark outline keeps them readable over each.
    FontQuad* getLabelFont() override;
    // Opens the hint overlay on the root object, unless an overlay is open
    // already (one opened earlier in this frame).
    bool showHintPanel(const WString& title, const WString& text, Skin* icon) override;

    // --- calls and lookups ----------------------------------------------------------------
    // local_setMessage only on the peer whose node id is `player`.
    void local_setMessageForPlayer(uint32_t player, int32_t messenger, int32_t textId, const WString& text,
                                   double duration);
    // Offers the prompts of the list to a touch or mouse pointer, carried
    // into the world with the game camera.
    void findNearestObjectAtPointer(ZubBase* list, const InputPointer& pointer);
    // The level is open in the editor.
    bool isEditing() const;
    // Makes, registers, fills and opens an overlay of the kind on the root
    // object; false when no overlay of that kind exists.
    bool openOverlay(Overlay::Kind kind);
    // The level played (0-31), as the server that plays it knows it;
    // GameServer::NO_LEVEL when it is none of the 32. A peer that only
    // follows a server takes its player's current level.
    int32_t levelNumber() const;
    // Where a value lies between lo and hi, as the explored map and the
    // level map place things: 0 .. 1, clamped; a value that is not a number,
    // or an empty range, gives 0. The cell (0 .. last) is the whole part of
    // that share of `last`.
    static float mapFraction(float lo, float hi, float value);
    static int mapCellOf(float lo, float hi, float value, int last);

    Sky* contextBackground = nullptr;
    ContextBlender* contextGame = nullptr;
    GameHud* contextHUD = nullptr;
    EditorPropertyPanel* editor = nullptr;
    // The countdown of a bonus level.
    float bonusTimeLeft = 0.0f;
    // Frames played while the hero is outside the house.
    int32_t playFrameCount = 0;
    // Row r, column c is exploredMap[r][c]; neither saved nor replicated.
    uint8_t exploredMap[MINIMAP_HEIGHT][MINIMAP_WIDTH];

private:
    void tickPlaying(double dt, bool helpPressed, bool statsPressed, bool mapPressed);
    bool readTouches(bool& helpPressed, bool& statsPressed, bool& mapPressed);
    void makeBoundary();
    void makePiglets();
    void enterScoring();
    void enterStatistics();
    void fadeMusic(float volume, double seconds);
    ZubBase* registerNew(ZubBase* o);
};

// The controller's construct call: builds its contexts, lists and starter
// content on every peer.
class RPCGameControllerConstruct : public RPC {
    ZUB_DECLARE_CLASS(RPCGameControllerConstruct)
public:
    RPCGameControllerConstruct() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

// A message line of the HUD (run by clients only): messenger 1 or 2, a text
// id (0: the text given), the text, the duration in seconds. A call from a
// peer with another messenger is dropped.
class RPCSetMessage : public RPC {
    ZUB_DECLARE_CLASS(RPCSetMessage)
public:
    static constexpr int MAX_TEXT = 256;
    RPCSetMessage() : RPC(RPC_CLIENTS_ONLY) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    int32_t messenger = 0;
    int32_t textId = 0;
    WString text;
    float duration = 0.0f;
};

// The same for the one peer whose node id is `player`.
class RPCSetMessageForPlayer : public RPC {
    ZUB_DECLARE_CLASS(RPCSetMessageForPlayer)
public:
    RPCSetMessageForPlayer() : RPC(RPC_CLIENTS_ONLY) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    uint32_t player = 0;
    int32_t messenger = 0;
    int32_t textId = 0;
    WString text;
    float duration = 0.0f;
};

// Runs the entry actions of the controller's state on every peer.
class RPCEnterState : public RPC {
    ZUB_DECLARE_CLASS(RPCEnterState)
public:
    RPCEnterState() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

// Shakes both world cameras (run by clients only).
class RPCShakeCamera : public RPC {
    ZUB_DECLARE_CLASS(RPCShakeCamera)
public:
    RPCShakeCamera() : RPC(RPC_CLIENTS_ONLY) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    float strength = 0.0f;
    float duration = 0.0f;
};
