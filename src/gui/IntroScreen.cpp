#include "gui/IntroScreen.h"

#include <algorithm>
#include <cmath>

#include "gfx/Renderable.h"
#include "gui/GuiClassIds.h"
#include "object/ResourceLookup.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(IntroScreen, Context, gui_ids::IntroScreen)

IntroScreen::IntroScreen() {
    // A backdrop is ticked by the screens in front of it: their Escape is
    // not its own.
    bEscapeCloses = 0;
    sharpLayer = new Renderable(findResource<Skin>(u"intro:0"), V3());
    addChild(sharpLayer);
    blurredLayer = new Renderable(findResource<Skin>(u"intro-blurred:0"), V3());
    addChild(blurredLayer);
    applyBlend();
}

IntroScreen::~IntroScreen() = default;

void IntroScreen::tickContents(double time, double dt) {
    ZubBase::tick(time, dt);
    const float move = static_cast<float>(0.5 * dt);
    blend = std::clamp(bBlurred ? blend + move : blend - move, 0.0f, 1.0f);
    applyBlend();
}

void IntroScreen::applyBlend() {
    blurredLayer->setAlpha(static_cast<uint8_t>(std::lround(blend * 255.0f)));
    blurredLayer->bHidden = blend == 0.0f ? 1 : 0;
    sharpLayer->bHidden = blend == 1.0f ? 1 : 0;
}
