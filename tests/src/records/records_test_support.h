#pragma once
// Shared rig of the game-record tests: a private user folder, a fixed
// calendar clock and a predictable identity source, all restored afterwards.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/GameConfiguration.h"
#include "records/RandomIdentity.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "sys/Paths.h"
#include "util/Random.h"

namespace recordstest {

inline constexpr int64_t kFixedTime = 1700000000;  // 2023-11-14
inline int64_t fixedClock() { return kFixedTime; }

// Identities handed out in order: 0x1D000001, 0x1D000002, ...
inline uint32_t nextIdentity = 0;
inline uint32_t countingIdentity() { return 0x1D000000u + ++nextIdentity; }

// The shared generator's state after `steps` steps from `state`.
inline uint32_t lcgAfter(uint32_t state, int steps) {
    for (int i = 0; i < steps; ++i) state = state * 214013u + 2531011u;
    return state;
}

inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::vector<uint8_t> data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) data.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return data;
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), f), data.size());
    std::fclose(f);
}

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tumbro-records-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = std::string(pattern) + "/";
        setUserDataFolderOverride(folder);
        savedClock = GameConfiguration::clock;
        GameConfiguration::clock = fixedClock;
        nextIdentity = 0;
        setIdentitySource(countingIdentity);
        savedRandom = randomState;
        randomState = 1;
        Logger::get().clearHistory();
    }
    void TearDown() override {
        setIdentitySource(nullptr);
        GameConfiguration::clock = savedClock;
        randomState = savedRandom;
        setUserDataFolderOverride("");
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::string path(const char* name) const { return folder + name; }
    bool exists(const char* name) const { return std::filesystem::exists(path(name)); }

    // Whether a logged line contains `part`.
    static bool logged(std::u16string_view part) {
        for (const WString& line : Logger::get().history()) {
            if (line.find(part) != WString::npos) return true;
        }
        return false;
    }

    std::string folder;
    int64_t (*savedClock)() = nullptr;
    uint32_t savedRandom = 1;
};

}  // namespace recordstest
