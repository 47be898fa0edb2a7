#include "menu/ContextKeyCapture.h"

#include <cmath>

#include "input/ZubInput.h"
#include "sys/ErrorManager.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextKeyCapture, ContextMessageBox, u"ContextKeyCapture")

ContextKeyCapture::ContextKeyCapture(int32_t* r, std::u16string_view titleText, std::u16string_view messageText)
    : result(r) {
    ZUB_ASSERT(result != nullptr);
    title = titleText;
    text = messageText;
    button1Caption.clear();
    build();
    *result = 0;
    bShowPointer = 0;
    // Every key here is an answer, not navigation: a confirm key's tap
    // would otherwise reach the page below as a press and open the box again.
    bKeyNavigation = 0;
}

ContextKeyCapture::~ContextKeyCapture() = default;

int32_t ContextKeyCapture::firstNewCode() {
    const ZubInput* in = ZubInput::active();
    if (!in) return 0;
    for (int32_t code = 1; code < ZubInput::INPUT_CODES; ++code) {
        if (in->keys[code] < 128) continue;
        if (code >= input_codes::MOUSE_UP && code <= input_codes::MOUSE_RIGHT) {
            // A movement entry is down in every frame the mouse moves that
            // way: a fast enough frame counts, whether or not the one before
            // moved too.
            const float moved = code <= input_codes::MOUSE_DOWN ? in->mouseDeltaY : in->mouseDeltaX;
            if (std::fabs(moved) >= kMouseMoveThreshold) return code;
            continue;
        }
        if (in->prevKeys[code] < 128) return code;
    }
    return 0;
}

void ContextKeyCapture::tickContents(double time, double dt) {
    ContextMessageBox::tickContents(time, dt);
    if (const int32_t code = firstNewCode()) {
        *result = code;
        return;
    }
    if (*result != 0) done = 1;
}
