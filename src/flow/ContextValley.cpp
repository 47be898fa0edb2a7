#include "flow/ContextValley.h"

#include <algorithm>
#include <cmath>

#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "flow/ContextEnding.h"
#include "flow/ContextLevelManager.h"
#include "flow/ContextRecipe.h"
#include "flow/GameController.h"
#include "flow/GameMessage.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/ValleyDashedLine.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "gfx/ZubGraphics.h"
#include "gui/ContextMessageBox.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "lang/StringIds.h"
#include "object/ResourceLookup.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/HttpRequest.h"
#include "text/FontQuad.h"
#include "util/Md5.h"

namespace {

// The road: vertex and tangent of each point, before the y scaling.
struct RoadPoint {
    float x, y, tx, ty;
};
constexpr RoadPoint ROAD[ContextValley::ROAD_POINTS] = {
    {-718, -178, 63, 1},  {-577, -151, 76, 27}, {-424, -260, 85, -17}, {-289, -179, -36, 81}, {-462, -114, -57, 51},
    {-636, -29, -26, 62}, {-396, 46, 100, 13},  {-97, 14, -22, -104},  {-320, -22, 39, -116}, {-87, -215, 83, -10},
    {114, -205, -22, 35}, {-36, -151, -44, 20}, {-90, -59, 48, 68},    {37, 54, 79, 35},      {333, 38, 64, -52},
    {291, -67, -66, 9},   {114, -1, -26, -43},  {307, -193, 88, -3},   {548, -245, 47, 68},   {723, -151, 0, 90},
    {585, -79, -35, 63},  {723, 34, -22, 63},   {459, 55, -34, 71},    {734, 197, 56, 26},
};

// The menu of the fixed screen layer: its own camera never scrolls, so it
// draws through that camera rather than the map's.
class FixedLayer : public ContextMenu {
public:
    void render() override { renderContext(); }
};

// The prefix of the recipe address's digest input.
constexpr char RECIPE_DIGEST_PREFIX = 'v';
constexpr char16_t RECIPE_PAGE[] = u"/tumbro/recipe.php";

ProfileData& profile() { return GameServices::get().profiles().currentProfile(); }

void show(MenuItem* item, bool shown) {
    item->bHidden = shown ? 0 : 1;
    item->bDisabled = shown ? 0 : 1;
}

ContextManager& stackOf(ZubBase* from) {
    ContextManager* stack = gui::screenStack(from);
    ZUB_ASSERT(stack != NULL);
    return *stack;
}

}  // namespace

ContextValley::ContextValley()
    : pathReach(0.0f, MOVE_RATE, MOVE_CURVE, InterpolatedValue::CLAMP),
      scroll(0.0f, MOVE_RATE, MOVE_CURVE, InterpolatedValue::CLAMP) {
    bDeleteWhenDone = 1;
    const ZubGraphics* g = ZubGraphics::active();
    halfWidth = static_cast<float>((g ? g->referenceWidth : REFERENCE_WIDTH) / 2);
    halfHeight = static_cast<float>((g ? g->referenceHeight : REFERENCE_HEIGHT) / 2);

    for (const RoadPoint& p : ROAD)
        path.addPoint(V3(p.x, p.y * ROAD_Y_SCALE, 0.0f), V3(p.tx, p.ty * ROAD_Y_SCALE, 0.0f));

    auto* background = new Renderable(findResource<Skin>(u"valley:0"), V3());
    background->setScaleV(V3(1.0f, ROAD_Y_SCALE, 1.0f));
    addChild(background);

    pDashedLine = new ValleyDashedLine;
    pDashedLine->build(path, 0.0f);
    addChild(pDashedLine);

    pIcons = new ZubBase;
    addChild(pIcons);
    for (int32_t i = 0; i < NUMLEVELS; ++i) {
        const float at = levelPosition(i);
        V3 p;
        path.evaluateL(p, at);
        auto* icon = new ValleyIcon(i, at, p);
        pIcons->addChild(icon);
        createItemHandler(icon);
    }

    pStatsBubble = new ValleyStatsBubble;
    addChild(pStatsBubble);

    pMenu = new FixedLayer;
    pMenu->navigationOwner = this;
    // The map navigates and closes; the layer only carries the items.
    pMenu->bKeyNavigation = 0;
    pMenu->bEscapeCloses = 0;
    addChild(pMenu);

    Skin* arrow = findResource<Skin>(u"valleyArrow:0");
    pArrowLeft = new MenuImage(arrow, V3(40.0f - halfWidth, 0.0f, 0.0f));
    pArrowLeft->setScaleV(V3(-1.0f, 1.0f, 1.0f));
    pArrowRight = new MenuImage(arrow, V3(halfWidth - 40.0f, 0.0f, 0.0f));
    for (MenuImage* a : {pArrowLeft, pArrowRight}) {
        a->bCursorAnchor = 1;
        a->bPickable = 1;
        pMenu->addItem(a);
    }

    const Language& language = gameLanguage();
    const float right = static_cast<float>(layoutX), top = static_cast<float>(layoutY);
    pButtonBack = new MenuItemBack(80.0f - right, -top, 0.0f, language.getText(SID_BACK), u"");
    pButtonBack->setWidth(160);
    pMenu->addItem(pButtonBack);
    pButtonPlay = new MenuButton(right - 80.0f, -top, 0.0f, language.getText(SID_PLAY), u"");
    pButtonPlay->setWidth(160);
    pMenu->addItem(pButtonPlay);
    pButtonRecipe =
        new MenuButton(0.0f, top - static_cast<float>(itemSpacing), 0.0f, language.getText(SID_RECIPEDOTS), u"");
    pButtonRecipe->setWidth(256);
    pMenu->addItem(pButtonRecipe);

    pMenu->addChild(new Renderable(findResource<Skin>(u"gui-game-hud:0"), V3(0.0f, halfHeight, 0.0f)));

    gotoState(profile().levels[0].completed ? MAP : WELCOME);
}

