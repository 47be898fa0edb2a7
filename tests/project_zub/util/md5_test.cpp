#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "util/Md5.h"

namespace {

std::string hex(const uint8_t digest[16]) {
    std::string s;
    char b[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(b, sizeof b, "%02x", digest[i]);
        s += b;
    }
    return s;
}

std::string md5Hex(const std::string& text) {
    uint8_t d[16];
    md5Digest(text.data(), text.size(), d);
    return hex(d);
}

// Repeatable bytes for the longer inputs.
std::vector<uint8_t> pattern(size_t n) {
    std::vector<uint8_t> v(n);
    uint32_t x = 12345;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = uint8_t(x >> 24);
    }
    return v;
}

}  // namespace

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PaddingBoundaries) {
    // Lengths around the 56-byte padding limit and the 64-byte block; the
    // digests of 'a' repeated were computed with an independent tool.
    EXPECT_EQ(md5Hex(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(md5Hex(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
    EXPECT_EQ(md5Hex(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, IncrementalUpdatesGiveTheSameDigest) {
    const std::vector<uint8_t> data = pattern(1000);
    uint8_t whole[16];
    md5Digest(data.data(), data.size(), whole);
    const size_t chunks[] = {1, 3, 7, 55, 56, 63, 64, 65, 127, 128, 999};
    for (size_t chunk : chunks) {
        Md5 md5;
        for (size_t at = 0; at < data.size(); at += chunk) {
            md5.update(data.data() + at, std::min(chunk, data.size() - at));
        }
        uint8_t part[16];
        md5.finish(part);
        EXPECT_TRUE(md5Equal(whole, part)) << chunk;
    }
    // Splits at every position of a two-part update.
    for (size_t split = 0; split <= 200; ++split) {
        Md5 md5;
        md5.update(data.data(), split);
        md5.update(data.data() + split, 200 - split);
        md5.update(nullptr, 0);
        uint8_t part[16], ref[16];
        md5.finish(part);
        md5Digest(data.data(), 200, ref);
        EXPECT_TRUE(md5Equal(ref, part)) << split;
    }
}

TEST(Md5, PrefixFormIsDigestOfLittleEndianPrefixThenBuffer) {
    const std::string text = "payload";
    uint8_t sealed[16];
    md5DigestWithPrefix(0x3C5A9E17u, text.data(), text.size(), sealed);
    std::string joined = std::string("\x17\x9E\x5A\x3C", 4) + text;
    uint8_t direct[16];
    md5Digest(joined.data(), joined.size(), direct);
    EXPECT_TRUE(md5Equal(sealed, direct));

    // "abc" with prefix bytes 'a','b','c','d' is the digest of "abcdabc".
    md5DigestWithPrefix(0x64636261u, "abc", 3, sealed);
    EXPECT_EQ(hex(sealed), md5Hex("abcdabc"));

    md5DigestWithPrefix(0, nullptr, 0, sealed);
    EXPECT_EQ(hex(sealed), md5Hex(std::string(4, '\0')));
}

TEST(Md5, EqualComparesAllSixteenBytes) {
    uint8_t a[16] = {}, b[16] = {};
    EXPECT_TRUE(md5Equal(a, b));
    for (int i : {0, 15}) {
        b[i] = 1;
        EXPECT_FALSE(md5Equal(a, b)) << i;
        b[i] = 0;
    }
}
