// Reading game data from an archive against reading the same files loose,
// and zopfli (1 iteration) against zlib level 9 for writing archive entries.
//
// The content is synthetic but shaped like the game's: about 50 MB in some
// 1900 files under nested folders: 32-bit TGA images (gradients, flat
// transparent areas and noise, 64 to 512 pixels a side), level and
// description text, and already compressed sound files (noise, stored raw).
// It is generated once per run into a temporary folder.
//
// Reads go through the FileManager as the game's loader does: every file by
// name, whole. "Warm" runs read from the page cache; "cold" runs first drop
// the files from the cache (posix_fadvise), so they include the disk. The
// summary prints the ratios between the runs measured here.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "sys/ArchiveWriter.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "util/WString.h"

namespace fs = std::filesystem;

namespace {

struct Content {
    std::string root;  // ends with '/'
    std::vector<std::string> names;
    uint64_t bytes = 0;
    double zopfliBuildSeconds = 0;
    uint64_t zopfliArchiveBytes = 0;
};

uint32_t nextRandom(uint32_t& x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

std::string tgaImage(int w, int h, uint32_t seed) {
    std::string s(18, '\0');
    s[2] = 2;  // uncompressed true colour
    s[12] = static_cast<char>(w & 0xFF);
    s[13] = static_cast<char>(w >> 8);
    s[14] = static_cast<char>(h & 0xFF);
    s[15] = static_cast<char>(h >> 8);
    s[16] = 32;
    s[17] = 8;
    s.reserve(18 + size_t(w) * h * 4);
    uint32_t x = seed | 1;
    const int cell = 16 << (seed % 3);  // sprite cells with transparent borders
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const bool inside = (i % cell) > cell / 8 && (i % cell) < cell - cell / 8 && (j % cell) > cell / 8 &&
                                (j % cell) < cell - cell / 8;
            if (!inside) {
                s.append(4, '\0');
                continue;
            }
            const int noise = static_cast<int>(nextRandom(x) % 24);
            s += static_cast<char>((i * 255 / w + noise) & 0xFF);
            s += static_cast<char>((j * 255 / h + noise / 2) & 0xFF);
            s += static_cast<char>(((i + j) * 2 + seed) & 0xFF);
            s += static_cast<char>(255);
        }
    }
    return s;
}

std::string text(size_t n, uint32_t seed) {
    static const char* const words[] = {"pig",   "apple", "cargo", "valley", "object", "rect",   "anchor",
                                        "state", "x",     "y",     "speed",  "crate",  "bridge", "hint",
                                        "rope",  "wind",  "sheep", "goat",   "tree",   "rock"};
    std::string s;
    uint32_t x = seed | 1;
    while (s.size() < n) {
        s += words[nextRandom(x) % 20];
        if (nextRandom(x) % 5 == 0) {
            s += '=';
            s += std::to_string(nextRandom(x) % 1000);
            s += '\n';
        } else {
            s += ' ';
        }
    }
    s.resize(n);
    return s;
}

std::string noise(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed | 1;
    for (char& c : s) c = static_cast<char>(nextRandom(x));
    return s;
}

void put(Content& c, const std::string& name, const std::string& bytes) {
    const fs::path p = fs::path(c.root) / name;
    fs::create_directories(p.parent_path());
    FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    c.names.push_back(name);
    c.bytes += bytes.size();
}

Content& content() {
    static Content c = [] {
        Content c;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/var/tmp") + "/zub-bench-files-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        c.root = pattern + "/";
        uint32_t x = 12345;
        static const int sides[] = {64, 128, 128, 256, 256, 256, 512};
        for (int i = 0; i < 170; ++i) {
            const int w = sides[nextRandom(x) % 7], h = sides[nextRandom(x) % 7];
            put(c, "gfx/" + std::to_string(i % 9) + "/Sheet" + std::to_string(i) + ".tga", tgaImage(w, h, nextRandom(x)));
        }
        for (int i = 0; i < 600; ++i)
            put(c, "levels/" + std::string(1, char('a' + i % 8)) + "/level" + std::to_string(i) + ".lev",
                text(2000 + nextRandom(x) % 14000, nextRandom(x)));
        for (int i = 0; i < 1100; ++i)
            put(c, "gfx/" + std::to_string(i % 9) + "/Sheet" + std::to_string(i) + ".ini",
                text(200 + nextRandom(x) % 1800, nextRandom(x)));
        for (int i = 0; i < 40; ++i) put(c, "sfx/sound" + std::to_string(i) + ".ogg", noise(30000 + nextRandom(x) % 150000, i));

        FileManager fm;
        fm.baseFolder = c.root;
        ArchiveWriter writer(ArchiveWriter::Method::Zopfli);
        for (const std::string& n : c.names) writer.addFile(n, c.root + n);
        const auto t0 = std::chrono::steady_clock::now();
        if (!writer.write(c.root + "Game.dat")) std::abort();
        c.zopfliBuildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        c.zopfliArchiveBytes = writer.storedBytes;
        ArchiveWriter stored(ArchiveWriter::Method::Store);
        for (const std::string& n : c.names) stored.addFile(n, c.root + n);
        if (!stored.write(c.root + "Stored.dat")) std::abort();
        return c;
    }();
    return c;
}

void dropFromCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

void readAll(benchmark::State& state, const char* archiveName, bool cold) {
    Content& c = content();
    std::vector<WString> names;
    for (const std::string& n : c.names) names.push_back(narrowToWide(n));
    for (auto _ : state) {
        state.PauseTiming();
        if (cold) {
            if (archiveName) {
                dropFromCache(c.root + archiveName);
            } else {
                for (const std::string& n : c.names) dropFromCache(c.root + n);
            }
        }
        state.ResumeTiming();
        // A fresh manager each time: opening the archive is part of the cost.
        FileManager fm;
        fm.baseFolder = c.root;
        if (archiveName) {
            fm.bUseWad = true;
            fm.bDiskFallback = false;
            fm.useWad(narrowToWide(archiveName));
        }
        uint64_t total = 0;
        ByteBuffer b;
        for (const WString& n : names) {
            if (!fm.loadFile(n, b)) std::abort();
            total += b.size;
        }
        if (total != c.bytes) std::abort();
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.bytes));
}

void BM_ReadLooseWarm(benchmark::State& s) { readAll(s, nullptr, false); }
void BM_ReadArchiveWarm(benchmark::State& s) { readAll(s, "Game.dat", false); }
void BM_ReadStoredArchiveWarm(benchmark::State& s) { readAll(s, "Stored.dat", false); }
void BM_ReadLooseCold(benchmark::State& s) { readAll(s, nullptr, true); }
void BM_ReadArchiveCold(benchmark::State& s) { readAll(s, "Game.dat", true); }
BENCHMARK(BM_ReadLooseWarm)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadArchiveWarm)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadStoredArchiveWarm)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadLooseCold)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadArchiveCold)->Unit(benchmark::kMillisecond)->Iterations(5);

// The compression sample: every 10th file of each kind, about 5 MB.
std::vector<std::string>& sample() {
    static std::vector<std::string> s = [] {
        Content& c = content();
        std::vector<std::string> v;
        for (size_t i = 0; i < c.names.size(); i += 10) {
            FILE* f = std::fopen((c.root + c.names[i]).c_str(), "rb");
            std::string bytes;
            char buf[65536];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
            std::fclose(f);
            if (c.names[i].size() > 4 && c.names[i].substr(c.names[i].size() - 4) == ".ogg") continue;
            v.push_back(std::move(bytes));
        }
        return v;
    }();
    return s;
}

std::map<std::string, double> compressedRatio;

void compressSample(benchmark::State& state, ArchiveWriter::Method method, const char* key) {
    uint64_t raw = 0, packed = 0;
    for (auto _ : state) {
        raw = packed = 0;
        for (const std::string& f : sample()) {
            const std::vector<uint8_t> out = ArchiveWriter::compress(method, f.data(), f.size());
            raw += f.size();
            packed += out.empty() || out.size() >= f.size() ? f.size() : out.size();
        }
    }
    compressedRatio[key] = static_cast<double>(packed) / static_cast<double>(raw);
    state.counters["stored/raw"] = compressedRatio[key];
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * raw));
}

void BM_CompressZopfli(benchmark::State& s) { compressSample(s, ArchiveWriter::Method::Zopfli, "zopfli"); }
void BM_CompressZlib9(benchmark::State& s) { compressSample(s, ArchiveWriter::Method::Zlib, "zlib9"); }
BENCHMARK(BM_CompressZopfli)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CompressZlib9)->Unit(benchmark::kMillisecond)->Iterations(3);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            seconds[r.benchmark_name().substr(0, r.benchmark_name().find('/'))] =
                r.GetAdjustedRealTime() / 1000.0;  // the benchmarks report milliseconds
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    ErrorManager::bTestMode = true;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    Content& c = content();
    std::printf("\ncontent: %zu files, %.1f MB; zopfli archive %.1f MB (%.1f%%), written in %.1f s\n", c.names.size(),
                c.bytes / 1e6, c.zopfliArchiveBytes / 1e6, 100.0 * c.zopfliArchiveBytes / c.bytes,
                c.zopfliBuildSeconds);
    auto ratio = [&](const char* a, const char* b) {
        if (reporter.seconds.count(a) && reporter.seconds.count(b) && reporter.seconds[b] > 0)
            std::printf("%-26s / %-26s = %.3f\n", a, b, reporter.seconds[a] / reporter.seconds[b]);
    };
    ratio("BM_ReadArchiveWarm", "BM_ReadLooseWarm");
    ratio("BM_ReadStoredArchiveWarm", "BM_ReadLooseWarm");
    ratio("BM_ReadArchiveCold", "BM_ReadLooseCold");
    ratio("BM_CompressZopfli", "BM_CompressZlib9");
    if (compressedRatio.count("zopfli") && compressedRatio.count("zlib9"))
        std::printf("zopfli size / zlib9 size = %.4f (stored/raw %.4f vs %.4f)\n",
                    compressedRatio["zopfli"] / compressedRatio["zlib9"], compressedRatio["zopfli"],
                    compressedRatio["zlib9"]);
    std::error_code ec;
    fs::remove_all(c.root, ec);
    benchmark::Shutdown();
    return 0;
}