ContextValley::~ContextValley() { deleteLevelManager(); }

float ContextValley::levelPosition(int32_t level) const {
    level = std::clamp(level, 0, NUMLEVELS - 1);
    const int season = level / 8;
    const float from = SEASON_STARTS[season], to = SEASON_STARTS[season + 1];
    return (from + (to - from) * static_cast<float>(level % 8) / 8.0f) * path.totalLength;
}

ValleyIcon* ContextValley::icon(int32_t level) const {
    int32_t i = 0;
    for (ValleyIcon* icon : childrenOf<ValleyIcon>(pIcons))
        if (i++ == level) return icon;
    return nullptr;
}

float ContextValley::clampedScroll(float x) const { return std::clamp(x, -halfWidth, halfWidth); }

void ContextValley::deleteLevelManager() {
    if (!levelManager) return;
    deleteObject(levelManager);
    levelManager = nullptr;
}

// ---------------------------------------------------------------------------
// Frame

void ContextValley::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);

    const bool onMap = state == MAP;
    show(pButtonPlay, onMap);
    show(pButtonRecipe, profile().levels[3].completed != 0);
    const float c = camera->eye.x;
    pArrowLeft->bHidden = onMap && c >= 1.0f - halfWidth ? 0 : 1;
    pArrowRight->bHidden = onMap && c <= halfWidth - 1.0f ? 0 : 1;

    if (ZubInput* in = ZubInput::active()) {
        const bool pressing = in->inputMode == ZubInput::MODE_MOUSE_KEYBOARD || in->isPointerHeld(0);
        const float move = static_cast<float>(ARROW_SPEED * dt);
        if (pressing && pArrowLeft->isUnderMouse()) scroll.setImmediate(c - move);
        if (pressing && pArrowRight->isUnderMouse()) scroll.setImmediate(c + move);
        // Only while the drag lasts: a mouse keeps its pointer record after
        // the release, and its free movement must not carry the map along.
        if (in->isPointerHeld(0) && in->isPointerDragged(0)) scroll.setImmediate(c - in->mouseDeltaX);
    }
    scroll.tick(time, dt);
    const float x = clampedScroll(scroll.get());
    camera->eye.x = x;
    camera->lookAt.x = x;

    // The road is rebuilt while its reach moves, the frame the move ends
    // included, so that it stops exactly at its target.
    const bool reaching = !pathReach.isDone();
    pathReach.tick(time, dt);
    if (reaching) pDashedLine->build(path, pathReach.get());

    show(pButtonBack, false);
    bEscapeCloses = 0;
    pStatsBubble->bHidden = 1;
    if (state == MAP) tickMap();
}

