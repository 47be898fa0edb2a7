#include "flow/OverlayHint.h"

#include <algorithm>
#include <cmath>

#include "flow/FlowClassIds.h"
#include "flow/GameServices.h"
#include "flow/OverlayTutorial.h"
#include "gfx/Camera.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/GameSquare.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "records/GameConfiguration.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"

ZUB_IMPLEMENT_CLASS(OverlayHint, Overlay, flow_ids::OverlayHint)
ZUB_IMPLEMENT_CLASS(RPCShowHint, RPC, flow_ids::RPCShowHint)

namespace {

// A line of text that stays until the overlay goes.
FadingText* panelText(const V3& at, std::u16string_view text, FontQuad* font, uint32_t colour, int32_t flags) {
    auto* t = new FadingText(at, text, font, colour);
    t->flags = flags;
    t->bShadow = 0;
    t->bAutoRemove = 0;
    return t;
}

// Where a picture of the skin stands when its top edge lies at y.
V3 placeBelow(const Skin* skin, float y) { return V3(0.0f, y + skin->origin.y - skin->height * 0.5f, 0.0f); }

}  // namespace

OverlayHint::OverlayHint() {
    dismissOnBinding(GameConfiguration::CONTROL_JUMP);
    bDismissOnPointerPress = 1;
}

void OverlayHint::showHint(const WString& title, const WString& text, Skin* skin, int32_t picture) {
    RPCShowHint rpc;
    rpc.target = this;
    rpc.title = title;
    rpc.text = text;
    rpc.skin = skin;
    rpc.picture = picture;
    rpc.call();
}

void OverlayHint::local_showHint(const WString& title, const WString& text, Skin* skin, int32_t picture) {
    // A panel shown again replaces the one it showed.
    destroyChildren();
    // The sheet must exist even when no picture is asked for.
    Texture* sheet = OverlayTutorial::sheetOfDisplay();
    FontQuad* textFont = findResource<FontQuad>(u"fontMedium");
    FontQuad* titleFont = findResource<FontQuad>(u"fontLarge");
    const float lineX = static_cast<float>(textFont->height);
    const float titleStep = std::trunc(static_cast<float>(titleFont->height) * 1.25f);
    TextBlock block(textFont, TEXT_WIDTH_SHARE * static_cast<float>(REFERENCE_WIDTH), -1.0f, text);
    // A picture of the sheet stands in the sheet's frame; one the sheet does
    // not have shows only the frame.
    Skin* frame = picture >= 0 ? sheet->getSkin(0) : nullptr;
    Skin* framed = frame ? sheet->getSkin(picture) : nullptr;

    float width = MIN_CONTENT_WIDTH;
    float height = 0.0f;
    if (!title.empty()) {
        width = std::max(width, titleFont->measureText(title).width);
        height = titleStep;
    }
    if (skin) {
        width = std::max(width, skin->width);
        height += skin->height + lineX;
    }
    if (frame) {
        width = std::max(width, frame->width);
        height += frame->height + lineX;
    }
    width = std::max(width, block.width);
    height += static_cast<float>(block.lineCount()) * lineX;
    const float h2 = 2.0f * std::trunc(height * 0.5f);
    const float w2 = std::max(2.0f * std::trunc(width * 0.5f), h2);
    const float squareHeight = h2 + BORDER;
    addChild(new GameSquare(0.0f, 0.0f, 0.0f, w2 + BORDER, squareHeight, false, u""));

    float y = h2 * 0.5f;
    if (!title.empty()) {
        addChild(panelText(V3(0.0f, y, 0.0f), title, titleFont, TITLE_COLOUR, FadingText::DEFAULT_FLAGS));
        y -= titleStep;
    }
    if (skin) {
        addChild(new Renderable(skin, placeBelow(skin, y)));
        y -= skin->height + lineX;
    }
    if (frame) {
        // The picture over its frame, both where the frame's top is at y.
        const V3 at = placeBelow(frame, y);
        addChild(new Renderable(frame, at));
        if (framed) addChild(new Renderable(framed, at));
        y -= frame->height + lineX;
    }
    for (const TextLine* line : childrenOf<TextLine>(block)) {
        float x = std::trunc(-line->width * 0.5f);
        for (const TextRun* run : childrenOf<TextRun>(line)) {
            const uint32_t colour = run->color == 1 ? TEXT_COLOUR : run->color;
            addChild(panelText(V3(x, y, 0.0f), run->text, textFont, colour, FontQuad::TEXT_AT_X));
            x = std::trunc(x + run->width);
        }
        y -= lineX;
    }
    addChild(panelText(V3(0.0f, FOOTER_LIFT - squareHeight * 0.5f, 0.0f), continuePrompt(dismissCode1),
                       findResource<FontQuad>(u"fontSmall"), TEXT_COLOUR,
                       FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP));
}

void OverlayHint::renderContents() {
    renderFrozenLevel();
    ContextMenu::renderContents();
}

void RPCShowHint::addPropertiesTo(Property* c) {
    c->add(new PropertyUString(u"", PROP_ARGUMENT, &title, MAX_TEXT));
    c->add(new PropertyUString(u"", PROP_ARGUMENT, &text, MAX_TEXT));
    c->add(new PropertyPointer(u"", PROP_ARGUMENT | PROP_RESOURCE, &skin, &Skin::classRecord));
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &picture));
}

void RPCShowHint::execute() {
    if (OverlayHint* hint = zub_cast<OverlayHint>(target)) hint->local_showHint(title, text, skin, picture);
}
