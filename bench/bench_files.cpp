// Reading the game's data: every entry of the generated content's archives
// through the archive reader, against libdeflate decompressing the same
// entries (the baseline, measured in the same run), and against reading the
// same files loose through the file manager. Then zopfli (1 iteration)
// against zlib level 9 for writing archive entries.
//
// The content is the one the build generates (build/content, found beside
// the benchmark's folder or through $ZUB_CONTENT_DIR). "Warm" runs read from
// the page cache. The summary prints the ratios between the runs measured here.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#if ZUB_BASELINE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include "sys/Archive.h"
#include "sys/ArchiveReader.h"
#include "sys/ArchiveWriter.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Paths.h"
#include "util/WString.h"

namespace fs = std::filesystem;

namespace {

struct Content {
    std::string root;                   // the content folder, ends with '/'
    std::vector<std::string> archives;  // paths of the archives
    std::vector<std::string> loose;     // names of the loose files under root
    uint64_t entries = 0;
    uint64_t rawBytes = 0;  // the archives' entries unpacked
    uint64_t looseBytes = 0;
};

Content& content() {
    static Content c = [] {
        Content c;
        const char* dir = std::getenv("ZUB_CONTENT_DIR");
        c.root = dir && *dir ? std::string(dir) : getExecutableFolderPath() + "../content";
        if (c.root.back() != '/') c.root += '/';
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(c.root, ec)) {
            if (!e.is_regular_file()) continue;
            const std::string rel = e.path().string().substr(c.root.size());
            if (rel.rfind("Tumbrodemo.dat", 0) == 0) {
                c.archives.push_back(e.path().string());
            } else if (rel.rfind("gfx/", 0) == 0 || rel.rfind("sfx/", 0) == 0 || rel.rfind("levels/", 0) == 0) {
                c.loose.push_back(rel);
                c.looseBytes += e.file_size();
            }
        }
        if (c.archives.empty()) {
            std::fprintf(stderr, "no generated content in '%s' (build the content or set ZUB_CONTENT_DIR)\n",
                         c.root.c_str());
            std::exit(2);
        }
        for (const std::string& path : c.archives) {
            ArchiveReader r;
            r.open(path);
            for (const archive::Entry& e : r.entries()) c.rawBytes += e.rawSize;
            c.entries += r.entries().size();
        }
        return c;
    }();
    return c;
}

// The game's reader: open each archive, read every entry (unpacked and checked).
void BM_ReadArchives(benchmark::State& state) {
    Content& c = content();
    for (auto _ : state) {
        uint64_t total = 0;
        for (const std::string& path : c.archives) {
            ArchiveReader r;
            r.open(path);
            for (int i = 0; i < static_cast<int>(r.entries().size()); ++i) total += r.read(i).size;
        }
        if (total != c.rawBytes) std::abort();
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.rawBytes));
}
BENCHMARK(BM_ReadArchives)->Unit(benchmark::kMillisecond)->MinTime(1.0);

#if ZUB_BASELINE_LIBDEFLATE
// The same entries with libdeflate: each archive read whole into memory, its
// directory parsed by the same code, every compressed entry decompressed as a
// zlib stream (which checks its Adler-32 once) into a buffer of its own.
void BM_ReadArchivesLibdeflate(benchmark::State& state) {
    Content& c = content();
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    for (auto _ : state) {
        uint64_t total = 0;
        for (const std::string& path : c.archives) {
            ByteBuffer file;
            if (!FileManager::readDiskFile(path, file)) std::abort();
            archive::Directory dir;
            std::string reason;
            if (!archive::parseDirectory(file.data, file.size, dir, reason)) std::abort();
            for (const archive::Entry& e : dir.entries) {
                std::unique_ptr<uint8_t[]> out(new uint8_t[e.rawSize ? e.rawSize : 1]);
                const uint8_t* in = file.data + e.offset;
                if (e.compressed) {
                    size_t got = 0;
                    if (libdeflate_zlib_decompress(d, in, e.storedSize, out.get(), e.rawSize, &got) !=
                            LIBDEFLATE_SUCCESS ||
                        got != e.rawSize)
                        std::abort();
                } else {
                    std::copy(in, in + e.rawSize, out.get());
                }
                benchmark::DoNotOptimize(out.get());
                total += e.rawSize;
            }
        }
        if (total != c.rawBytes) std::abort();
    }
    libdeflate_free_decompressor(d);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.rawBytes));
}
BENCHMARK(BM_ReadArchivesLibdeflate)->Unit(benchmark::kMillisecond)->MinTime(1.0);
#endif

// The same content loose, by name through the file manager.
void BM_ReadLoose(benchmark::State& state) {
    Content& c = content();
    std::vector<WString> names;
    for (const std::string& n : c.loose) names.push_back(narrowToWide(n));
    for (auto _ : state) {
        FileManager fm;
        fm.baseFolder = c.root;
        uint64_t total = 0;
        ByteBuffer b;
        for (const WString& n : names) {
            if (!fm.loadFile(n, b)) std::abort();
            total += b.size;
        }
        if (total != c.looseBytes) std::abort();
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.looseBytes));
}
BENCHMARK(BM_ReadLoose)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The compression sample: every 4th loose file that is not already compressed.
std::vector<std::string>& sample() {
    static std::vector<std::string> s = [] {
        Content& c = content();
        std::vector<std::string> v;
        for (size_t i = 0; i < c.loose.size(); i += 4) {
            if (c.loose[i].size() > 4 && c.loose[i].substr(c.loose[i].size() - 4) == ".ogg") continue;
            ByteBuffer b;
            if (!FileManager::readDiskFile(c.root + c.loose[i], b)) std::abort();
            v.emplace_back(reinterpret_cast<const char*>(b.data), b.size);
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
        for (const Run& r : runs) {
            // With repetitions, the median stands for the benchmark.
            if (r.repetitions > 1 && (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median")) continue;
            seconds[r.run_name.function_name] = r.GetAdjustedRealTime() / 1000.0;  // reported in milliseconds
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    ErrorManager::bTestMode = true;
    benchmark::Initialize(&argc, argv);
    Content& c = content();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\ncontent: %zu archives, %llu entries, %.2f MB unpacked; %zu loose files, %.2f MB\n",
                c.archives.size(), static_cast<unsigned long long>(c.entries), c.rawBytes / 1e6, c.loose.size(),
                c.looseBytes / 1e6);
    auto ratio = [&](const char* a, const char* b) {
        if (reporter.seconds.count(a) && reporter.seconds.count(b) && reporter.seconds[b] > 0)
            std::printf("%-26s / %-26s = %.3f\n", a, b, reporter.seconds[a] / reporter.seconds[b]);
    };
    ratio("BM_ReadArchives", "BM_ReadArchivesLibdeflate");
    ratio("BM_ReadArchives", "BM_ReadLoose");
    ratio("BM_CompressZopfli", "BM_CompressZlib9");
    if (compressedRatio.count("zopfli") && compressedRatio.count("zlib9"))
        std::printf("zopfli size / zlib9 size = %.4f (stored/raw %.4f vs %.4f)\n",
                    compressedRatio["zopfli"] / compressedRatio["zlib9"], compressedRatio["zopfli"],
                    compressedRatio["zlib9"]);
    benchmark::Shutdown();
    return 0;
}