void ContextValley::tickMap() {
    show(pButtonBack, true);
    bEscapeCloses = 1;
    if (pButtonPlay->bClicked) {
        pButtonPlay->bClicked = 0;
        gotoState(LEAVING);
    }
    if (pButtonRecipe->bClicked) {
        pButtonRecipe->bClicked = 0;
        stackOf(this).pushContext(new ContextRecipe);
    }

    // The pointer over the arrows or the buttons picks nothing.
    if (pArrowLeft->isUnderMouse() || pArrowRight->isUnderMouse()) return;
    for (const MenuItem* b : {pButtonPlay, static_cast<MenuItem*>(pButtonBack), pButtonRecipe})
        if (!b->bHidden && b->bHovered) return;

    ZubInput* in = ZubInput::active();
    float radius = PICK_RADIUS;
    if (isTouchInput()) radius = ZUB && ZUB->displayScale == 1 ? TOUCH_PICK_RADIUS_SMALL : TOUCH_PICK_RADIUS;
    ValleyIcon* near = findIconNear(mousePosition, radius);
    if (!near) return;
    const LevelResult& r = near->record();
    if (r.unlocked && in && in->wasPointerTapped(0)) {
        if (near->levelIndex == GameServices::get().currentLevel()) gotoState(LEAVING);
        else profile().currentLevel = near->levelIndex;
    }
    if (r.completed) {
        pStatsBubble->showFor(near);
        pStatsBubble->bHidden = 0;
    }
}

ValleyIcon* ContextValley::findIconNear(const V3& at, float radius) const {
    ValleyIcon* best = nullptr;
    float bestDistance = 999999.0f;
    for (ValleyIcon* icon : childrenOf<ValleyIcon>(pIcons)) {
        const float d = (icon->position - at).length();
        if (d < bestDistance) {
            bestDistance = d;
            best = icon;
        }
    }
    return best && bestDistance < radius ? best : nullptr;
}

void ContextValley::renderContents() {
    ContextMenu::renderContents();
    pMenu->camera->apply();
    const ProfileData& p = profile();
    const WString text = formatString(gameLanguage().getText(SID_TOTALSCORE), formatNumberGrouped(p.total.points),
                                      formatPercentTenths(p.total.score));
    findResource<FontQuad>(u"fontMedium")
        ->drawText(0.0f, halfHeight - 5.0f, 0.0f, TOTAL_COLOUR, FontQuad::TEXT_PLAIN | FontQuad::TEXT_CENTRE, text);
}

void ContextValley::onActivate(bool firstTime) {
    ContextMenu::onActivate(firstTime);
    if (state != PLAYING) return;
    // A restart goes straight back into the level; anything else returns to
    // the map after a moment.
    if (levelManager && levelManager->outcome() == OUTCOME_RESTART) gotoState(BACK_FROM_LEVEL);
    else gotoState(BACK_FROM_LEVEL, RETURN_DELAY);
}

// ---------------------------------------------------------------------------
// States

void ContextValley::onStateChange() {
    GameServices& services = GameServices::get();
    switch (state) {
        case WELCOME: {
            auto* message = new GameMessage(findResource<FontQuad>(u"fontLarge"), V3(0.0f, 20.0f, 0.0f));
            pMenu->addChild(message);
            message->show(gameLanguage().getText(SID_WELCOME), WELCOME_TIME);
            gotoState(MAP, MAP_AFTER_WELCOME);
            break;
        }
        case MAP: {
            pButtonPlay->bClicked = 0;
            if (ValleyIcon* current = icon(services.currentLevel())) scroll.moveTo(clampedScroll(current->position.x));
            // The road reaches the last unlocked level.
            const ProfileData& p = profile();
            for (ValleyIcon* i : childrenOf<ValleyIcon>(pIcons))
                if (p.levels[i->levelIndex].unlocked) pathReach.moveTo(i->pathPosition);
            break;
        }
        case LEAVING:
            services.setTransition(-1.0f, 1.0f);
            if (ZubAudio* audio = ZubAudio::active()) audio->fadeMusic(0.0f, 1.0);
            gotoState(LOADING, LEAVE_TIME);
            break;
        case LOADING:
            ZUB_ASSERT(levelManager == NULL);
            levelManager = new ContextLevelManager(services.currentLevel());
            stackOf(this).pushContext(levelManager);
            gotoState(PLAYING);
            break;
        case BACK_FROM_LEVEL:
            bookReturn();
            break;
        case UNLOCKING:
            unlockNext();
            break;
        default:
            break;
    }
}

