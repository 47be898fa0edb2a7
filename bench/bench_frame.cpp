// The empty engine's frame: CPU time per frame and the pacing error at 100
// frames per second, measured against the clock in the same run. The window
// is the scripted back-end, so only the engine's own work is measured.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <vector>

#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "platform/Platform.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "sys/TimeKeeper.h"

namespace {
double cpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}
}  // namespace

int main(int argc, char** argv) {
    // The number of frames may be given first; Google Benchmark's options
    // (which the CI passes to every benchmark) are not ours and are ignored.
    int frames = 500;
    if (argc > 1 && argv[1][0] != '-') frames = std::atoi(argv[1]);
    frames = std::max(frames, 2);  // the first interval is dropped below
    std::string folder = (std::filesystem::temp_directory_path() / "zub-bench-frame-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    setUserDataFolderOverride(folder + "/");
    ErrorManager::bTestMode = true;
    {  // the engine and its screens end before the folder goes
        platform::NullBackend backend;
        std::string err;
        backend.openWindow(platform::WindowSettings{}, err);
        ApplicationHooks hooks;
        Zub engine(backend, hooks);
        ContextManager stack;
        auto* screen = new Context;
        stack.pushContext(screen);
        engine.rootContext = &stack;

        platform::InputSnapshot input;
        platform::WindowState window = backend.window;
        std::vector<double> intervals;
        intervals.reserve(frames);
        double busy = 0;
        double last = TimeKeeper::getPhysicalTime();
        for (int i = 0; i < frames; ++i) {
            const double c0 = cpuSeconds();
            engine.frame(input, window);  // includes the wait for the next frame
            busy += cpuSeconds() - c0;
            const double now = TimeKeeper::getPhysicalTime();
            intervals.push_back(now - last);
            last = now;
        }
        // The first interval includes start-up; skip it.
        intervals.erase(intervals.begin());
        double sum = 0, worst = 0, absErr = 0;
        for (double d : intervals) {
            sum += d;
            worst = std::max(worst, std::fabs(d - 0.01));
            absErr += std::fabs(d - 0.01);
        }
        std::sort(intervals.begin(), intervals.end());
        const double mean = sum / intervals.size();
        std::printf("frames: %d\n", frames);
        std::printf("CPU time per frame: %.1f us\n", busy / frames * 1e6);
        std::printf("frame interval: mean %.4f ms (target 10 ms), median %.4f ms, p99 %.4f ms\n", mean * 1e3,
                    intervals[intervals.size() / 2] * 1e3, intervals[intervals.size() * 99 / 100] * 1e3);
        std::printf("pacing error: mean |error| %.1f us, worst %.1f us, rate error %.3f%%\n",
                    absErr / intervals.size() * 1e6, worst * 1e6, (mean - 0.01) / 0.01 * 100);
    }
    // The engine has closed its log and written its settings by now.
    setUserDataFolderOverride("");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
