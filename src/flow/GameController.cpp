#include "flow/GameController.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/ZubAudio.h"
#include "editor/EditorPropertyPanel.h"
#include "flow/FlowClassIds.h"
#include "flow/GameHud.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/LevelHullList.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayHint.h"
#include "flow/Sky.h"
#include "flow/TouchHudControl.h"
#include "gfx/ContextBlender.h"
#include "gfx/Quad.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "objects/pig/Piglet.h"
#include "objects/scenery/Fence.h"
#include "objects/scenery/HillsBackdrop.h"
#include "objects/scenery/TerrainDeco.h"
#include "objects/scenery/Vegetation.h"
#include "objects/scenery/Weather.h"
#include "objects/triggers/House.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/Logger.h"
#include "text/FontQuad.h"
#include "world/Hull.h"
#include "world/Terrain.h"

ZUB_IMPLEMENT_CLASS(GameController, Context, flow_ids::GameController)
ZUB_IMPLEMENT_CLASS(RPCGameControllerConstruct, RPC, flow_ids::RPCGameControllerConstruct)
ZUB_IMPLEMENT_CLASS(RPCSetMessage, RPC, flow_ids::RPCSetMessage)
ZUB_IMPLEMENT_CLASS(RPCSetMessageForPlayer, RPC, flow_ids::RPCSetMessageForPlayer)
ZUB_IMPLEMENT_CLASS(RPCEnterState, RPC, flow_ids::RPCEnterState)
ZUB_IMPLEMENT_CLASS(RPCShakeCamera, RPC, flow_ids::RPCShakeCamera)

GameController::StatsRowMaker GameController::statsRowMaker = nullptr;

namespace {

// The controllers alive, newest last: the newest is the current world.
std::vector<GameController*>& liveControllers() {
    static std::vector<GameController*> live;
    return live;
}

int countLive(const ZubBase* list) {
    int n = 0;
    for (const ZubBase* o : childrenOf(list))
        if (!o->bToBeDestroyed) ++n;
    return n;
}

// The playing area of a new level: ten screens wide, ten high.
PlayingArea defaultPlayingArea() {
    return {-5.0f * REFERENCE_WIDTH, 10.0f * REFERENCE_HEIGHT, 5.0f * REFERENCE_WIDTH, 0.0f};
}

}  // namespace

GameController::GameController() {
    bEscapeCloses = 0;
    playingArea = defaultPlayingArea();
    currentResult.reset();
    std::memset(exploredMap, 0, sizeof exploredMap);
    liveControllers().push_back(this);
    GameWorld::setCurrent(this);
}

GameController::~GameController() {
    if (ZubAudio* audio = ZubAudio::active()) {
        audio->stopOutput();
        audio->startOutput();
        audio->forgetMusic();
    }
    promptTarget.set(nullptr);
    checkpoint.set(nullptr);
    // The level's objects go while their level is still whole and current.
    GameWorld::setCurrent(this);
    while (ZubBase* c = firstChild) {
        removeChild(c);
        deleteObject(c);
    }
    contextBackground = nullptr;
    contextGame = nullptr;
    contextHUD = nullptr;
    editor = nullptr;
    std::vector<GameController*>& live = liveControllers();
    std::erase(live, this);
    if (GameWorld::current() == this) GameWorld::setCurrent(live.empty() ? nullptr : live.back());
}

// ---------------------------------------------------------------------------
// Building

ZubBase* GameController::registerNew(ZubBase* o) {
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(o, 0);
    return o;
}

