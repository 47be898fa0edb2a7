#pragma once
// What the level builder's tests share: where the build's content and the
// level descriptions are, files read whole, and the check that the build's
// level archive holds a file as the content folder holds it loose.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "project_zub/sys/files_test_support.h"
#include "sys/ArchiveReader.h"

namespace levelbuildtest {

// The build's content folder and content/levels/, each with a trailing '/'.
inline const std::string kContent = std::string(ZUB_CONTENT_DIR) + "/";
inline const std::string kSources = std::string(ZUB_LEVEL_SOURCE_DIR) + "/";

using filestest::readBytes;

// The names of the described levels, sorted; with `keyed`, only those with
// a key script.
inline std::vector<std::string> describedLevels(bool keyed) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(kSources, ec)) {
        const fs::path p = e.path();
        if (p.extension() != ".txt") continue;
        if (keyed && !fs::exists(fs::path(p).replace_extension(".keys"))) continue;
        names.push_back(p.stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The level archive of the build's content holds `loose` under `entry`, byte
// for byte (a fatal failure when the archive or the entry cannot be read).
inline void expectInLevelArchive(const std::string& entry, const std::string& loose) {
    ArchiveReader archive;
    std::string error;
    ASSERT_TRUE(archive.tryOpen(kContent + "Tumbrodemo.dat.levels", error)) << error;
    const int index = archive.findNormalised(entry);
    ASSERT_GE(index, 0) << entry;
    ByteBuffer bytes;
    ASSERT_TRUE(archive.tryRead(index, bytes, error)) << error;
    EXPECT_EQ(bytes.view(), loose) << entry;
}

}  // namespace levelbuildtest
