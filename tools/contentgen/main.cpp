// contentgen: makes the game's placeholder content from the resource
// manifest: textures with skin descriptions, minimap images, sounds, music,
// glyph pages of the six fonts for code pages 1252 and 1250, and the data
// archives.
//
//   contentgen [--threads N] [--pack-only] [--no-archives] [--stamp FILE] OUT_DIR
//
// --pack-only packs the archives from the loose files already in OUT_DIR
// (for example after level files were added under OUT_DIR/levels); --stamp
// writes FILE once everything succeeded (for the build).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Generator.h"
#include "sys/ErrorManager.h"

int main(int argc, char** argv) {
    contentgen::Options options;
    std::string stamp;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--threads") && i + 1 < argc) {
            options.threads = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (!std::strcmp(a, "--pack-only")) {
            options.looseFiles = false;
        } else if (!std::strcmp(a, "--no-archives")) {
            options.archives = false;
        } else if (!std::strcmp(a, "--stamp") && i + 1 < argc) {
            stamp = argv[++i];
        } else if (a[0] != '-' && options.outDir.empty()) {
            options.outDir = a;
        } else {
            options.outDir.clear();
            break;
        }
    }
    if (options.outDir.empty()) {
        std::fprintf(stderr, "usage: contentgen [--threads N] [--pack-only] [--no-archives] [--stamp FILE] OUT_DIR\n");
        return 2;
    }
    // Fatal errors of the engine code print and end without a message box.
    ErrorManager::bTestMode = true;

    contentgen::Report report;
    const bool ok = contentgen::generate(options, report);
    for (const std::string& e : report.errors) std::fprintf(stderr, "contentgen: %s\n", e.c_str());
    if (!ok) return 1;
    std::printf("contentgen: %d files, %.2f MB loose; %d files in archives, %.2f MB; %.2f s\n", report.files,
                static_cast<double>(report.looseBytes) / 1e6, report.archivedFiles,
                static_cast<double>(report.archiveBytes) / 1e6, report.seconds);
    if (!stamp.empty()) {
        FILE* f = std::fopen(stamp.c_str(), "w");
        if (!f) {
            std::fprintf(stderr, "contentgen: %s: cannot be written\n", stamp.c_str());
            return 1;
        }
        std::fputs("content generated\n", f);
        std::fclose(f);
    }
    return 0;
}
