#include "gui/GameSquare.h"

#include "gfx/StretchSkin.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(GameSquare, Renderable, gui_ids::GameSquare)

GameSquare::GameSquare(float x, float y, float z, float width, float height, bool bOpaque,
                       std::u16string_view titleText)
    : title(titleText) {
    const std::u16string_view name = bOpaque ? u"gui-game-square-opaque:0" : u"gui-game-square:0";
    auto* skin = new StretchSkin(findResource<Skin>(name));
    skin->setBorders(36, 36, 36, 36);
    skin->setSize(width, height);
    pSkin = skin;
    bOwnsSkin = 1;
    position = V3(x, y, z);
    onTransformChanged();
}

GameSquare::~GameSquare() = default;

void GameSquare::render() {
    Renderable::render();
    if (bHidden || title.empty() || !pSkin) return;
    gui::font(u"fontMedium")
        ->drawText(position.x, position.y + pSkin->height * 0.5f - TITLE_DROP, position.z, TITLE_COLOUR, 0x14, title);
}
