#pragma once
// The text bubble that a level object shows above itself (hints, notes, the
// animals' comments): a stretchable frame around a wrapped text that follows
// its owner and disappears after a time, or, in its waiting modes, once the
// player has done what the text asks (walk, jump, press UP) and its time has
// run out. A bubble goes as soon as its owner goes.
//
// Bubbles live in the level's speech-bubble list and are made by
// A99Object::showSpeechBubble through make(), which this file installs as
// A99Object::speechBubbleMaker. A bubble is a plain Renderable: it is neither
// registered nor replicated (every peer makes its own).
//
// The frame's bottom-left corner is the bubble's position, above the owner;
// a bubble mirrored by a negative x scale (its owner stands right of the
// view's centre) grows to the left instead. Text lines are centred in the
// frame and are never mirrored.
#include <cstdint>
#include <memory>

#include "gfx/Renderable.h"
#include "util/WString.h"

class A99Object;
class FontQuad;
class StretchSkin;
class TextBlock;

class SpeechBubble : public Renderable {
public:
    enum DismissMode : int32_t { TIMED = 0, UNTIL_WALK = 1, UNTIL_JUMP = 2, UNTIL_UP = 3 };
    // Insets of the frame (texture pixels): left, top, right, bottom.
    static constexpr int BORDER_LEFT = 35, BORDER_TOP = 20, BORDER_RIGHT = 35, BORDER_BOTTOM = 20;
    // The frame is the text plus this much, and never smaller than the minimum.
    static constexpr float FRAME_PADDING = 40.0f;
    static constexpr float MIN_WIDTH = 55.0f;
    static constexpr float MIN_HEIGHT = 60.0f;
    // Texts without a duration of their own stay this long per character,
    // but at least MIN_DURATION.
    static constexpr double SECONDS_PER_CHARACTER = 0.1;
    static constexpr double MIN_DURATION = 2.5;
    // The frame sheet; the frame is the bubble's style.
    static constexpr const char16_t* FRAME_SHEET = u"gui-game-speechBubble";

    // A bubble of the style (1: the hero's, placed at a fixed offset; others
    // above the owner's bounds) following the owner at the offset, with an
    // empty text. The font is the level's bubble font (none: no text is
    // drawn, the frame keeps its smallest size).
    SpeechBubble(A99Object* owner, const V3& offset, int style);
    ~SpeechBubble() override;

    // Lays the text out a third of the screen wide and sizes the frame to it.
    // A duration of 0 or less is chosen by the text's length. An empty text
    // ends the bubble's time and keeps the text shown.
    void setText(const WString& text, double duration);

    // The owner's presence, the time, the waiting mode, then the placement.
    void tick(double time, double dt) override;
    // The frame, then the text lines.
    void render() override;

    // The maker that A99Object::showSpeechBubble calls; null while no level
    // is in play.
    static ZubBase* make(A99Object* owner, const V3& offset, int style, int dismissMode, const WString& text);
    // Installs make as A99Object::speechBubbleMaker (done when the program
    // starts; callers that replaced the maker put it back with this).
    static void install();

    // Whether the bubble goes when its time has run out (in mode TIMED).
    bool bRemoveWhenDone = true;
    int32_t dismissMode = TIMED;
    ZubBaseReference pOwner{this};
    std::unique_ptr<TextBlock> pText;
    int32_t style = 0;
    FontQuad* font = nullptr;  // the level's
    V3 offset;
    double timeLeft = 0.0;
    StretchSkin* frame = nullptr;  // owned (the bubble's skin)

private:
    // The frame around the current text (the smallest without one).
    void fitFrame();
    // Follows the owner.
    void place(const Renderable* owner);
    // Whether the player did what the waiting mode asks, this frame.
    bool playerActed() const;
};
