#include "objects/pig/SpeechBubble.h"

#include <algorithm>

#include "gfx/Camera.h"
#include "gfx/StretchSkin.h"
#include "input/ZubInput.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "records/GameConfiguration.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"
#include "util/Format.h"
#include "world/A99Object.h"

namespace {

// Placement above the owner: by default 18 to the left of it and its
// bounds' height up; the hero's style sits at a fixed offset.
constexpr float DEFAULT_DX = -18.0f;
constexpr int HERO_STYLE = 1;
constexpr float HERO_DX = 36.0f;
constexpr float HERO_DY = 30.0f;
// Text lines are a third of the screen wide at most.
constexpr float TEXT_WIDTH = static_cast<float>(REFERENCE_WIDTH / 3);
// Lines without a colour of their own are black.
constexpr uint32_t DEFAULT_TEXT_RGB = 0x000000u;

// Down now and not down in the previous frame.
bool pressed(const ZubInput* in, const ControlBinding& b) {
    auto edge = [in](int code) { return in->isKeyDown(code) && !in->wasKeyDown(code); };
    return in && (edge(b.key) || edge(b.alternative));
}

const bool installedAtStart = (SpeechBubble::install(), true);

}  // namespace

void SpeechBubble::install() { A99Object::speechBubbleMaker = &SpeechBubble::make; }

ZubBase* SpeechBubble::make(A99Object* owner, const V3& offset, int style, int dismissMode, const WString& text) {
    if (!Level::current()) return nullptr;
    auto* b = new SpeechBubble(owner, offset, style);
    b->dismissMode = dismissMode;
    b->setText(text, 0.0);
    return b;
}

SpeechBubble::SpeechBubble(A99Object* owner, const V3& offset_, int style_) : style(style_), offset(offset_) {
    pOwner.set(owner);
    if (Level* level = Level::current()) font = level->getBubbleFont();
    ResourceManager* resources = ResourceManager::active();
    Skin* source = resources ? resources->findAs<Skin>(formatString(u"%s:%d", WString(FRAME_SHEET), style)) : nullptr;
    frame = new StretchSkin(source);
    frame->setBorders(BORDER_LEFT, BORDER_TOP, BORDER_RIGHT, BORDER_BOTTOM);
    setSkin(frame);
    bOwnsSkin = 1;
    setText(WString(), 0.0);
    fitFrame();
    if (owner) place(owner);
}

SpeechBubble::~SpeechBubble() {
    pText.reset();
    pOwner.set(nullptr);
}

void SpeechBubble::setText(const WString& text, double duration) {
    if (text.empty()) {
        timeLeft = 0.0;
        return;
    }
    if (duration <= 0.0) duration = std::max(SECONDS_PER_CHARACTER * static_cast<double>(text.size()), MIN_DURATION);
    timeLeft = duration;
    pText.reset();
    if (font) pText = std::make_unique<TextBlock>(font, TEXT_WIDTH, -1.0f, text);
    fitFrame();
}

void SpeechBubble::fitFrame() {
    const float textWidth = pText ? pText->width : 0.0f;
    const int lines = pText ? pText->lineCount() : 0;
    const float lineHeight = font ? static_cast<float>(font->height) : 0.0f;
    frame->setSize(std::max(textWidth + FRAME_PADDING, MIN_WIDTH),
                   std::max(lineHeight * static_cast<float>(lines) + FRAME_PADDING, MIN_HEIGHT));
    frame->getAnchorPoint(1);
    onTransformChanged();
}

bool SpeechBubble::playerActed() const {
    Level* level = Level::current();
    if (!level) return false;
    const ZubInput* in = ZubInput::active();
    const GameConfiguration& c = level->getConfiguration();
    switch (dismissMode) {
        case UNTIL_WALK:
            return pressed(in, c.controls[GameConfiguration::CONTROL_LEFT]) ||
                   pressed(in, c.controls[GameConfiguration::CONTROL_RIGHT]) || level->isTouchHeld(Level::TOUCH_LEFT) ||
                   level->isTouchHeld(Level::TOUCH_RIGHT);
        case UNTIL_JUMP:
            return pressed(in, c.controls[GameConfiguration::CONTROL_JUMP]) || level->isTouchHeld(Level::TOUCH_JUMP);
        case UNTIL_UP:
            // A switch's or a cargo's prompt is the action UP would take.
            return pressed(in, c.controls[GameConfiguration::CONTROL_USE]) || level->promptPriority == 2 ||
                   level->promptPriority == 3;
        default:
            return false;
    }
}

void SpeechBubble::place(const Renderable* owner) {
    float dx = DEFAULT_DX;
    float dy = static_cast<float>(static_cast<int>(owner->boundingRadius * owner->scale.y));
    if (style == HERO_STYLE) {
        dx = HERO_DX;
        dy = HERO_DY;
    }
    if (scale.x < 0.0f) dx = -dx;
    position = owner->position + offset + V3(dx, dy, 0.0f);
    onTransformChanged();
}

void SpeechBubble::tick(double time, double dt) {
    Renderable::tick(time, dt);
    const Renderable* owner = pOwner.as<Renderable>();
    if (!owner || owner->bToBeDestroyed) {
        bToBeDestroyed = 1;
        return;
    }
    timeLeft -= dt;
    if (timeLeft <= 0.0 && bRemoveWhenDone && dismissMode == TIMED) {
        bToBeDestroyed = 1;
        return;
    }
    if (dismissMode != TIMED && playerActed()) dismissMode = TIMED;
    place(owner);
}

void SpeechBubble::render() {
    if (bHidden) return;
    renderSelf();
    if (!font || !pText || !bInView) return;
    // The frame's centre (mirrored with the bubble); the lines hang from the
    // top of the text, which is centred in the frame.
    V3 centre;
    localToWorld(centre, V3());
    const float top = centre.y + pText->height * 0.5f;
    const uint32_t colour = (color & 0xFF000000u) | DEFAULT_TEXT_RGB;
    for (int i = 0; i < pText->lineCount(); ++i) {
        const TextLine* line = pText->getLine(i);
        font->drawText(centre.x, top + line->y, centre.z, colour, FontQuad::TEXT_CENTRE, line->markupText());
    }
}
