#pragma once
// Helpers of the tests that touch files: a fresh folder per test (removed
// with everything in it) and small file utilities.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sys/ErrorManager.h"

namespace filestest {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "zub-files-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const char* made = mkdtemp(buffer.data());
        EXPECT_NE(made, nullptr);
        root = made ? made : "";
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // The folder with a trailing '/'.
    std::string path() const { return root + "/"; }
    std::string operator/(const std::string& name) const { return root + "/" + name; }
    // Writes a file below the folder, making its folders.
    void write(const std::string& name, const std::string& bytes) const;

private:
    std::string root;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void TempFolder::write(const std::string& name, const std::string& bytes) const {
    writeBytes(*this / name, bytes);
}

// Repeatable bytes: compressible text-like content or noise.
inline std::string textContent(size_t n, uint32_t seed) {
    static const char* const words[] = {"pig ", "apple ", "cargo ", "valley ", "level ", "jump\n", "x=12 ", "y=7\n"};
    std::string s;
    uint32_t x = seed;
    while (s.size() < n) {
        x = x * 1103515245u + 12345u;
        s += words[(x >> 16) % 8];
    }
    s.resize(n);
    return s;
}

inline std::string noiseContent(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed;
    for (char& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

// Sets the error manager to test mode for death tests.
struct TestMode {
    TestMode() { ErrorManager::bTestMode = true; }
};

}  // namespace filestest
