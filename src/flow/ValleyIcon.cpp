#include "flow/ValleyIcon.h"

#include <algorithm>
#include <cmath>

#include "flow/GameServices.h"
#include "fx/ParticleGroup.h"
#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/ResourceLookup.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "text/FontQuad.h"

ValleyIcon::ValleyIcon(int32_t level, float atLength, const V3& at)
    : levelIndex(level), pathPosition(atLength), pDotSkins(findResource<Texture>(u"valleyDot")) {
    pSkin = findResource<Skin>(u"valleyIcons:0");
    bHidden = 1;
    bPickable = 1;
    setPosition(std::trunc(at.x), std::trunc(at.y), at.z);
}

ValleyIcon::~ValleyIcon() = default;

const LevelResult& ValleyIcon::record() const {
    return GameServices::get().profiles().currentProfile().levels[std::clamp(levelIndex, 0, NUMLEVELS - 1)];
}

int ValleyIcon::dotSkinIndex(int32_t rating, int n) {
    if (n < 1) return 0;
    const float share = std::clamp(static_cast<float>(rating) / 1000.0f, 0.0f, 1.0f);
    return static_cast<int>(static_cast<float>(n - 1) * share);
}

void ValleyIcon::tick(double time, double dt) {
    const LevelResult& r = record();
    if (r.completed) {
        Skin* dot = pDotSkins->getSkin(dotSkinIndex(r.score, pDotSkins->getSkinCount()));
        if (dot && dot != pSkin) setSkin(dot);
        bHidden = 0;
    } else if (r.unlocked) {
        bHidden = 0;
    }

    GameServices& services = GameServices::get();
    if (levelIndex == services.currentLevel() && services.configuration().detailLevel >= 1) {
        sparkleTimer += dt;
        if (sparkleTimer >= SPARKLE_INTERVAL) {
            sparkleTimer = 0.0;
            addChild(new ParticleGroup(5, position, 15.0f, 40.0f, 0.0f, 2.0f * kPi, SPARKLE_COLOUR, 2.0f));
        }
    }
    ZubBase::tick(time, dt);
}

void ValleyIcon::render() {
    if (bHidden) return;
    ZubBase::render();
    const LevelResult& r = record();
    if (levelIndex == GameServices::get().currentLevel()) {
        Renderable ring(findResource<Skin>(u"valleyIcons:1"), position);
        ring.renderSelf();
    }
    renderSelf();
    if (r.perfect[LevelResult::PERFECT_SCORE]) {
        Renderable badge(findResource<Skin>(u"valleyIcons:4"), position);
        badge.renderSelf();
    }
    FontQuad* font = findResource<FontQuad>(levelIndex < FIRST_WINTER_LEVEL ? u"fontSmall" : u"fontSmallOutline");
    if (r.completed)
        font->drawText(position.x, position.y - 10.0f, position.z, 0xFFFFFFFFu,
                       FontQuad::TEXT_PLAIN | FontQuad::TEXT_CENTRE, formatPercentTenths(r.score));
    if (r.unlocked)
        font->drawText(position.x, position.y + 10.0f, position.z, TITLE_COLOUR,
                       FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP,
                       ProfileData::levelNumberToTitle(levelIndex, gameLanguage()));
}

V3 ValleyIcon::cursorAnchor(int index) {
    if (index != 0) return noAnchor();
    return findContext(this)->camera->worldToScreen(position);
}
