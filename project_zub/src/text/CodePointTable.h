#pragma once
// The code-point table of a code page: which UTF-16 unit each 8-bit code of
// the code page's glyph pages stands for.
//
// File format (".codepointLUT.bin"): 256 entries of 2 bytes, little-endian,
// entry c = the UTF-16 unit of code c; 0 marks a code the code page leaves
// unused. Exactly 512 bytes.
//
// Without a file the built-in tables serve: "1252" is Windows-1252 (Western
// European) and "1250" Windows-1250 (Central European, the ISO-8859-2
// letters); both keep codes 0x01-0x7F as they are (the control codes are the
// fonts' symbol codes). Any other code page falls back to ISO-8859-1 (every
// code stands for itself).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CodePointTable {
public:
    static constexpr int SIZE = 256;
    static constexpr size_t FILE_BYTES = 512;

    // ISO-8859-1: every code stands for itself (code 0 unused).
    CodePointTable();

    // The built-in table of a code page (see above).
    static CodePointTable builtIn(std::u16string_view codePage);
    // Reads the file format; false (out unchanged) when the size is not 512.
    static bool parse(const uint8_t* data, size_t size, CodePointTable& out);
    // The file format.
    std::string toBytes() const;

    // The UTF-16 unit of a code; 0 for unused codes and codes outside 0-255.
    char16_t map(int code) const { return code >= 0 && code < SIZE ? units[static_cast<size_t>(code)] : char16_t(0); }
    // The code of a UTF-16 unit, or -1 when no code stands for it.
    int find(char16_t unit) const;

    bool operator==(const CodePointTable& o) const { return units == o.units; }

    std::array<char16_t, SIZE> units;
};