void GameController::construct() {
    RPCGameControllerConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void GameController::local_construct() {
    contextBackground = static_cast<Sky*>(registerNew(new Sky));
    netAddChild(contextBackground);
    contextGame = static_cast<ContextBlender*>(registerNew(new ContextBlender));
    netAddChild(contextGame);
    contextHUD = static_cast<GameHud*>(registerNew(new GameHud));
    netAddChild(contextHUD);
    // The lists in the order they tick and draw.
    ZubBase** lists[] = {&bgList,        &bgEffectsList, &secretList,      &dangerAreaList, &objectList,
                         &pigList,       &pigletList,    &houseList,       &explodableList, &cargoList,
                         &appleList,     &sweetList,     &proxyList,       &appleGhostList, nullptr,
                         &fgEffectsList, &weatherList,   &speechBubbleList};
    for (ZubBase** field : lists) {
        ZubBase* list;
        if (field) list = *field = new ZubBase;
        else list = hullList = new LevelHullList;
        registerNew(list);
        contextGame->netAddChild(list);
    }

    // The editor panel and the starter content come from the server.
    ServerScope scope;
    if (scope.isClient()) return;
    editor = static_cast<EditorPropertyPanel*>(registerNew(new EditorPropertyPanel));
    netAddChild(editor);

    auto* grass = static_cast<A99Object*>(registerNew(new A99Object));
    grass->setSkin(findResource<Skin>(u"terrain-grassy:0"));
    grass->construct();
    grass->netCallPostReplicate();
    objectList->netAddChild(grass);

    auto* terrain = static_cast<Terrain*>(registerNew(new Terrain));
    terrain->construct(512, 16);
    terrain->setPosition(0.0f, 0.0f, 0.0f);
    terrain->netCallPostReplicate();
    objectList->netAddChild(terrain);

    // The decorations lay their bands along the terrain in the global pass.
    auto decorate = [&](const char16_t* skin, int segments, int flags) {
        auto* deco = static_cast<TerrainDeco*>(registerNew(new TerrainDeco));
        deco->construct(terrain, findResource<Quad>(skin), segments, flags);
        deco->netCallPostReplicate();
        deco->netCallPostReplicateGlobal();
        objectList->netAddChild(deco);
    };
    decorate(u"deco-grass:0", 64, 28);

    auto* hero = static_cast<Pig*>(registerNew(new Pig));
    hero->setPigletCount(1);
    hero->netCallPostReplicate();
    pigList->netAddChild(hero);

    decorate(u"terrain-grassy:0", 512, 261);
    decorate(u"ground-grass:0", 512, 1);

    auto* house = static_cast<House*>(registerNew(new House));
    house->construct();
    house->netCallPostReplicate();
    houseList->netAddChild(house);

    auto* apple = static_cast<Apple*>(registerNew(new Apple));
    apple->construct();
    apple->netCallPostReplicate();
    appleList->netAddChild(apple);
}

void GameController::netPostReplicateGlobal() {
    Context::netPostReplicateGlobal();
    if (isEditing()) return;
    // Values a level file may hold that play cannot use.
    if (!std::isfinite(playingArea.left) || !std::isfinite(playingArea.top) || !std::isfinite(playingArea.right) ||
        !std::isfinite(playingArea.bottom)) {
        Logger::get().log(u"%s(): %s", "GameController::netPostReplicateGlobal",
                          u"The playing area is not finite; the default is used.");
        playingArea = defaultPlayingArea();
    }
    // The countdown is kept as a float.
    if (!(std::fabs(parTime) < 1.0e7)) parTime = 60.0;

    bool client = false;
    {
        ServerScope scope(&client);
        if (!client) makeBoundary();
    }
    if (season >= 0 && season < 4) {
        static const char16_t* const kHills[4][2] = {{u"hillsA-spring:0", u"hillsB-spring:0"},
                                                     {u"hillsA-summer:0", u"hillsB-summer:0"},
                                                     {u"hillsA-autumn:0", u"hillsB-autumn:0"},
                                                     {u"hillsA-winter:0", u"hillsB-winter:0"}};
        bgList->addChild(
            new HillsBackdrop(findResource<Skin>(kHills[season][0]), findResource<Skin>(kHills[season][1])));
    }
    if (getConfiguration().detailLevel >= 1) {
        WeatherEmitter::forLevel(*this);
        if (!bBonusLevel && !client) makePiglets();
    }

    currentResult.bonusLevel = bBonusLevel ? 1 : 0;
    currentResult.parTime = parTime;
    bonusTimeLeft = static_cast<float>(parTime);
    const int32_t apples = countLive(appleList);
    if (applesNeeded > apples) applesNeeded = apples;
    if (applesNeeded < 0) applesNeeded = 0;
    currentResult.apples = applesNeeded;
    currentResult.bonusApples = apples - applesNeeded;
    currentResult.secrets = countLive(secretList);
    // The state machine a level file stored means nothing to play, which
    // starts it here: a stored pending state of 1 would make the change to
    // the opening a repeat, ignored, and the level would never begin.
    state = stateGoto = 0;
    timeInState = stateLeft = 0.0;
    setState(OPENING, 0.0);
}

void GameController::makeBoundary() {
    auto* boundary = static_cast<A99Object*>(registerNew(new A99Object));
    boundary->construct();
    boundary->netCallPostReplicate();
    objectList->netAddChild(boundary);
    boundary->createHull();
    Hull* hull = boundary->getHull();
    // Walls up both sides, the floor half a screen below the bottom.
    const float floor = playingArea.bottom - static_cast<float>(REFERENCE_HEIGHT / 2);
    hull->addHullPoint(playingArea.left, playingArea.top, 0.0f, true);
    hull->addHullPoint(playingArea.left, floor, 0.0f, true);
    hull->addHullPoint(playingArea.right, floor, 0.0f, true);
    hull->addHullPoint(playingArea.right, playingArea.top, 0.0f, true);
    hull->closeLoop();
}

void GameController::makePiglets() {
    Pig* hero = getHero();
    for (int type = 2; type <= 4; ++type) {
        auto* piglet = static_cast<Piglet*>(registerNew(new Piglet));
        piglet->setPigletCount(type);
        piglet->netCallPostReplicate();
        pigletList->netAddChild(piglet);
        if (type == 2) piglet->placeBefore(hero);
        else piglet->placeAfter(hero);
    }
}

WString GameController::describeMissing() {
    if (!contextBackground || !contextGame || !contextHUD) return u"context";
    // What hangs elsewhere is never ticked: the level could not end.
    if (contextBackground->parent != this || contextGame->parent != this || contextHUD->parent != this)
        return u"context under its game controller";
    ZubBase* lists[] = {bgList,    bgEffectsList, secretList,     dangerAreaList, objectList,  appleList,
                        sweetList, cargoList,     pigList,        pigletList,     houseList,   explodableList,
                        hullList,  proxyList,     appleGhostList, fgEffectsList,  weatherList, speechBubbleList};
    for (ZubBase* l : lists) {
        if (!l) return u"object list";
        if (l->parent != contextGame) return u"object list under its game context";
    }
    if (!heroOrNull()) return u"hero";
    if (!houseOrNull()) return u"house";
    return {};
}

void GameController::addPropertiesTo(PropertyContainer* c) {
    Context::addPropertiesTo(c);
    c->add(new PropertyPointer(u"contextBackground", 0, &contextBackground, &Sky::classRecord));
    c->add(new PropertyPointer(u"contextGame", 0, &contextGame, &ContextBlender::classRecord));
    c->add(new PropertyPointer(u"contextHUD", 0, &contextHUD, &GameHud::classRecord));
    const RuntimeClass* plain = &ZubBase::classRecord;
    c->add(new PropertyPointer(u"bgList", 0, &bgList, plain));
    c->add(new PropertyPointer(u"bgEffectsList", 0, &bgEffectsList, plain));
    c->add(new PropertyPointer(u"secretList", 0, &secretList, plain));
    c->add(new PropertyPointer(u"dangerAreaList", 0, &dangerAreaList, plain));
    c->add(new PropertyPointer(u"objectList", 0, &objectList, plain));
    c->add(new PropertyPointer(u"appleList", 0, &appleList, plain));
    c->add(new PropertyPointer(u"sweetList", 0, &sweetList, plain));
    c->add(new PropertyPointer(u"cargoList", 0, &cargoList, plain));
    c->add(new PropertyPointer(u"pigList", 0, &pigList, plain));
    c->add(new PropertyPointer(u"pigletList", 0, &pigletList, plain));
    c->add(new PropertyPointer(u"houseList", 0, &houseList, plain));
    c->add(new PropertyPointer(u"explodableList", 0, &explodableList, plain));
    // Only the indexed list will do for the collision solver.
    c->add(new PropertyPointer(u"hullList", 0, &hullList, &LevelHullList::classRecord));
    c->add(new PropertyPointer(u"proxyList", 0, &proxyList, plain));
    c->add(new PropertyPointer(u"appleGhostList", 0, &appleGhostList, plain));
    c->add(new PropertyPointer(u"fgEffectsList", 0, &fgEffectsList, plain));
    c->add(new PropertyPointer(u"weatherList", 0, &weatherList, plain));
    c->add(new PropertyPointer(u"speechBubbleList", 0, &speechBubbleList, plain));
    c->add(new PropertyPointer(u"editor", 0, &editor, &EditorPropertyPanel::classRecord));
    PropertyContainer* area = c->add(new PropertyContainer(u"playingArea", 0));
    area->add(new PropertyFloat(u"left", 0, &playingArea.left));
    area->add(new PropertyFloat(u"top", 0, &playingArea.top));
    area->add(new PropertyFloat(u"right", 0, &playingArea.right));
    area->add(new PropertyFloat(u"bottom", 0, &playingArea.bottom));
    c->add(new PropertyInt(u"applesNeeded", 0, &applesNeeded));
    c->add(new PropertyBool(u"bBonusLevel", 0, &bBonusLevel));
    c->add(new PropertyDouble(u"parTime", 0, &parTime));
    c->add(new PropertyEnum(u"season", 0, &season, 4));
    c->add(new PropertyFloat(u"weatherIntensity", 0, &weatherIntensity));
}

// ---------------------------------------------------------------------------
// What the level's objects use

bool GameController::isEditing() const { return editor && THEROLE && THEROLE->bEditing; }

BlendingCamera* GameController::getCameraNode() { return contextGame ? contextGame->blendingCamera() : nullptr; }

Camera* GameController::getGameCamera() { return contextGame ? contextGame->camera : nullptr; }

WorldEditorPanel* GameController::getEditor() { return editor; }

void GameController::shakeCamera(double strength, double duration) {
    if (contextBackground) contextBackground->camera->shake(strength, duration);
    if (contextGame) contextGame->camera->shake(strength, duration);
}

bool GameController::isTouchHeld(TouchButton button) const {
    if (!contextHUD) return false;
    switch (button) {
        case TOUCH_LEFT:
            return contextHUD->pMoveLeft->pressed != 0;
        case TOUCH_RIGHT:
            return contextHUD->pMoveRight->pressed != 0;
        case TOUCH_JUMP:
            return contextHUD->pJump->pressed != 0;
    }
    return false;
}

const GameConfiguration& GameController::getConfiguration() const { return GameServices::get().configuration(); }

int32_t GameController::getCurrentLevelNumber() const { return levelNumber(); }

int32_t GameController::levelNumber() const {
    if (const auto* server = dynamic_cast<const GameServer*>(THEROLE)) return server->levelNumber;
    return GameServices::get().currentLevel();
}

namespace {

// One of the game's fonts, or null where none is loaded under the name.
FontQuad* gameFont(const char16_t* name) {
    ResourceManager* resources = ResourceManager::active();
    return resources ? zub_cast<FontQuad>(resources->find(name, false)) : nullptr;
}

}  // namespace

FontQuad* GameController::getBubbleFont() { return gameFont(u"fontSmall"); }

FontQuad* GameController::getLabelFont() { return gameFont(u"fontSmallOutline"); }

bool GameController::showHintPanel(const WString& title, const WString& text, Skin* icon) {
    MyRootObject* root = MyRootObject::current();
    // At most one overlay opens in a frame.
    if (!root || root->contextOverlay) return false;
    auto* hint = static_cast<OverlayHint*>(registerNew(new OverlayHint));
    hint->showHint(title, text, icon, -1);
    hint->netCallPostReplicate();
    hint->netCallPostReplicateGlobal();
    root->setContextOverlay(hint);
    return true;
}

void GameController::local_setMessage(int32_t messenger, int32_t textId, double duration, const WString& text) {
    GameMessage* line = nullptr;
    if (messenger == 1 && contextHUD) line = &contextHUD->message1;
    else if (messenger == 2 && contextHUD) line = &contextHUD->message2;
    else if (messenger != 1 && messenger != 2) ZUB_ERROR(u"Unknown messenger.");
    if (!line) return;
    // The language gives the empty text for an id it does not know.
    line->show(textId > 0 ? WString(gameLanguage().getText(textId)) : text, duration);
}

void GameController::local_setMessageForPlayer(uint32_t player, int32_t messenger, int32_t textId, const WString& text,
                                               double duration) {
    if (THEROLE && THEROLE->hostUID == player) local_setMessage(messenger, textId, duration, text);
}

void GameController::findNearestObjectAtPointer(ZubBase* list, const InputPointer& pointer) {
    if (!contextGame) return;
    findNearestObject(list, contextGame->camera->screenToWorld(pointer.x, pointer.y, pointer.z));
}

bool GameController::openOverlay(Overlay::Kind kind) {
    MyRootObject* root = MyRootObject::current();
    if (!root) return false;
    Overlay* overlay = Overlay::make(kind);
    if (!overlay) return false;
    registerNew(overlay);
    overlay->construct();
    overlay->netCallPostReplicate();
    overlay->netCallPostReplicateGlobal();
    root->setContextOverlay(overlay);
    return true;
}

// ---------------------------------------------------------------------------
// Calls

void RPCGameControllerConstruct::execute() {
    if (GameController* gc = zub_cast<GameController>(target)) gc->local_construct();
}

void RPCSetMessage::addPropertiesTo(Property* c) {
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &messenger));
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &textId));
    c->add(new PropertyUString(u"", PROP_ARGUMENT, &text, MAX_TEXT));
    c->add(new PropertyFloat(u"", PROP_ARGUMENT, &duration));
}

