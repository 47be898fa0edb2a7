#include "sys/TimeKeeper.h"

#include <chrono>
#include <thread>

TimeKeeper* TimeKeeper::activeKeeper = nullptr;

TimeKeeper::TimeKeeper() : startTime(getPhysicalTime()) {}

double TimeKeeper::getPhysicalTime() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double TimeKeeper::getTime() const {
    if (stepSeconds > 0) return steppedTime;
    const double now = bPaused ? pauseStart : getPhysicalTime();
    return now - startTime - pausedTotal;
}

void TimeKeeper::setFixedStep(double seconds) {
    steppedTime = getTime();
    stepSeconds = seconds > 0 ? seconds : 0;
}

void TimeKeeper::advanceFrame() {
    if (stepSeconds > 0) steppedTime += stepSeconds;
}

void TimeKeeper::pause() {
    if (bPaused) return;
    bPaused = true;
    pauseStart = getPhysicalTime();
}

void TimeKeeper::resume() {
    if (!bPaused) return;
    bPaused = false;
    pausedTotal += getPhysicalTime() - pauseStart;
}

TimeKeeper* TimeKeeper::active() { return activeKeeper; }

ZubTimer::ZubTimer(double p) : period(p > 0 ? p : 0.01) {}

void ZubTimer::restart(double now) {
    lastFrameTime = now;
    nextFrameTime = now + period;
}

double ZubTimer::nextDelay(double now) {
    const double delay = nextFrameTime - now;
    lastFrameTime = nextFrameTime;
    if (delay >= 0) {
        nextFrameTime += period;
        return delay;
    }
    // Late. A little lateness is made up by the next frames; after a long
    // stall (a breakpoint, a slow load) the pacing starts again from now.
    if (-delay > 4 * period) {
        lastFrameTime = now;
        nextFrameTime = now + period;
    } else {
        nextFrameTime += period;
    }
    return 0.0;
}

void ZubTimer::wait(const TimeKeeper& keeper) {
    const double now = TimeKeeper::getPhysicalTime() - keeper.startTime;
    const double delay = nextDelay(now);
    if (delay > 0) std::this_thread::sleep_for(std::chrono::duration<double>(delay));
}
