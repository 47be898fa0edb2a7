// Start-up and exit of the real program, headless and for one frame, timed
// as whole processes against the smallest SDL + OpenGL program
// (startup_baseline, the floor) in the same run: with a sound device (SDL's
// dummy output stands in for one) and with the sound this machine has, which
// on a machine without a sound card means none. The runs of the three are
// interleaved round by round; the medians and their ratios to the
// baseline's are printed, and what the program's log says of its sound.
//
// The number of rounds may be given first (default 20); Google Benchmark's
// options, which the CI passes to every benchmark, ask for a brief run (3).
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Case {
    const char* name;
    const char* program;
    std::map<std::string, std::string> env;  // an empty value unsets the variable
    std::vector<double> seconds;
};

// Runs the program to its end; its output goes to /dev/null. The exit code,
// or -1 when it did not exit normally.
int runOnce(const Case& c, double* seconds) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        for (const auto& [name, value] : c.env) {
            if (value.empty()) unsetenv(name.c_str());
            else setenv(name.c_str(), value.c_str(), 1);
        }
        if (FILE* f = std::freopen("/dev/null", "w", stdout)) (void)f;
        if (FILE* f = std::freopen("/dev/null", "w", stderr)) (void)f;
        execl(c.program, c.program, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The log's line about the sound output, without its prefix.
std::string soundLine(const std::string& home) {
    const std::string log = readFile(home + "/Velmora studios/Tumbrodemo/1.25/Tumbrodemo.log");
    for (const char* what : {"No audio output", "Audio output at"}) {
        const size_t at = log.find(what);
        if (at != std::string::npos) return log.substr(at, log.find('\n', at) - at);
    }
    return "(nothing about sound in the log)";
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 20;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-') rounds = std::max(1, std::atoi(argv[i]));
        else if (std::strncmp(argv[i], "--benchmark_", 12) == 0) rounds = 3;
    }
    std::string home = (fs::temp_directory_path() / "zub-bench-startup-XXXXXX").string();
    if (!mkdtemp(home.data())) return 1;

    const std::map<std::string, std::string> game = {{"SDL_VIDEODRIVER", "offscreen"},
                                                     {"XDG_DATA_HOME", home},
                                                     {"ZUB_ASSUME_FOCUSED", "1"},
                                                     {"ZUB_MAX_FRAMES", "1"},
                                                     {"ZUB_ALLOW_SEVERAL_INSTANCES", "1"}};
    std::vector<Case> cases = {
        {"baseline (SDL + OpenGL)", STARTUP_BASELINE, {{"SDL_VIDEODRIVER", "offscreen"}}, {}},
        {"game, with a sound device", TUMBRODEMO_PROGRAM, game, {}},
        {"game, this machine's sound", TUMBRODEMO_PROGRAM, game, {}},
    };
    cases[1].env["SDL_AUDIODRIVER"] = "dummy";
    cases[2].env["SDL_AUDIODRIVER"] = "";
    // Under the sanitizers (the CI runs every benchmark once, briefly) the
    // graphics libraries' leaks at exit would end the baseline with an
    // error: what is timed here is not leaks, so leak checks are off.
    std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    asan += asan.empty() ? "detect_leaks=0" : ":detect_leaks=0";
    for (Case& c : cases) c.env["ASAN_OPTIONS"] = asan;

    // One round first that is not counted (it fills the page cache), then
    // the rounds, each starting with another case.
    std::string machineSound;
    for (int round = -1; round < rounds; ++round) {
        for (size_t k = 0; k < cases.size(); ++k) {
            Case& c = cases[(k + static_cast<size_t>(round + 1)) % cases.size()];
            double s = 0;
            const int code = runOnce(c, &s);
            if (code != 0) {
                std::fprintf(stderr, "%s: '%s' exited with %d\n", c.name, c.program, code);
                return 1;
            }
            if (round >= 0) c.seconds.push_back(s);
            if (&c == &cases[2] && machineSound.empty()) machineSound = soundLine(home);
        }
    }
    std::error_code ec;
    fs::remove_all(home, ec);

    const double floor = median(cases[0].seconds);
    std::printf("start-up and exit, %d rounds:\n", rounds);
    for (const Case& c : cases) {
        const auto [lo, hi] = std::minmax_element(c.seconds.begin(), c.seconds.end());
        std::printf("  %-28s median %7.1f ms (%.1f to %.1f)  / baseline = %.2f\n", c.name, median(c.seconds) * 1e3,
                    *lo * 1e3, *hi * 1e3, median(c.seconds) / floor);
    }
    std::printf("this machine's sound: %s\n", machineSound.c_str());
    return 0;
}
