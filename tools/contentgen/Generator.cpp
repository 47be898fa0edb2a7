#include "Generator.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <unordered_map>

#include "Canvas.h"
#include "Manifest.h"
#include "Painter.h"
#include "Readme.h"
#include "Synth.h"
#include "audio/OggEncoder.h"
#include "gfx/ImageCodec.h"
#include "platform/FontRasterizer.h"
#include "sys/ArchiveWriter.h"
#include "text/GlyphPageGenerator.h"

namespace fs = std::filesystem;

namespace contentgen {

using content::Entry;
using content::Kind;

namespace {

constexpr int kJpegQuality = 85;
constexpr float kSoundQuality = 0.3f;
constexpr float kMusicQuality = 0.2f;

bool writeFile(const std::string& path, const void* data, size_t size, std::string& error) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    if (ec) {
        error = path + ": " + ec.message();
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot be written";
        return false;
    }
    const bool ok = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !ok) {
        error = path + ": write failed";
        return false;
    }
    return true;
}

struct Output {
    int files = 0;
    uint64_t bytes = 0;
    std::string error;
};

bool emit(const std::string& outDir, const std::string& relative, const void* data, size_t size, Output& out) {
    if (!writeFile(outDir + "/" + relative, data, size, out.error)) return false;
    ++out.files;
    out.bytes += size;
    return true;
}

void makeSymbolSheet(const std::string& outDir, const Entry& e, Output& out);

// One manifest entry: its file(s).
void makeEntry(const Entry& e, const std::string& outDir, Output& out) {
    switch (e.kind) {
        case Kind::Texture:
        case Kind::Image: {
            const SheetLayout layout = layoutSheet(e.frames);
            Canvas sheet = paintSheet(e, layout);
            std::vector<uint8_t> bytes;
            const bool jpeg = e.file.size() > 4 && e.file.compare(e.file.size() - 4, 4, ".jpg") == 0;
            if (jpeg) {
                if (!image_codec::encodeJpeg(sheet.pixels().data(), sheet.width(), sheet.height(), kJpegQuality,
                                             bytes)) {
                    out.error = e.file + ": JPEG encoding failed";
                    return;
                }
            } else {
                bytes = sheet.encodeTga();
            }
            if (!emit(outDir, e.file, bytes.data(), bytes.size(), out)) return;
            if (e.kind == Kind::Texture) {
                const std::string ini = skinDescription(e, layout);
                emit(outDir, content::descriptionFileName(e.file), ini.data(), ini.size(), out);
            }
            return;
        }
        case Kind::Sound:
        case Kind::Music: {
            const Audio audio = synthesize(e);
            std::vector<uint8_t> bytes;
            std::string why;
            if (!audio::encodeOggVorbis(audio.samples.data(), audio.frames(), audio.channels, audio.rate,
                                        e.kind == Kind::Music ? kMusicQuality : kSoundQuality, bytes, &why)) {
                out.error = e.file + ": " + why;
                return;
            }
            emit(outDir, e.file, bytes.data(), bytes.size(), out);
            return;
        }
        case Kind::GlyphSheet:
            makeSymbolSheet(outDir, e, out);
            return;
    }
}

// Runs jobs 0..n-1 on `threads` threads.
template <class F>
void parallelFor(size_t n, unsigned threads, F job) {
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < n; i = next++) job(i);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
}

// Glyph pages: a font's size, outline and cell widths, from its role. The
// tiny font takes only its first page, so all of its codes fit on one.
glyph_pages::Style fontStyle(const content::FontRole& role) {
    glyph_pages::Style s;
    s.pageWidth = 512;
    s.maxPageHeight = 512;
    s.pixelSize = role.pixelSize;
    s.outline = role.outline;
    s.cellExtra = role.tracking - role.letterSpacing;
    return s;
}

void account(const std::string& path, Output& out) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) return;
    ++out.files;
    out.bytes += size;
}

// One font's pages (and extra symbol pages) for a code page; the first font
// of a code page also writes the code page's table.
void makeFont(const std::string& outDir, const content::CodePage& cp, const content::FontRole& role, Output& out) {
    glyph_pages::FontJob job;
    job.root = outDir;
    job.codePage = cp.name;
    job.stem = role.stem;
    job.style = fontStyle(role);
    job.extraSymbols = std::string(role.stem) != "font-tiny";
    job.writeTable = &role == &content::kFonts[0];
    std::vector<std::string> written;
    if (!glyph_pages::writeFont(job, &written, out.error)) {
        out.error = std::string("glyph pages ") + cp.name + "/" + role.stem + ": " + out.error;
        return;
    }
    for (const std::string& w : written) account(w, out);
}

// The tiny font's symbol sheets: the GUI symbols from code 0 (the edit box's
// caret and its blank phase, as the tiny font is the level editor's edit
// boxes' font, then arrows, triangles, pointers) and the editor's row
// symbols from code 0x80 (group, sub-object, remote call).
void makeSymbolSheet(const std::string& outDir, const Entry& e, Output& out) {
    const glyph_pages::Style style = fontStyle(content::kFonts[0]);
    const std::string file = platform::defaultGlyphFontFile();
    std::unique_ptr<platform::FontRasterizer> font =
        file.empty() ? nullptr : platform::openFontRasterizer(file, style.pixelSize, out.error);
    if (!font) {
        out.error = e.file + ": " + (file.empty() ? std::string("DejaVu Sans is not installed") : out.error);
        return;
    }
    const bool gui = e.name == "fontTinyGUIsymbolsTex";
    const std::vector<char32_t> slots =
        gui ? glyph_pages::caretSymbolSlots(*font) : std::vector<char32_t>{0x25B8, 0x2022, 0x25BA};
    const std::string stem = outDir + "/" + e.file.substr(0, e.file.size() - 4);
    if (!glyph_pages::writeSymbolSheet(stem, *font, slots, style, out.error)) {
        out.error = e.file + ": " + out.error;
        return;
    }
    account(stem + ".tga", out);
    account(stem + ".ini", out);
}

