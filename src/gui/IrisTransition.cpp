#include "gui/IrisTransition.h"

#include <cmath>
#include <numbers>

#include "gfx/Camera.h"
#include "gfx/VertexBuffer.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "records/GameConfiguration.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(IrisTransition, Renderable, gui_ids::IrisTransition)

IrisTransition::IrisTransition() { bNoCulling = 1; }

IrisTransition::~IrisTransition() = default;

void IrisTransition::tick(double, double dt) {
    const float step = static_cast<float>(dt);
    if (closure < targetClosure) closure = closure + step < targetClosure ? closure + step : targetClosure;
    else if (closure > targetClosure) closure = closure - step > targetClosure ? closure - step : targetClosure;
}

float IrisTransition::shapeFactor(int i) {
    constexpr double pi = std::numbers::pi;
    const double a = 2.0 * pi * i / (RING_POINTS - 1);
    const double s = std::sin(2.0 * a);
    double f = 1.0 + s * s * (a < pi ? 0.5 : 0.25);
    if (i == 31 || i == 33) f = 1.5;
    else if (i == 32) f = 1.48;
    else if (i == 95 || i == 97) f *= 0.97;
    else if (i == 96) f *= 0.92;
    return static_cast<float>(f);
}

void IrisTransition::renderSelf() {
    if (closure == 0.0f) return;
    ZubGraphics* g = ZubGraphics::active();
    // Reference (design) units: the iris covers the reference screen
    // whatever the window's size.
    const int w = (g ? g->referenceWidth : REFERENCE_WIDTH) / 2;
    const int h = (g ? g->referenceHeight : REFERENCE_HEIGHT) / 2;
    const float R = std::sqrt(static_cast<float>(w * w + h * h));
    const float r = R * (1.0f - closure);

    VertexBuffer solid(2 * RING_POINTS), soft(2 * RING_POINTS);
    for (int i = 0; i < RING_POINTS; ++i) {
        const double a = 2.0 * std::numbers::pi * i / (RING_POINTS - 1);
        const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
        const float f = shapeFactor(i);
        solid.set(2 * i, R * c, R * s, 0.0f, 0xFF000000u, 0.0f, 0.0f);
        solid.set(2 * i + 1, f * r * c, f * r * s, 0.0f, 0xFF000000u, 0.0f, 0.0f);
        soft.set(2 * i, f * r * c, f * r * s, 0.0f, 0xFF000000u, 0.0f, 0.0f);
        soft.set(2 * i + 1, (f - 0.1f) * r * c, (f - 0.1f) * r * s, 0.0f, 0x00000000u, 0.0f, 0.0f);
    }
    setRotationZ(closure * 2.0f * std::numbers::pi_v<float>);
    Renderable::renderSelf();  // no skin: draws nothing itself
    Skin::applyCarrier(this);

    if (g) g->setAlphaBlend(false);
    solid.draw(nullptr, VertexBuffer::TRIANGLE_STRIP);
    if (g) g->setAlphaBlend(true);
    const GameConfiguration* config = gui::environment().configuration;
    if (!config || config->detailLevel >= 1) soft.draw(nullptr, VertexBuffer::TRIANGLE_STRIP);
}
