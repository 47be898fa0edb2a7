#pragma once
// The content generator: writes every manifest entry as a loose file under
// the output folder (gfx/..., sfx/...), the skin descriptions beside the
// textures, the glyph pages of the six fonts for both code pages, and
// packs the data archives the loader switches between. The same manifest
// always gives the same bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace contentgen {

struct Options {
    std::string outDir;      // the game folder to fill
    bool archives = true;    // pack the archives after the loose files
    bool looseFiles = true;  // false: only pack what is already there
    unsigned threads = 0;    // 0: one per processor
};

struct Report {
    int files = 0;  // loose files written
    uint64_t looseBytes = 0;
    int archivedFiles = 0;
    uint64_t archiveBytes = 0;  // the archives' sizes on disk
    double seconds = 0.0;
    std::vector<std::string> errors;
};

bool generate(const Options& options, Report& report);

// Which archive a loose file (path relative to the game folder, '/'
// separated) belongs in, by the manifest, the glyph-page folders and the
// level folder; false for files that are in no archive.
bool archiveOf(const std::string& relativePath, std::string& archiveName);

// Every file that goes into the archives, relative to `outDir` and sorted,
// with its archive's name.
std::vector<std::pair<std::string, std::string>> archivedFiles(const std::string& outDir);

}  // namespace contentgen
