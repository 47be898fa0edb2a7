#pragma once
// The level in play as its objects see it: the game controller's object
// lists, the level's settings, the running result of the attempt, the
// action target chosen among the objects' prompts, and the few services the
// objects call (messages, the camera node, the HUD's touch buttons, the
// configuration). The game controller is a Level; tests use a Level of
// their own. Its owner makes it the current GameWorld while its level lives.
//
// The lists are plain objects whose children are walked in order; a list
// deletes a child that flagged itself for deletion when it next walks it.
#include <cstdint>

#include "object/ZubBase.h"
#include "records/LevelResult.h"
#include "util/Math.h"
#include "util/WString.h"
#include "world/GameWorld.h"

class BlendingCamera;
class FontQuad;
class GameConfiguration;
class House;
class HullList;
class Pig;
class Skin;

// The rectangle in which a level is played; y grows upwards. Objects below
// `bottom` are lost.
struct PlayingArea {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

class Level : public GameWorld {
public:
    // The level's states that objects test for.
    enum : int32_t { STATE_PLAYING = 4 };
    // The HUD's touch buttons that move the hero.
    enum TouchButton : int { TOUCH_LEFT = 0, TOUCH_RIGHT = 1, TOUCH_JUMP = 2 };
    // Nothing chosen: the action target's priority and distance at the start
    // of each frame.
    static constexpr float NO_PROMPT_DISTANCE = 999999.0f;

    Level();
    ~Level() override;

    // The current world as a Level, or null when no level is in play.
    static Level* current();

    // --- GameWorld ------------------------------------------------------------
    ZubBase* getObjectList() override { return objectList; }
    HullList* getHullList() override { return hullList; }
    ZubBase* getProxyList() override { return proxyList; }
    ZubBase* getSpeechBubbleList() override { return speechBubbleList; }
    ZubBase* getDangerAreaList() override { return dangerAreaList; }
    // The hero: the first child of the pig list, or null.
    A99Object* findHero() override;

    // --- lookups --------------------------------------------------------------------
    // The hero; a level without one is a fatal assertion.
    Pig* getHero();
    // The level's house (the first child of the house list); a level without
    // one is a fatal assertion.
    House* findHouse();
    // The hero or the house, or null when the level has none (yet).
    Pig* heroOrNull();
    House* houseOrNull();

    // Offers the prompt of every child of `list` to the point (the hero's
    // bounding centre, or a touch carried into the world) and keeps the best
    // in the action target: a higher priority wins, then a smaller distance.
    void findNearestObject(ZubBase* list, const V3& point);
    // Clears the action target (priority 0, distance NO_PROMPT_DISTANCE).
    void clearPrompt();

    // A bonus level is complete when everybody is home; any other level when
    // everybody is home and enough apples are in.
    bool isLevelComplete();

    // --- what the game controller supplies --------------------------------------------
    // The controller's state (STATE_PLAYING while the level is played).
    virtual int32_t levelState() const = 0;
    // Shows a message: with text id 0 the given text, otherwise that id's
    // text. Messenger 1 is the upper message line, 2 the lower one.
    virtual void local_setMessage(int32_t messenger, int32_t textId, double duration, const WString& text) = 0;
    // The camera node of the game context: cameras appended to it blend in.
    virtual BlendingCamera* getCameraNode() = 0;
    // A short roll of the game camera (the game controller rolls its sky
    // with it).
    virtual void shakeCamera(double strength, double duration);
    // Whether the HUD's touch button is held this frame.
    virtual bool isTouchHeld(TouchButton button) const = 0;
    // The game configuration (bindings, detail level, hints, apple frames).
    virtual const GameConfiguration& getConfiguration() const = 0;
    // The active profile's current level number (0-31).
    virtual int32_t getCurrentLevelNumber() const = 0;
    // The font of speech bubbles, or null (bubbles then draw no text).
    virtual FontQuad* getBubbleFont() { return nullptr; }
    // Shows a hint panel over the level (the hint overlay) with a title, a
    // text and an icon skin or none. False when it cannot open now (another
    // overlay opened in this frame): the hint then tries again later.
    virtual bool showHintPanel(const WString& title, const WString& text, Skin* icon) = 0;

    // --- lists ---------------------------------------------------------------------
    ZubBase* bgList = nullptr;
    ZubBase* bgEffectsList = nullptr;
    ZubBase* secretList = nullptr;
    ZubBase* dangerAreaList = nullptr;
    ZubBase* objectList = nullptr;
    ZubBase* appleList = nullptr;
    ZubBase* sweetList = nullptr;
    ZubBase* cargoList = nullptr;
    ZubBase* pigList = nullptr;
    ZubBase* pigletList = nullptr;
    ZubBase* houseList = nullptr;
    ZubBase* explodableList = nullptr;
    HullList* hullList = nullptr;
    ZubBase* proxyList = nullptr;
    ZubBase* appleGhostList = nullptr;
    ZubBase* fgEffectsList = nullptr;
    ZubBase* weatherList = nullptr;
    ZubBase* speechBubbleList = nullptr;

    // --- the level's settings (level-file properties) -----------------------------------
    PlayingArea playingArea;
    int32_t applesNeeded = 10;
    bool bBonusLevel = false;
    double parTime = 60.0;
    int32_t season = 0;  // 0 spring, 1 summer, 2 autumn, 3 winter
    float weatherIntensity = 0.0f;

    // --- play ----------------------------------------------------------------------------
    // The running result of this attempt: apples home, sweets, secrets,
    // spoiled apples, lives lost and points, updated by the objects.
    LevelResult currentResult;
    // The action target: the object whose prompt won this frame.
    ZubBaseReference promptTarget;
    int32_t promptPriority = 0;
    float promptDistance = NO_PROMPT_DISTANCE;
    // The last save-progress trigger reached, or none.
    ZubBaseReference checkpoint;
    // Cheats and debugging: both 0 in play. While bInvulnerable is 1 nothing
    // hurts the hero; while bDoubleJump is 1 she jumps twice without the hat.
    int32_t bInvulnerable = 0;
    int32_t bDoubleJump = 0;
};

// The first child of a list as a T, or null.
template <class T>
T* firstOf(ZubBase* list) {
    if (!list) return nullptr;
    for (T* o : childrenOf<T>(list))
        if (!o->bToBeDestroyed) return o;
    return nullptr;
}
