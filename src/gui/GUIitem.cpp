#include "gui/GUIitem.h"

#include <algorithm>
#include <iterator>

#include "engine/FocusManager.h"
#include "gfx/Quad.h"
#include "gfx/StretchSkin.h"
#include "gfx/Texture.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "text/FontQuad.h"

// ---------------------------------------------------------------------------
// Themes

GUItheme::GUItheme(int32_t defaultHeight, int32_t captionPadding, int32_t border, int32_t inset, FontQuad* font)
    : defaultHeight(defaultHeight),
      captionPadding(captionPadding),
      border(border),
      insets{inset, inset, inset, inset},
      font(font) {}

void GUItheme::applySheet(GUIitem* item, std::u16string_view sheetName) {
    auto* sheet = findResource<Texture>(sheetName);
    if (sheet->getSkinCount() < 3) ZUB_ERROR(u"Could not find resource '%s:%d'.", sheetName, sheet->getSkinCount());
    item->applyThemeStyle(sheet);
}

FontQuad* GUItheme::findFont(std::u16string_view name) { return findResource<FontQuad>(name); }

// ---------------------------------------------------------------------------
// Items

GUIitem::GUIitem(GUItheme* t, int style) : theme(t) {
    ZUB_ASSERT(theme != nullptr);
    border = theme->border;
    std::copy(std::begin(theme->insets), std::end(theme->insets), insets);
    font = theme->font;
    bPickable = 1;
    theme->setStyle(this, style);
    setSize(width, height);
}

GUIitem::~GUIitem() { deleteFrames(); }

void GUIitem::deleteFrames() {
    // The drawn skin is one of the frames: never leave it dangling.
    pSkin = nullptr;
    for (StretchSkin** f : {&normalFrame, &focusedFrame, &disabledFrame}) {
        if (*f) deleteObject(*f);
        *f = nullptr;
    }
}

void GUIitem::applyThemeStyle(Texture* sheet) {
    deleteFrames();
    Skin* skins[3] = {sheet->getSkin(0), sheet->getSkin(1), sheet->getSkin(2)};
    ZUB_ASSERT(skins[0] && skins[1] && skins[2]);
    StretchSkin** frames[3] = {&disabledFrame, &normalFrame, &focusedFrame};
    for (int i = 0; i < 3; ++i) {
        auto* f = new StretchSkin(skins[i]);
        f->setBorders(insets[0], insets[1], insets[2], insets[3]);
        f->setSize(static_cast<float>(width + 2 * border), static_cast<float>(height + 2 * border));
        *frames[i] = f;
    }
    // Picking and culling use the drawn skin: have one before the first draw.
    pSkin = frameForState();
    onTransformChanged();
}

void GUIitem::setSize(int w, int h) {
    width = w;
    height = h;
    if (!normalFrame) return;
    const float fw = static_cast<float>(w + 2 * border), fh = static_cast<float>(h + 2 * border);
    for (StretchSkin* f : {normalFrame, focusedFrame, disabledFrame}) f->setSize(fw, fh);
    // The bounding circle follows the frame's new size (culling reads it).
    if (pSkin) calcBoundingCircle();
}

void GUIitem::appendChild(ZubBase* child) {
    addChild(child);
    onTransformChanged();
}

void GUIitem::onTransformChanged() {
    Renderable::onTransformChanged();
    for (Renderable* r : childrenOf<Renderable>(this)) r->setParentMatrix(worldMatrix);
}

bool GUIitem::isDisabled() const {
    for (const ZubBase* o = this; o; o = o->parent)
        if (o->bDisabled) return true;
    return false;
}

bool GUIitem::hasFocus() const {
    const FocusManager* fm = FocusManager::active();
    return fm && fm->getFocus() == this;
}

StretchSkin* GUIitem::frameForState() const {
    if (isDisabled()) return disabledFrame;
    if (hasFocus()) return focusedFrame;
    return normalFrame;
}

void GUIitem::tick(double time, double dt) {
    Renderable::tick(time, dt);
    const FocusManager* fm = FocusManager::active();
    bHovered = fm && fm->getHover() == this ? 1 : 0;
    highlight = std::clamp(highlight + (bHovered ? 4.0 : -4.0) * dt, 0.0, 1.0);
    captionCurrentColor =
        isDisabled() ? captionDisabledColor : lerpColor(captionColor, captionHoverColor, static_cast<float>(highlight));
}

bool GUIitem::captionPlacement(int location, float w, float h, float p, V3& offset, int& flags) {
    // Offsets in multiples of the frame's half size and of the padding.
    struct Place {
        int location;
        float halfW, padX, halfH, padY;
        int flags;
    };
    static constexpr Place places[] = {
        {CAPTION_LEFT, -1, -1, 0, 0, 0x18},       {CAPTION_CENTRE, 0, 0, 0, 0, 0x14},
        {CAPTION_RIGHT, 1, 1, 0, 0, 0x12},        {CAPTION_ABOVE, 0, 0, 1, 1, 0x24},
        {CAPTION_INSIDE_LEFT, -1, 1, 0, 0, 0x12}, {CAPTION_INSIDE_RIGHT, 1, -1, 0, 0, 0x18},
        {CAPTION_INSIDE_TOP, 0, 0, 1, -1, 0x05},
    };
    for (const Place& c : places) {
        if (c.location != location) continue;
        offset = V3(c.halfW * w / 2 + c.padX * p, c.halfH * h / 2 + c.padY * p, 0.0f);
        flags = c.flags;
        return true;
    }
    return false;
}

void GUIitem::render() {
    if (bHidden) return;
    StretchSkin* frame = frameForState();
    if (frame != pSkin) {
        pSkin = frame;
        onTransformChanged();
    }
    renderSelf();

    if (!caption.empty()) {
        // An item without frames places its caption as if it had them.
        const float w = pSkin ? pSkin->width : static_cast<float>(width + 2 * border);
        const float h = pSkin ? pSkin->height : static_cast<float>(height + 2 * border);
        const float p = static_cast<float>(theme->captionPadding);
        V3 offset;
        int flags = 0;
        if (!captionPlacement(captionLocation, w, h, p, offset, flags)) ZUB_ERROR(u"Invalid caption location.");
        if (font) {
            Renderable carrier;
            carrier.position = offset;
            carrier.color = captionCurrentColor;
            carrier.setParentMatrix(worldMatrix);
            const float limit = captionLocation >= 0 ? UNLIMITED_CAPTION_WIDTH : static_cast<float>(width) - 2 * p;
            font->drawTextEllipsis(&carrier, flags, caption, limit);
        }
    }
    ZubBase::render();
}
