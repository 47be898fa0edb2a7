#pragma once
// PNG files of ARGB pixels (rows top-down) for the tests, written by
// stb_image_write. Kept in a file of their own, apart from the engine's
// maths header, whose lerp meets the C library's.
#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

// The PNG as bytes, with 3 channels (opaque) or 4 (with alpha).
std::string pngBytes(int w, int h, const std::vector<uint32_t>& argb, int channels = 4);

// Writes an opaque RGB PNG file; false when it cannot be written.
bool writePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb);

}  // namespace pngtest