void ContextValley::bookReturn() {
    ZUB_ASSERT(levelManager != NULL);
    GameServices& services = GameServices::get();
    ProfileData& p = profile();
    const int32_t current = services.currentLevel();
    LevelResult& record = p.levels[current];
    const GameController* gc = levelManager->gameServer ? levelManager->gameServer->controller() : nullptr;
    LevelResult run;
    if (gc) run = gc->currentResult;
    record.addAttempt(run);

    const int32_t outcome = levelManager->outcome();
    // A level that reached its scoring was won and merged into the profile,
    // whatever ended it afterwards.
    const bool won = outcome == OUTCOME_COMPLETE || (gc && gc->state >= GameController::SCORING);
    if (!won && outcome == OUTCOME_RESTART) {
        deleteLevelManager();
        gotoState(LOADING);
        return;
    }

    bool advance = false;
    if (won) {
        record.completed = 1;
        p.total.reset();
        for (const LevelResult& level : p.levels) p.total.accumulate(level);
        if (p.levels[NUMLEVELS - 1].completed && p.total.score == LevelResult::kMaxScore)
            pushMessageBox(SID_HINTALLCOMPLETETITLE, SID_HINTALLCOMPLETE);
        if (current < NUMLEVELS - 1 && !p.levels[current + 1].unlocked) {
            advance = true;
            if (ValleyIcon* next = icon(current + 1)) {
                scroll.moveTo(clampedScroll(next->position.x));
                pathReach.moveTo(next->pathPosition);
            }
        }
    }

    deleteLevelManager();
    auto* music = findResource<SoundStream>(u"musicMenu");
    if (ZubAudio* audio = ZubAudio::active()) audio->setMusic(music);
    services.saveUserData();
    if (advance) gotoState(UNLOCKING, UNLOCK_DELAY);
    else gotoState(MAP);
}

void ContextValley::unlockNext() {
    GameServices& services = GameServices::get();
    ProfileData& p = profile();
    const int32_t next = services.currentLevel() + 1;
    if (next < NUMLEVELS) {
        p.levels[next].unlocked = 1;
        p.currentLevel = next;
    }
    findResource<Sound>(u"saveProgress")->play();

    const bool hints = services.configuration().showHints != 0;
    const bool touch = isTouchInput();
    switch (p.currentLevel) {
        case 2:
            if (hints)
                pushMessageBox(
                    SID_HINTVALLEYPERCENTAGESTITLE,
                    gameLanguage().getText(touch ? SID_IOS_HINTVALLEYPERCENTAGES : SID_HINTVALLEYPERCENTAGES));
            break;
        case 3:
            if (hints) pushMessageBox(SID_HINTVALLEYBONUSTITLE, SID_HINTVALLEYBONUS);
            break;
        case 4:
            if (hints) pushMessageBox(SID_HINTVALLEYRECIPETITLE, SID_HINTVALLEYRECIPE);
            break;
        case 5:
            if (hints) pushMessageBox(SID_HINTVALLEYBESTTITLE, SID_HINTVALLEYBEST);
            break;
        case 6:
            if (hints) pushMessageBox(SID_HINTPARTIMETITLE, SID_HINTPARTIME);
            break;
        case 8:
            pushMessageBox(SID_HINTVALLEYSEASONTITLE, SID_HINTVALLEYSEASON1);
            break;
        case 16:
            pushMessageBox(SID_HINTVALLEYSEASONTITLE, SID_HINTVALLEYSEASON2);
            break;
        case 24:
            pushMessageBox(SID_HINTVALLEYSEASONTITLE, SID_HINTVALLEYSEASON3);
            break;
        case NUMLEVELS - 1:
            stackOf(this).pushContext(new ContextEnding);
            break;
        default:
            break;
    }
    services.saveUserData();
    gotoState(MAP);
}

void ContextValley::pushMessageBox(int32_t titleId, int32_t textId) {
    pushMessageBox(titleId, gameLanguage().getText(textId));
}

void ContextValley::pushMessageBox(int32_t titleId, const WString& text) {
    auto* box = new ContextMessageBox;
    box->title = gameLanguage().getText(titleId);
    box->text = text;
    box->build();
    stackOf(this).pushContext(box);
}

// ---------------------------------------------------------------------------
// The recipe page's address

uint32_t ContextValley::recipeWord(const ProfileData& p) {
    uint32_t word = 0;
    for (int32_t i = 0; i < NUMLEVELS; ++i)
        if (p.levels[i].perfect[LevelResult::PERFECT_SCORE]) word |= 1u << i;
    return word;
}

WString ContextValley::buildRecipeUrl() {
    const uint32_t word = recipeWord(profile());
    const std::string input = wideToNarrow(formatString(u"%c%08x", char16_t(RECIPE_DIGEST_PREFIX), word));
    uint8_t digest[16];
    md5Digest(input.data(), input.size(), digest);
    WString hex;
    for (uint8_t b : digest) hex += formatString(u"%02x", b);
    return HttpRequest::pageAddress(formatString(u"%s?id=%s%08x", RECIPE_PAGE, hex, word));
}
