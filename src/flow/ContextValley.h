#pragma once
// The valley map: the screen between levels. A map two screens wide over
// which the road winds past one marker per level; the player scrolls it
// (the arrows, dragging), rests the pointer on a finished level to see its
// best results, picks a level (a tap on an unlocked marker selects it, a tap
// on the selected one or PLAY starts it) and plays it through a level
// manager. When the level manager comes back the map books the run into the
// current profile, marks the level completed, unlocks the next level after
// the highest unlocked one was completed, shows the hint boxes of the new
// level, plays the map music and saves the user data. All progress lives in
// the current profile; the map keeps none of its own.
//
// The main menu makes one and pushes it; the stack deletes it when it is
// popped (BACK or Escape on the map). It owns the level manager it pushes
// (the stack pops that without deleting it).
//
// States (entered at once or after a delay, StateBase):
//   1 welcome    the welcome message; the map after 4 s
//   2 map        scrolling, looking, picking; PLAY or a tap on the current
//                level leaves
//   3 leaving    the transition closes, the music fades; loading after 1.1 s
//   4 loading    the level manager for the current level is pushed; 5
//   5 playing    the level manager is on top; its return leads to 6 (at once
//                after a restart, else after 1 s)
//   6 back       the run is booked; a restart loads again at once; else the
//                level manager goes, the map music plays, the data is saved,
//                and the map comes back (or, when the next level opens, 7
//                after 3 s)
//   7 unlocking  the next level opens and becomes current, the hints of the
//                new level, the ending after the last one; saved; the map
//
// A run counts as completed when the level says so (outcome 5) and also
// when it was won before the player ended or restarted it: a level whose
// result was merged into the profile is never booked as unfinished.
//
// Layout in reference units (1024 x 768), the origin at the screen centre.
#include <cstdint>

#include "anim/InterpolatedValue.h"
#include "flow/BezierPathSimple.h"
#include "gui/ContextMenu.h"
#include "gui/CursorTargetSprite.h"
#include "gui/MenuBackButton.h"

class ContextLevelManager;
class MenuItem;
class ValleyDashedLine;
class ValleyIcon;
class ValleyStatsBubble;
struct ProfileData;

class ContextValley : public ContextMenu {
public:
    enum State : int32_t {
        WELCOME = 1,
        MAP = 2,
        LEAVING = 3,
        LOADING = 4,
        PLAYING = 5,
        BACK_FROM_LEVEL = 6,
        UNLOCKING = 7,
    };
    static constexpr int32_t OUTCOME_QUIT = 1;
    static constexpr int32_t OUTCOME_COMPLETE = 5;
    static constexpr int32_t OUTCOME_RESTART = 6;

    static constexpr int ROAD_POINTS = 24;
    // Where each season's stretch of the road starts, as shares of its
    // length (the winter stretch runs toward 1.03, so the last level stands
    // at the road's end).
    static constexpr float SEASON_STARTS[5] = {0.0f, 0.24f, 0.55f, 0.79f, 1.03f};
    static constexpr float ROAD_Y_SCALE = 0.8f;
    // Scrolling and the road's reach move at this rate a second (a move
    // takes about 3 s).
    static constexpr float MOVE_RATE = 0.33f;
    static constexpr int MOVE_CURVE = 6;
    static constexpr float ARROW_SPEED = 200.0f;
    // Pick radii: pointer, touch on the smaller display scale, other touch.
    static constexpr float PICK_RADIUS = 25.0f;
    static constexpr float TOUCH_PICK_RADIUS_SMALL = 50.0f;
    static constexpr float TOUCH_PICK_RADIUS = 100.0f;
    static constexpr double WELCOME_TIME = 3.0;
    static constexpr double MAP_AFTER_WELCOME = 4.0;
    static constexpr double LEAVE_TIME = 1.1;
    static constexpr double RETURN_DELAY = 1.0;
    static constexpr double UNLOCK_DELAY = 3.0;
    static constexpr uint32_t TOTAL_COLOUR = 0x80000000u;

    ContextValley();
    ~ContextValley() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;
    void onActivate(bool firstTime) override;
    void onStateChange() override;

    // The road length at which level `level` stands (the road as built).
    float levelPosition(int32_t level) const;
    // The marker of a level (0 ... 31).
    ValleyIcon* icon(int32_t level) const;
    // The recipe page's address for the current profile: the web server,
    // "/tumbro/recipe.php", and as the id a digest of which levels are
    // perfect followed by that word in hexadecimal.
    static WString buildRecipeUrl();
    // The word of the address: bit i set when level i is perfect.
    static uint32_t recipeWord(const ProfileData& profile);

    ContextMenu* pMenu = nullptr;
    ZubBase* pIcons = nullptr;
    ValleyStatsBubble* pStatsBubble = nullptr;
    MenuImage* pArrowLeft = nullptr;
    MenuImage* pArrowRight = nullptr;
    MenuItem* pButtonPlay = nullptr;
    MenuItemBack* pButtonBack = nullptr;
    MenuItem* pButtonRecipe = nullptr;
    BezierPathSimple path;
    ValleyDashedLine* pDashedLine = nullptr;
    InterpolatedValue pathReach;
    InterpolatedValue scroll;
    ContextLevelManager* levelManager = nullptr;

private:
    void tickMap();
    // The icon nearest to a point of the map within a radius, or null.
    ValleyIcon* findIconNear(const V3& at, float radius) const;
    float clampedScroll(float x) const;
    void bookReturn();
    void unlockNext();
    void pushMessageBox(int32_t titleId, int32_t textId);
    void pushMessageBox(int32_t titleId, const WString& text);
    void deleteLevelManager();

    float halfWidth;
    float halfHeight;
};
