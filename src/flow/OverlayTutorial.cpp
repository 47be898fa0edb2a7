#include "flow/OverlayTutorial.h"

#include "engine/Zub.h"
#include "flow/FlowClassIds.h"
#include "flow/GameServices.h"
#include "gfx/Camera.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/ResourceLookup.h"
#include "records/GameConfiguration.h"
#include "text/FontQuad.h"
#include "text/MultiLineText.h"

ZUB_IMPLEMENT_CLASS(OverlayTutorial, Overlay, flow_ids::OverlayTutorial)
ZUB_IMPLEMENT_CLASS(RPCTutorialConstruct, RPC, flow_ids::RPCTutorialConstruct)

namespace {

[[maybe_unused]] const bool registered = (
    Overlay::makers[Overlay::TUTORIAL] = []() -> Overlay* { return new OverlayTutorial; }, true);

FadingText* text(const V3& at, std::u16string_view words, const char16_t* font, uint32_t colour, int32_t flags) {
    auto* t = new FadingText(at, words, findResource<FontQuad>(font), colour);
    t->flags = flags;
    return t;
}

}  // namespace

// Only Escape and, past the guard time, the jump binding close it early;
// pointers turn the pages.
OverlayTutorial::OverlayTutorial() = default;

Texture* OverlayTutorial::sheetOfDisplay() {
    const char16_t* name = !ZUB || ZUB->displayClass == 1 ? u"tutorial-iPad" : u"tutorial-iPhone";
    Texture* sheet = zub_cast<Texture>(findResource<ZubBase>(name));
    if (!sheet) ZUB_ERROR(u"The resource '%s' is not a texture.", name);
    return sheet;
}

void OverlayTutorial::construct() {
    RPCTutorialConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void OverlayTutorial::local_construct() {
    // A second fill (a call repeated by a peer) leaves the panel as it is.
    if (pPage) return;
    pSheet = sheetOfDisplay();
    auto* background = new Renderable(findResource<Skin>(u"minimapBackground:0"), V3());
    background->setScale(BACKGROUND_SCALE);
    addChild(background);
    addChild(new Renderable(pSheet->getSkin(0), picturePosition));
    pPage = new ZubBase;
    addChild(pPage);
    const Language& language = gameLanguage();
    const float top = static_cast<float>(REFERENCE_HEIGHT / 2) - TITLE_DROP;
    addChild(text(V3(0.0f, top, 0.0f), language.getText(SID_IOS_HOWTOPLAY), u"fontLarge", TEXT_COLOUR,
                  FadingText::DEFAULT_FLAGS | FontQuad::TEXT_HALF_LINE_UP));
    FadingText* footer = text(V3(0.0f, FOOTER_Y, 0.0f), language.getText(SID_IOS_PRESSXKEYTOCONTINUE), u"fontSmall",
                              FOOTER_COLOUR, FontQuad::TEXT_CENTRE | FontQuad::TEXT_HALF_LINE_UP);
    footer->bShadow = 0;
    addChild(footer);
    showPage();
}

void OverlayTutorial::showPage() {
    if (!pPage || !pSheet) return;
    pPage->destroyChildren();
    int32_t picture = page + 1;
    // The first two pictures show the steering controls where they stand.
    if (GameServices* s = GameServices::installed(); s && s->configuration().touchControls == 1)
        picture = picture == 1 ? 2 : picture == 2 ? 1 : picture;
    pPage->addChild(new Renderable(pSheet->getSkin(picture), picturePosition));
    FadingText* templ = text(V3(0.0f, TEXT_Y, 0.0f), gameLanguage().getText(SID_IOS_HOWTOPLAYTEXT1 + page),
                             u"fontMedium", TEXT_COLOUR, FadingText::DEFAULT_FLAGS);
    templ->bShadow = 0;
    pPage->addChild(new MultiLineText(templ, static_cast<float>(REFERENCE_WIDTH / 2)));
    deleteObject(templ);
}

void OverlayTutorial::tickContents(double time, double dt) {
    const ZubInput* in = ZubInput::active();
    if (in && in->wasAnyPointerPressed()) {
        if (page + 1 < PAGES) {
            ++page;
            showPage();
        } else {
            page = PAGES;
            done = 1;
        }
    }
    Overlay::tickContents(time, dt);
}

void OverlayTutorial::renderContents() {
    renderFrozenLevel();
    ContextMenu::renderContents();
}

void RPCTutorialConstruct::execute() {
    if (OverlayTutorial* tutorial = zub_cast<OverlayTutorial>(target)) tutorial->local_construct();
}
