#pragma once
// The engine's clocks. The physical clock is monotonic seconds; the game
// clock (getTime) is the physical time since the origin less the time spent
// paused (while the window is in the background), so that network time stamps
// and timers don't jump when the program comes back.
class TimeKeeper {
public:
    TimeKeeper();

    // Raw monotonic seconds. Subtract startTime for the time since start-up.
    static double getPhysicalTime();
    // Seconds since startTime less the paused time.
    double getTime() const;

    void pause();
    void resume();
    bool isPaused() const { return bPaused; }

    // A clock of fixed steps for automated runs: while the step is above 0,
    // getTime is the number of frames begun (advanceFrame) times the step,
    // whatever the physical clock says, so that a scripted run is the same
    // on a fast machine and a slow one.
    void setFixedStep(double seconds);
    double fixedStep() const { return stepSeconds; }
    void advanceFrame();

    // The keeper of the running engine, or null.
    static TimeKeeper* active();
    static void setActive(TimeKeeper* k) { activeKeeper = k; }

    double startTime;        // the origin, in physical seconds
    double pausedTotal = 0;  // paused seconds before the current pause

private:
    bool bPaused = false;
    double pauseStart = 0;
    double stepSeconds = 0;
    double steppedTime = 0;
    static TimeKeeper* activeKeeper;
};

// Paces frames: by default 100 per second. The period and the two clock times
// are set by the game configuration; wait() sleeps until the next frame is due
// and falls back into step when the program ran late.
class ZubTimer {
public:
    explicit ZubTimer(double period = 0.01);

    // Restarts the pacing from `now` (seconds since the time keeper's origin).
    void restart(double now);
    // Seconds to sleep before the next frame, given the current time; moves
    // the deadline on. Late frames are not made up for more than a few periods.
    double nextDelay(double now);
    // Sleeps until the next frame is due.
    void wait(const TimeKeeper& keeper);

    double period;
    double lastFrameTime = 0;  // when the current frame was due
    double nextFrameTime = 0;  // when the next frame is due
};
