#include "gui/TextPanel.h"

#include <algorithm>

#include "gfx/ZubGraphics.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(TextPanel, Context, gui_ids::TextPanel)

namespace {

constexpr uint32_t ROW_COLOUR = 0xFFFF80FFu;

int32_t referenceHeight() {
    const ZubGraphics* g = ZubGraphics::active();
    return g ? g->referenceHeight : REFERENCE_HEIGHT;
}

bool anyHeld(const ZubInput& in, std::initializer_list<int> codes) {
    return std::any_of(codes.begin(), codes.end(), [&in](int c) { return in.isKeyDown(c); });
}

}  // namespace

TextPanel::TextPanel() : lines(new ZubBase), cursorY(-static_cast<float>(referenceHeight() / 2)) {
    bDeleteWhenDone = 1;
    addChild(lines);
}

TextPanel::~TextPanel() = default;

FadingText* TextPanel::append(float x, float y, std::u16string_view text, FontQuad* font, uint32_t colour, int flags) {
    auto* t = new FadingText(x, y, 0.0f, text, font, colour);
    t->flags = flags;
    t->bShadow = 0;
    lines->addChild(t);
    return t;
}

void TextPanel::addTextBlock(std::u16string_view text) {
    FontQuad* large = gui::font(u"fontLarge");
    append(0.0f, cursorY, text, large, 0xFFFFFFFFu, FadingText::DEFAULT_FLAGS);
    cursorY -= static_cast<float>(large->height) * 1.15f;
}

void TextPanel::addParagraph(std::u16string_view left, std::u16string_view right) {
    addLine(0.0f, ROW_COLOUR, left, right);
    cursorY -= static_cast<float>(gui::font(u"fontMedium")->height) * 1.15f;
}

void TextPanel::addLine(float yOffset, uint32_t colour, std::u16string_view left, std::u16string_view right) {
    FontQuad* font = gui::font(u"fontMediumOutline");
    const float y = cursorY + yOffset;
    if (left.empty() && right.empty()) {
        append(0.0f, y, u"", font, colour, FadingText::DEFAULT_FLAGS);
    } else if (right.empty()) {
        append(0.0f, y, left, font, colour, FontQuad::TEXT_CENTRE);
    } else {
        if (gui::rightToLeft()) std::swap(left, right);
        const float w = font->measureText(WString(left) + u"   ").width;
        append(-w, y, WString(left) + u"      " + WString(right), font, colour, FontQuad::TEXT_AT_X);
    }
}

void TextPanel::buildText() {
    addTextBlock(gui::text(SID_TUMBRO));
    addParagraph(u"", u"");
    addParagraph(gui::text(SID_COPYRIGHT), u"");
    addParagraph(u"", u"");
    addParagraph(gui::text(SID_CREDITS1A1), u" ");
    addParagraph(gui::text(SID_CREDITS1A2), u" ");
    addParagraph(gui::text(SID_CREDITS1A3), gui::text(SID_CREDITS1B));
    addParagraph(gui::text(SID_CREDITS2A), gui::text(SID_CREDITS2B1));
    addParagraph(gui::text(SID_CREDITS3A), gui::text(SID_CREDITS3B));
    addParagraph(gui::text(SID_CREDITS4A), gui::text(SID_CREDITS4B));
    addParagraph(gui::text(SID_CREDITS5A), gui::text(SID_CREDITS5B1));
    addParagraph(gui::text(SID_CREDITS10A), gui::text(SID_CREDITS10B1));
    for (int32_t id = SID_CREDITS10B2; id <= SID_CREDITS10B77; ++id) addParagraph(u"", gui::text(id));
}

float TextPanel::userMovement(float dt) {
    ZubInput* in = ZubInput::active();
    if (!in) return scrollVelocity.y * dt;
    if (in->isPointerHeld(0)) {
        const InputPointer* p = in->getPointer(0);
        const float y = camera->screenToWorld(p->x, p->y, 0.0f).y;
        const float moved = dragging ? y - dragY : 0.0f;
        dragging = true;
        dragY = y;
        return moved;
    }
    dragging = false;
    float v = scrollVelocity.y;
    if (anyHeld(*in, {208, 257, 305})) v += userScrollSpeed;
    if (anyHeld(*in, {200, 256, 304})) v -= userScrollSpeed;
    return v * dt;
}

void TextPanel::tickContents(double time, double dt) {
    ZubBase::tick(time, dt);
    const ViewRect view = camera->getViewRect(0.0f);
    const float step = static_cast<float>(dt);
    V3 d = scrollVelocity * step;
    if (bUserScroll) {
        d.y = userMovement(step);
        if (scrolled + d.y < 0.0f) d.y = -scrolled;  // not back past the start
    }
    scrolled += d.y;

    for (FadingText* line : childrenOf<FadingText>(lines)) {
        if (line->bToBeDestroyed) continue;
        line->position += d;
        line->onTransformChanged();
        const float y = line->position.y;
        float a = 1.0f;
        if (y > view.top - 50.0f) a = std::clamp((view.top - y) / 50.0f, 0.0f, 1.0f);
        else if (y < view.bottom + 100.0f) a = std::clamp((y - (view.bottom + 40.0f)) / 60.0f, 0.0f, 1.0f);
        const auto alpha = static_cast<uint8_t>(255.0f * a);
        line->setAlpha(alpha);
        line->bHidden = alpha == 0 ? 1 : 0;
        if (y - 64.0f > view.top && !bUserScroll) line->bToBeDestroyed = 1;
    }
}
