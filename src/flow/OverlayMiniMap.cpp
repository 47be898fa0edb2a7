#include "flow/OverlayMiniMap.h"

#include "engine/Zub.h"
#include "flow/FlowClassIds.h"
#include "flow/GameController.h"
#include "flow/GameServices.h"
#include "flow/MyRootObject.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/ResourceLookup.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/cargo/Umbrella.h"
#include "objects/cargo/WingedHat.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "records/GameConfiguration.h"
#include "records/ProfileData.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_CLASS(OverlayMiniMap, Overlay, flow_ids::OverlayMiniMap)
ZUB_IMPLEMENT_CLASS(RPCMiniMapConstruct, RPC, flow_ids::RPCMiniMapConstruct)

namespace {

[[maybe_unused]] const bool registered = (
    Overlay::makers[Overlay::MINIMAP] = []() -> Overlay* { return new OverlayMiniMap; }, true);

// The picture's size as the assertions name it.
struct ImageSize {
    int width;
    int height;
};

const char16_t* const kIcons[] = {u"minimapIcons:0", u"minimapIcons:1", u"minimapIcons:2",
                                  u"minimapIcons:3", u"minimapIcons:4", u"minimapIcons:5"};

}  // namespace

OverlayMiniMap::OverlayMiniMap() {
    dismissOnBinding(GameConfiguration::CONTROL_MAP);
    bDismissOnPointerPress = 1;
}

OverlayMiniMap::~OverlayMiniMap() {
    if (pMapTexture) deleteObject(pMapTexture);
    pMapTexture = nullptr;
}

void OverlayMiniMap::construct() {
    RPCMiniMapConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void OverlayMiniMap::cellOf(const GameController& gc, const V3& at, int& column, int& row) {
    const PlayingArea& a = gc.playingArea;
    column = GameController::mapCellOf(a.left, a.right, at.x, GameController::MINIMAP_WIDTH - 1);
    row = GameController::mapCellOf(a.top, a.bottom, at.y, GameController::MINIMAP_HEIGHT - 1);
}

V3 OverlayMiniMap::iconPlace(const GameController& gc, const V3& at) {
    const PlayingArea& a = gc.playingArea;
    const float across = GameController::mapFraction(a.left, a.right, at.x);
    const float down = GameController::mapFraction(a.top, a.bottom, at.y);
    return V3(-128.0f + 256.0f * across, 96.0f - 192.0f * down, at.z);
}

void OverlayMiniMap::local_construct() {
    MyRootObject* root = MyRootObject::current();
    GameController* gc = root ? root->gameController : nullptr;
    // A second fill (a call repeated by a peer) leaves the map as it is.
    if (!gc || pMapTexture) return;

    const WString name = ProfileData::levelNumberToMinimap(gc->levelNumber());
    auto* picture = zub_cast<MemoryImageFile>(findResource<ZubBase>(name));
    if (!picture) ZUB_ERROR(u"The resource '%s' is not an image.", name);
    picture->unpurge();
    const ImageSize mif{picture->getWidth(), picture->getHeight()};
    ZUB_ASSERT(mif.width == GameController::MINIMAP_WIDTH);
    ZUB_ASSERT(mif.height == GameController::MINIMAP_HEIGHT);

    // What has not been explored is left out: its alpha goes, its colour stays.
    MemoryImageFile masked(mif.width, mif.height);
    const uint32_t* from = picture->pixels();
    uint32_t* to = masked.pixels();
    for (int y = 0; y < mif.height; ++y)
        for (int x = 0; x < mif.width; ++x) {
            const uint32_t p = from[y * mif.width + x];
            to[y * mif.width + x] = gc->exploredMap[y][x] ? p : p & 0x00FFFFFFu;
        }
    // Kept with its alpha even while nothing is revealed.
    pMapTexture = new Texture(&masked, Texture::FLAG_ALPHA);

    const float s = !ZUB || ZUB->displayClass == 1 ? 1.0f : 2.0f;
    auto* frame = new Renderable(findResource<Skin>(u"minimapBackground:0"), V3());
    frame->setScale(s);
    addChild(frame);
    auto* map = new Renderable(pMapTexture->getSkin(0), V3(0.0f, MAP_RAISE, 0.0f));
    map->color = MAP_COLOUR;
    map->setScale(s);
    addChild(map);

    auto revealed = [&](const V3& at) {
        int column, row;
        cellOf(*gc, at, column, row);
        return gc->exploredMap[row][column] != 0;
    };
    if (House* house = gc->houseOrNull(); house && revealed(house->position))
        addIcon(*gc, ICON_HOUSE, house->position, s);
    if (Pig* hero = gc->heroOrNull()) addIcon(*gc, ICON_PIG, hero->position, s);
    for (Cargo* cargo : childrenOf<Cargo>(gc->cargoList)) {
        if (cargo->bToBeDestroyed || cargo->getCarrier() || !revealed(cargo->position)) continue;
        if (zub_cast<Basket>(cargo)) addIcon(*gc, ICON_BASKET, cargo->position, s);
        else if (zub_cast<WingedHat>(cargo)) addIcon(*gc, ICON_HAT, cargo->position, s);
        else if (zub_cast<Umbrella>(cargo)) addIcon(*gc, ICON_UMBRELLA, cargo->position, s);
    }
    for (Apple* apple : childrenOf<Apple>(gc->appleList))
        if (!apple->bToBeDestroyed && !apple->pSlot && !apple->bSpoiled && revealed(apple->position))
            addIcon(*gc, ICON_APPLE, apple->position, s);

    // The map key, as the constructor took it from the bindings.
    auto* footer = new FadingText(V3(0.0f, FOOTER_Y * s, 0.0f), continuePrompt(dismissCode1),
                                  findResource<FontQuad>(u"fontSmall"), FOOTER_COLOUR);
    footer->flags = FontQuad::TEXT_CENTRE | FontQuad::TEXT_HALF_LINE_UP;
    footer->bShadow = 0;
    addChild(footer);
}

void OverlayMiniMap::addIcon(const GameController& gc, Icon icon, const V3& at, float scale) {
    const V3 place = iconPlace(gc, at);
    auto* r = new Renderable(findResource<Skin>(kIcons[icon]),
                             V3(place.x * scale, place.y * scale + MAP_RAISE, place.z * scale));
    r->setScale(scale);
    addChild(r);
}

void OverlayMiniMap::renderContents() {
    renderFrozenLevel();
    ContextMenu::renderContents();
}

void RPCMiniMapConstruct::execute() {
    if (OverlayMiniMap* map = zub_cast<OverlayMiniMap>(target)) map->local_construct();
}