const std::unordered_map<std::string, content::Wad>& archiveIndex() {
    static const std::unordered_map<std::string, content::Wad> index = [] {
        std::unordered_map<std::string, content::Wad> m;
        for (const Entry& e : content::manifest()) {
            m.emplace(e.file, e.wad);
            if (e.isTexture()) m.emplace(content::descriptionFileName(e.file), e.wad);
        }
        return m;
    }();
    return index;
}

}  // namespace

bool archiveOf(const std::string& path, std::string& name) {
    auto it = archiveIndex().find(path);
    if (it != archiveIndex().end()) {
        name = content::wadFileName(it->second);
        return true;
    }
    for (const content::CodePage& cp : content::kCodePages) {
        const std::string folder = std::string("gfx/font/") + cp.name + "/";
        if (path.compare(0, folder.size(), folder) == 0) {
            name = content::wadFileName(cp.wad);
            return true;
        }
    }
    const std::string levels = std::string(content::kLevelFolder) + "/";
    if (path.compare(0, levels.size(), levels) == 0 && path.size() > 4 &&
        path.compare(path.size() - 4, 4, ".lev") == 0) {
        name = content::wadFileName(content::Wad::Levels);
        return true;
    }
    return false;
}

std::vector<std::pair<std::string, std::string>> archivedFiles(const std::string& outDir) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* top : {"gfx", "sfx", content::kLevelFolder}) {
        std::error_code ec;
        const fs::path root = fs::path(outDir) / top;
        if (!fs::is_directory(root, ec)) continue;
        fs::recursive_directory_iterator it(root, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            const std::string relative = fs::relative(it->path(), outDir, ec).generic_string();
            std::string archive;
            if (!ec && archiveOf(relative, archive)) files.emplace_back(relative, archive);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool generate(const Options& options, Report& report) {
    const auto start = std::chrono::steady_clock::now();
    const unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    const std::string& outDir = options.outDir;

    if (options.looseFiles) {
        // The level builder writes its files here later; the folder exists from the start.
        std::error_code ec;
        fs::create_directories(fs::path(outDir) / content::kLevelFolder, ec);
        // One job per file: a shared file (appleBite and appleBiteBig) is made once.
        std::vector<const Entry*> jobs;
        std::set<std::string> seen;
        for (const Entry& e : content::manifest())
            if (seen.insert(e.file).second) jobs.push_back(&e);
        // The slowest first, so that the threads finish together.
        std::stable_sort(jobs.begin(), jobs.end(), [](const Entry* a, const Entry* b) {
            auto cost = [](const Entry* e) {
                if (e->kind == Kind::Music) return 3;
                if (e->kind == Kind::Texture && e->frames.size() == 1 && e->frames[0].w * e->frames[0].h > 200000)
                    return 2;
                return e->isAudio() ? 1 : 0;
            };
            return cost(a) > cost(b);
        });
        std::vector<std::function<void(Output&)>> work;
        for (const Entry* e : jobs) work.emplace_back([e, &outDir](Output& o) { makeEntry(*e, outDir, o); });
        for (const content::CodePage& cp : content::kCodePages)
            for (const content::FontRole& role : content::kFonts)
                work.emplace_back([&cp, &role, &outDir](Output& o) { makeFont(outDir, cp, role, o); });
        work.emplace_back([&outDir](Output& o) {
            const std::string page = readmePage();
            emit(outDir, kReadmeFileName, page.data(), page.size(), o);
        });
        std::vector<Output> outputs(work.size());
        parallelFor(work.size(), threads, [&](size_t i) { work[i](outputs[i]); });
        for (const Output& o : outputs) {
            report.files += o.files;
            report.looseBytes += o.bytes;
            if (!o.error.empty()) report.errors.push_back(o.error);
        }
    }

    if (options.archives && report.errors.empty()) {
        std::map<std::string, ArchiveWriter> writers;
        for (content::Wad wad : content::kAllWads)
            writers.emplace(content::wadFileName(wad), ArchiveWriter::Method::Zlib);
        for (const auto& [relative, archive] : archivedFiles(outDir)) {
            auto writer = writers.find(archive);
            if (writer == writers.end()) continue;
            writer->second.addFile(relative, outDir + "/" + relative);
            ++report.archivedFiles;
        }
        for (auto& [name, writer] : writers) {
            writer.threads = threads;
            std::string reason;
            const std::string path = outDir + "/" + name;
            if (!writer.write(path, &reason)) {
                report.errors.push_back(path + ": " + reason);
                continue;
            }
            std::error_code ec;
            report.archiveBytes += fs::file_size(path, ec);
        }
    }
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return report.errors.empty();
}

}  // namespace contentgen
