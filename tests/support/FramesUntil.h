#pragma once
// How the harnesses run frames until something happens: the condition is
// tested before each frame and once more after the last.

namespace leveltest {

// Runs `frame` until `done` holds (true) or `limit` frames have passed
// (then whether it holds after the last).
template <class Frame, class Done>
bool framesUntil(Frame&& frame, Done&& done, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (done()) return true;
        frame();
    }
    return done();
}

}  // namespace leveltest