void RPCSetMessage::execute() {
    GameController* gc = zub_cast<GameController>(target);
    // A peer's messenger that names no line is dropped, not fatal.
    if (gc && (messenger == 1 || messenger == 2)) gc->local_setMessage(messenger, textId, duration, text);
}

void RPCSetMessageForPlayer::addPropertiesTo(Property* c) {
    addPropertyDWORD(c, &player);
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &messenger));
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &textId));
    c->add(new PropertyUString(u"", PROP_ARGUMENT, &text, RPCSetMessage::MAX_TEXT));
    c->add(new PropertyFloat(u"", PROP_ARGUMENT, &duration));
}

void RPCSetMessageForPlayer::execute() {
    GameController* gc = zub_cast<GameController>(target);
    if (gc && (messenger == 1 || messenger == 2))
        gc->local_setMessageForPlayer(player, messenger, textId, text, duration);
}

void RPCEnterState::execute() {
    if (GameController* gc = zub_cast<GameController>(target)) gc->enterState();
}

void RPCShakeCamera::addPropertiesTo(Property* c) {
    c->add(new PropertyFloat(u"", PROP_ARGUMENT, &strength));
    c->add(new PropertyFloat(u"", PROP_ARGUMENT, &duration));
}

void RPCShakeCamera::execute() {
    if (GameController* gc = zub_cast<GameController>(target)) gc->shakeCamera(strength, duration);
}
