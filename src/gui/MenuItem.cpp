#include "gui/MenuItem.h"

#include <algorithm>
#include <cmath>

#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/StretchSkin.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "gui/ContextMenu.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItem, Renderable, gui_ids::MenuItem)

MenuItem::MenuItem(float x, float y, float z, std::u16string_view captionText, std::u16string_view hintText)
    : captionLocation(ContextMenu::defaultCaptionLocation), caption(captionText), hint(hintText) {
    if (gui::rightToLeft()) x = -x;
    const ZubGraphics* g = ZubGraphics::active();
    const bool medium = !g || g->referenceWidth <= 0 ||
                        static_cast<float>(g->backBufferWidth) / static_cast<float>(g->referenceWidth) >= 0.5f;
    font = gui::font(medium ? u"fontMedium" : u"fontSmall");
    bPickable = 1;
    position = V3(x, y, z);
    highlightOverlay.position = position;
    setSkins(u"gui-game-editbox", 16, 16, 16, 16);
    setWidth(256);
}

MenuItem::~MenuItem() = default;

void MenuItem::setSkins(std::u16string_view sheetName, int left, int top, int right, int bottom) {
    auto* sheet = findResource<Texture>(sheetName);
    Skin* itemSource = sheet->getSkin(0);
    Skin* overlaySource = sheet->getSkin(1);
    if (!itemSource || !overlaySource) ZUB_ERROR(u"The sheet '%s' has no item skins 0 and 1.", sheetName);

    auto* itemSkin = new StretchSkin(itemSource);
    itemSkin->setBorders(left, top, right, bottom);
    auto* overlaySkin = new StretchSkin(overlaySource);
    overlaySkin->setBorders(left, top, right, bottom);

    if (pSkin && bOwnsSkin) deleteObject(pSkin);
    if (highlightOverlay.pSkin && highlightOverlay.bOwnsSkin) deleteObject(highlightOverlay.pSkin);
    pSkin = itemSkin;
    bOwnsSkin = 1;
    highlightOverlay.pSkin = overlaySkin;
    highlightOverlay.bOwnsSkin = 1;
    onTransformChanged();
    highlightOverlay.onTransformChanged();
}

void MenuItem::setWidth(int width) {
    if (auto* s = static_cast<StretchSkin*>(pSkin)) s->setSize(static_cast<float>(width), -1.0f);
    if (auto* s = static_cast<StretchSkin*>(highlightOverlay.pSkin)) s->setSize(static_cast<float>(width), -1.0f);
    onTransformChanged();
    highlightOverlay.onTransformChanged();
}

float MenuItem::skinWidth() const { return pSkin ? pSkin->width : 0.0f; }

float MenuItem::skinHeight() const { return pSkin ? pSkin->height : 0.0f; }

float MenuItem::fitFactor(std::u16string_view text) const {
    const float textWidth = font ? font->measureText(text).width : 0.0f;
    const float room = static_cast<float>(static_cast<int>(skinWidth() - skinHeight()));
    return room > 10.0f && textWidth > room ? room / textWidth : 1.0f;
}

void MenuItem::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    ZubInput* in = ZubInput::active();

    bHovered = 0;
    if (const Context* c = Context::environment.current; c && pSkin && baseScale != 0.0f)
        bHovered = pSkin->isPointInside((c->mousePosition - position) / baseScale) ? 1 : 0;

    if (!in || in->inputMode == ZubInput::MODE_MOUSE_KEYBOARD) highlight += bHovered ? 4.0 * dt : -4.0 * dt;
    else highlight = bHovered && in->isPointerHeld(0) ? 1.0 : 0.0;
    highlight = std::clamp(highlight, 0.0, 1.0);

    pulse = std::max(0.0f, pulse - 4.0f * static_cast<float>(dt));
    if (bHovered && !bDisabled && in && in->wasAnyPointerPressed()) pulse = 1.0f;

    const float s = 1.0f + 0.15f * pulse * std::sin(-2.0f * kPi * pulse);
    if (baseScale * s != scale.x) {
        scale = V3(baseScale * s, baseScale / s, 1.0f);
        onTransformChanged();
    }

    captionCurrentColor = bDisabled ? captionDisabledColor
                                    : lerpColor(captionColor, captionHighlightColor, static_cast<float>(highlight));
    sideCaptionCurrentColor =
        bDisabled ? sideCaptionDisabledColor
                  : lerpColor(sideCaptionColor, sideCaptionHighlightColor, static_cast<float>(highlight));
}

void MenuItem::drawText(FontQuad* f, int flags, std::u16string_view text, const V3& at, const V3& textScale,
                        uint32_t colour) const {
    if (!f || text.empty()) return;
    Renderable carrier;
    carrier.setFields(nullptr, &at, &rotation, &textScale, &colour);
    f->renderText(&carrier, flags, text);
}

void MenuItem::render() {
    if (bHidden) return;
    Renderable::render();

    if (!bDisabled && highlight > 0.0) {
        highlightOverlay.scale = scale;
        highlightOverlay.rotation = rotation;
        highlightOverlay.position = position;
        highlightOverlay.setAlpha(static_cast<uint8_t>(std::clamp(highlight, 0.0, 1.0) * 255.0));
        if (bHasParent) highlightOverlay.setParentMatrix(parentMatrix);
        else highlightOverlay.onTransformChanged();
        highlightOverlay.render();
    }

    renderValue(position.x, position.y, position.z);

    if (bHovered) {
        const std::u16string_view line = bDisabled ? disabledHint : hint;
        if (!line.empty()) {
            const int32_t h = ZubGraphics::active() ? ZubGraphics::active()->referenceHeight : REFERENCE_HEIGHT;
            gui::font(u"fontSmall")
                ->drawTextShadowedAt(0.0f, static_cast<float>(2 - h / 2), 0.0f, 0xFFFFFFFFu, V3(0.0f, -1.0f, 0.0f),
                                     0x80000000u, line);
        }
    }

    if (caption.empty()) return;
    const float w = skinWidth(), h = skinHeight();
    V3 offset;
    int flags = 0;
    V3 textScale = scale;
    switch (captionLocation) {
        case 4:
            offset = V3(-w / 2 - 5.0f, 0.0f, 0.0f);
            flags = 0x18;
            break;
        case 5:
            flags = 0x14;
            textScale = scale * fitFactor(caption);
            break;
        case 6:
            offset = V3(w / 2 + 5.0f, 0.0f, 0.0f);
            flags = 0x12;
            break;
        case 8:
            offset = V3(0.0f, h / 2 + 5.0f, 0.0f);
            flags = 0x24;
            break;
        default:
            ZUB_ERROR(u"Invalid caption location.");
    }
    V3 at;
    localToWorld(at, offset);
    drawText(font, flags, caption, at, textScale, drawnCaptionColor());
}

void MenuItem::renderValue(float, float, float) {}

void MenuItem::onMouseClick() {
    bClicked = 1;
    gui::playSound(u"mouseClick");
}

V3 MenuItem::cursorAnchor(int index) {
    if (index != 0) return noAnchor();
    const Context* c = findContext(this);
    return c->camera->worldToScreen(V3(position.x, position.y - skinHeight() * 0.25f, position.z));
}
