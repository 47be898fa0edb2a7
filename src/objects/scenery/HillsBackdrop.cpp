#include "objects/scenery/HillsBackdrop.h"

#include <algorithm>
#include <cmath>

#include "gfx/Camera.h"
#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "world/BezierSegment.h"
#include "world/GameWorld.h"
#include "world/Terrain.h"

HillsBackdrop::HillsBackdrop(Skin* back, Skin* front) : pSkinBack(back), pSkinFront(front) {}

HillsBackdrop::~HillsBackdrop() = default;

void HillsBackdrop::render() {
    Level* level = Level::current();
    if (level && level->getConfiguration().detailLevel < 1) return;
    const ZubInput* in = ZubInput::active();
    if (in && in->isKeyDownWithModifiers(input_codes::KEY_H, 4)) return;
    const float halfHeight = 0.5f * static_cast<float>(REFERENCE_HEIGHT);
    for (const Strip& s : STRIPS)
        drawStrip(s.front ? pSkinFront : pSkinBack, s.depth, s.parallax, 0.0f, s.offset * halfHeight, 0.0f, s.color);
    ZubBase::render();
}

void HillsBackdrop::drawStrip(Skin* skin, float p, float q, float dx, float dy, float dz, uint32_t color) {
    const Context* ctx = Context::environment.current;
    const Camera* camera = ctx ? ctx->camera : nullptr;
    if (!skin || !camera || !(skin->width > 0.0f)) return;
    const V3 eye = camera->eye;
    // One screen pixel at the level's depth.
    const float k = (0.0f - eye.z) / (static_cast<float>(REFERENCE_WIDTH) * 0.5f);
    const ViewRect level = camera->getViewRect(0.0f);
    const ViewRect far = camera->getViewRect(eye.z + (0.0f - eye.z) * p);
    // The copies start where the tiling at the strip's own depth would put
    // them, scaled back to the level's depth: they slide at 1/p of its speed.
    const float period = skin->width * p;
    const float r = far.left - std::floor(far.left / period) * period;
    float x = level.left - r / p;
    const float y = (1.0f - 1.0f / q) * eye.y + k * dy;
    Renderable copy;
    copy.color = color;
    for (int n = 0; x < level.right && n < MAX_COPIES; ++n, x += skin->width) {
        const V3 at(x + k * dx, y, k * dz);
        copy.setFields(skin, &at, nullptr, nullptr);
        copy.render();
    }
}
