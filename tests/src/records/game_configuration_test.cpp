// The configuration record: its byte image, the high-score table, the
// control bindings, what it pushes into the engine, and its file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "records/EngineSettingsTarget.h"
#include "records/GameConfiguration.h"
#include "records_test_support.h"
#include "util/Md5.h"

using recordstest::kFixedTime;
using recordstest::RecordsTest;

namespace {

void putU32(std::vector<uint8_t>& b, size_t off, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
void putU64(std::vector<uint8_t>& b, size_t off, uint64_t v) {
    for (int i = 0; i < 8; ++i) b[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
void putText(std::vector<uint8_t>& b, size_t off, const char* text) {
    std::memcpy(b.data() + off, text, std::strlen(text));
}
uint32_t u32At(const std::vector<uint8_t>& b, size_t off) {
    return uint32_t{b[off]} | uint32_t{b[off + 1]} << 8 | uint32_t{b[off + 2]} << 16 | uint32_t{b[off + 3]} << 24;
}

// The record of a new installation, written out by hand from the layout.
std::vector<uint8_t> goldenFreshImage(uint32_t playerId) {
    std::vector<uint8_t> b(9720, 0);
    putText(b, 0x0000, "Tumbrodemo");
    putText(b, 0x0020, "1.25");
    putU32(b, 0x0050, playerId);
    b[0x54] = 0x2D;  // "--", also read as the port 11565
    b[0x55] = 0x2D;
    for (uint32_t i = 0; i < 32; ++i) {
        const size_t entry = 0x58 + 296 * i;
        putU32(b, entry + 272, i);
        putU64(b, entry + 288, static_cast<uint64_t>(kFixedTime));
    }
    putU32(b, 0x2558, 1);    // detail level
    putU32(b, 0x255C, 100);  // frame rate
    b[0x2560] = 1;           // full screen
    b[0x2561] = 1;           // letterbox
    b[0x2562] = 1;           // bilinear filter
    putU32(b, 0x2568, 1);    // 22050 Hz
    putU32(b, 0x256C, 24);
    putU32(b, 0x2570, 15);
    b[0x2574] = 1;                       // in-game music
    b[0x2577] = 1;                       // hints
    b[0x2579] = 1;                       // clock
    b[0x257C] = 2;                       // address family, little-endian
    putU32(b, 0x2590 + 8, 0xBF800000u);  // location (0, 0, -1)
    const uint32_t controls[14] = {203, 258, 205, 259, 45, 256, 208, 257, 57, 272, 28, 273, 50, 274};
    for (int i = 0; i < 14; ++i) putU32(b, 0x259C + 4 * i, controls[i]);
    b[0x25E4] = 1;  // no player yet
    return b;
}

// Compares two images and names the first byte that differs.
::testing::AssertionResult sameImage(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected) {
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << "size " << actual.size() << " != " << expected.size();
    }
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            return ::testing::AssertionFailure() << "first difference at 0x" << std::hex << i << ": 0x"
                                                 << int{actual[i]} << " != 0x" << int{expected[i]};
        }
    }
    return ::testing::AssertionSuccess();
}

struct RecordingTarget final : EngineSettingsTarget {
    void setFramePeriod(double seconds) override { period = seconds; }
    void setSampleRate(int32_t frequency) override { rate = frequency; }
    void setGlobalVolume(int32_t option, int32_t value) override { volumes.emplace_back(option, value); }
    void changePresentation(int32_t w, int32_t h, bool fs, bool lb, bool bf, bool vs) override {
        width = w;
        height = h;
        flags = {fs, lb, bf, vs};
        ++presentations;
    }
    void setDetail(bool on) override { detail = on ? 1 : 0; }

    double period = -1.0;
    int32_t rate = -1;
    std::vector<std::pair<int32_t, int32_t>> volumes;
    int32_t width = 0, height = 0;
    std::vector<bool> flags;
    int presentations = 0;
    int detail = -1;
};

// The stored seal recomputed from the record's bytes: MD5 of the salt's four
// little-endian bytes followed by the entry with a zero seal.
bool sealMatches(const GameConfiguration& c, int level) {
    const std::vector<uint8_t> image = c.serialize();
    const size_t off = 0x58 + 296 * static_cast<size_t>(level);
    std::vector<uint8_t> message = {0x17, 0x9E, 0x5A, 0x3C};
    message.insert(message.end(), image.begin() + off, image.begin() + off + 296);
    std::memset(message.data() + 4, 0, 16);
    uint8_t digest[16];
    md5Digest(message.data(), message.size(), digest);
    return std::memcmp(digest, image.data() + off, 16) == 0;
}

}  // namespace

TEST_F(RecordsTest, FreshConfigurationMatchesTheGoldenImage) {
    GameConfiguration c;
    EXPECT_EQ(c.playerId, 0x1D000001u);
    EXPECT_TRUE(sameImage(c.serialize(), goldenFreshImage(0x1D000001u)));
}

TEST_F(RecordsTest, NewInstallationsTakeTheirIdentityFromTheSystemAndTwoSteps) {
    setIdentitySource(nullptr);  // the real system source
    randomState = 1;
    const uint32_t first = GameConfiguration().playerId;
    // The shared sequence took exactly the two steps of the identity draw...
    EXPECT_EQ(randomState, recordstest::lcgAfter(1, 2));
    // ...but the identity is not the value those steps would give on every machine.
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, 0xC8230029u);
    std::filesystem::remove(path("Tumbrodemo.hst"));
    EXPECT_NE(GameConfiguration().playerId, first);
}

TEST_F(RecordsTest, StoredIdentityIsKeptAndDrawsNothing) {
    { GameConfiguration c; }
    randomState = 77;
    GameConfiguration again;
    EXPECT_EQ(again.playerId, 0x1D000001u);
    EXPECT_EQ(randomState, 77u);
}

TEST_F(RecordsTest, BetterScoreReplacesAndIsSealedOrMarked) {
    GameConfiguration c;
    GameConfiguration::clock = [] { return int64_t{1800000000}; };
    EXPECT_EQ(c.submitHighScore(1234, 5, 90, 800, true, u"Rosa"), 5);
    const HIGHSCOREENTRY& e = c.highScores[5];
    EXPECT_EQ(std::string(e.name), "Rosa");
    EXPECT_EQ(e.level, 5);
    EXPECT_EQ(e.points, 1234);
    EXPECT_EQ(e.seconds, 90);
    EXPECT_EQ(e.time, 1800000000);
    EXPECT_TRUE(sealMatches(c, 5));
    EXPECT_EQ(c.highScores[4].time, kFixedTime);  // other entries untouched
    // Unsealed: the mark, which a later sealed result replaces by a digest.
    ASSERT_EQ(c.submitHighScore(1, 0, 1, 1, false, u"X"), 0);
    EXPECT_EQ(c.highScores[0].seal[0], 1);
    for (int i = 1; i < 16; ++i) EXPECT_EQ(c.highScores[0].seal[i], 0);
    ASSERT_EQ(c.submitHighScore(1, 0, 1, 2, true, u"X"), 0);
    EXPECT_TRUE(sealMatches(c, 0));
    // Reset: every entry as new.
    GameConfiguration::clock = recordstest::fixedClock;
    c.resetHighScores();
    std::vector<uint8_t> fresh = goldenFreshImage(c.playerId);
    EXPECT_TRUE(sameImage(c.serialize(), fresh));
}

TEST_F(RecordsTest, TieBreakByTime) {
    GameConfiguration c;
    ASSERT_EQ(c.submitHighScore(100, 3, 60, 700, true, u"A"), 3);
    EXPECT_EQ(c.submitHighScore(999, 3, 60, 700, true, u"B"), -1);  // same score, same time
    EXPECT_EQ(c.submitHighScore(999, 3, 61, 700, true, u"B"), -1);  // slower
    EXPECT_EQ(c.submitHighScore(999, 3, 10, 699, true, u"B"), -1);  // lower score
    EXPECT_EQ(std::string(c.highScores[3].name), "A");
    EXPECT_EQ(c.submitHighScore(5, 3, 59, 700, true, u"C"), 3);  // one second less
    EXPECT_EQ(std::string(c.highScores[3].name), "C");
    EXPECT_EQ(c.highScores[3].points, 5);
    EXPECT_EQ(c.submitHighScore(5, 3, 500, 701, true, u"D"), 3);  // higher score, any time
    EXPECT_EQ(std::string(c.highScores[3].name), "D");
}

TEST_F(RecordsTest, SubmitRefusesLevelsOutsideTheTable) {
    GameConfiguration c;
    const std::vector<uint8_t> before = c.serialize();
    EXPECT_EQ(c.submitHighScore(1, -1, 1, 1000, true, u"X"), -1);
    EXPECT_EQ(c.submitHighScore(1, 32, 1, 1000, true, u"X"), -1);
    EXPECT_EQ(c.submitHighScore(1, 0x7FFFFFFF, 1, 1000, true, u"X"), -1);
    EXPECT_TRUE(sameImage(c.serialize(), before));
    EXPECT_EQ(c.submitHighScore(1, 31, 1, 1000, true, u"X"), 31);
}

TEST_F(RecordsTest, LongNamesKeepTheLongestWholePrefix) {
    GameConfiguration c;
    ASSERT_EQ(c.submitHighScore(1, 1, 1, 1, true, WString(300, u'x')), 1);
    EXPECT_EQ(std::strlen(c.highScores[1].name), 255u);
    ASSERT_EQ(c.submitHighScore(1, 2, 1, 1, true, WString(200, u'\u00E4')), 2);
    const std::string stored = c.highScores[2].name;
    EXPECT_EQ(stored.size(), 254u);  // 127 two-byte characters, never half of one
    EXPECT_EQ(narrowToWide(stored), WString(127, u'\u00E4'));
}

TEST_F(RecordsTest, UnbindInputClearsOnlyMatchingWords) {
    GameConfiguration c;
    c.unbindInput(45);
    c.unbindInput(258);
    std::vector<uint8_t> expected = goldenFreshImage(c.playerId);
    putU32(expected, 0x259C + 4 * 4, 0);  // use key
    putU32(expected, 0x259C + 4 * 1, 0);  // left alternative
    EXPECT_TRUE(sameImage(c.serialize(), expected));
    // A code bound twice is cleared in both places.
    c.controls[GameConfiguration::CONTROL_MAP].key = 57;
    c.unbindInput(57);
    EXPECT_EQ(c.controls[GameConfiguration::CONTROL_JUMP].key, 0);
    EXPECT_EQ(c.controls[GameConfiguration::CONTROL_MAP].key, 0);
}

TEST_F(RecordsTest, ApplyToEnginePushesTheFields) {
    GameConfiguration c;
    RecordingTarget t;
    c.applyToEngine(-1, -1, t);
    EXPECT_DOUBLE_EQ(t.period, 0.01);
    EXPECT_EQ(t.rate, 22050);
    const std::vector<std::pair<int32_t, int32_t>> volumes = {{4, 10000}, {6, 6250}, {5, 6250}};
    EXPECT_EQ(t.volumes, volumes);
    EXPECT_EQ(t.width, -1);
    EXPECT_EQ(t.flags, (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(t.detail, 1);

    c.frameRate = 50;
    c.sampleRateIndex = 2;
    c.effectsVolume = 1;  // 1/24 in single precision x 10000 = 416.67
    c.musicVolume = 12;
    c.fullScreen = 0;
    c.useVSync = 1;
    c.detailLevel = 0;
    RecordingTarget u;
    c.applyToEngine(800, 600, u);
    EXPECT_DOUBLE_EQ(u.period, 0.02);
    EXPECT_EQ(u.rate, 44100);
    const std::vector<std::pair<int32_t, int32_t>> changed = {{4, 416}, {6, 5000}, {5, 5000}};
    EXPECT_EQ(u.volumes, changed);
    EXPECT_EQ(u.width, 800);
    EXPECT_EQ(u.flags, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(u.detail, 0);
    c.muteAll = 1;
    RecordingTarget muted;
    c.applyToEngine(-1, -1, muted);
    const std::vector<std::pair<int32_t, int32_t>> silent = {{4, 0}, {6, 0}, {5, 0}};
    EXPECT_EQ(muted.volumes, silent);
}

TEST_F(RecordsTest, ApplyToEngineNeverDividesByZeroOrIndexesOutside) {
    GameConfiguration c;
    c.frameRate = 0;
    c.sampleRateIndex = -4;
    c.effectsVolume = 99;
    c.musicVolume = -5;
    RecordingTarget t;
    c.applyToEngine(-1, -1, t);
    EXPECT_DOUBLE_EQ(t.period, 0.01);
    EXPECT_EQ(t.rate, 22050);
    const std::vector<std::pair<int32_t, int32_t>> volumes = {{4, 10000}, {6, 0}, {5, 0}};
    EXPECT_EQ(t.volumes, volumes);
}

TEST_F(RecordsTest, SaveAndLoadRoundTrip) {
    std::vector<uint8_t> saved;
    {
        GameConfiguration c;
        c.frameRate = 60;
        c.showFrameRate = 1;
        c.networkConfigured = 1;
        c.masterServer.ip = 0x7F000001;
        c.masterServer.port = 0x1234;
        c.countryIndex = 17;
        c.location[0] = 0.5f;
        c.controls[GameConfiguration::CONTROL_JUMP].key = 44;
        c.touchControls = 1;
        c.noPlayerYet = 0;
        c.reserved25D8[3] = 9;  // reserved bytes travel unchanged
        std::memcpy(c.reservedText, "kept as stored", 15);
        c.submitHighScore(10, 12, 33, 640, true, u"Rosa");
        saved = c.serialize();
        EXPECT_TRUE(c.save());
    }
    EXPECT_TRUE(exists("Tumbrodemo.hst"));
    // The address is stored in network order.
    EXPECT_EQ(saved[0x257C], 2);
    EXPECT_EQ(saved[0x257C + 1], 0);
    EXPECT_EQ(saved[0x257C + 2], 0x12);
    EXPECT_EQ(saved[0x257C + 3], 0x34);
    EXPECT_EQ(u32At(saved, 0x257C + 4), 0x0100007Fu);
    GameConfiguration loaded;
    EXPECT_TRUE(sameImage(loaded.serialize(), saved));
    EXPECT_EQ(loaded.masterServer.port, 0x1234);
    EXPECT_TRUE(sealMatches(loaded, 12));
    EXPECT_FALSE(exists("Tumbrodemo.hst.bad"));
}

TEST_F(RecordsTest, FileWithAFlippedBitIsRejectedAndKeptAside) {
    {
        GameConfiguration c;
        c.frameRate = 60;
        c.musicVolume = 3;
    }
    const std::vector<uint8_t> good = recordstest::readBytes(path("Tumbrodemo.hst"));
    ASSERT_GT(good.size(), 80u);
    // Bits in the name, the sizes, the seal and the stream.
    const size_t positions[] = {3, 49, 60, good.size() / 2 + 36};
    for (size_t pos : positions) {
        SCOPED_TRACE(pos);
        std::vector<uint8_t> bad = good;
        bad[pos] ^= 0x04;
        recordstest::writeBytes(path("Tumbrodemo.hst"), bad);
        std::filesystem::remove(path("Tumbrodemo.hst.bad"));
        GameConfiguration c;
        EXPECT_EQ(c.frameRate, 100);
        EXPECT_EQ(c.musicVolume, 15);
        EXPECT_TRUE(sameImage(c.serialize(), goldenFreshImage(c.playerId)));
        EXPECT_TRUE(exists("Tumbrodemo.hst.bad"));
        EXPECT_EQ(recordstest::readBytes(path("Tumbrodemo.hst.bad")), bad);
        EXPECT_FALSE(c.load());
    }
}

TEST_F(RecordsTest, OutOfRangeValuesLoadRepaired) {
    uint32_t id = 0;
    std::vector<uint8_t> image;
    {
        GameConfiguration c;
        id = c.playerId;
        image = c.serialize();
    }
    putU32(image, 0x255C, 0);                                   // frame rate
    putU32(image, 0x2568, 3);                                   // sample-rate index
    putU32(image, 0x256C, 0xFFFFFFFF);                          // effects volume -1
    putU32(image, 0x2570, 25);                                  // music volume
    putU32(image, 0x2558, 7);                                   // detail level
    putU32(image, 0x25D4, 2);                                   // touch controls
    putU32(image, 0x258C, 241);                                 // country index: one past the list
    putU32(image, 0x259C + 4 * 2, 456);                         // right key: one past the last code
    putU32(image, 0x259C + 4 * 13, 0x80000000);                 // map alternative
    putU32(image, 0x259C + 4 * 12, 455);                        // map key: the last code is fine
    std::memset(image.data() + 0x00, 'A', 32);                  // game name without NUL
    std::memset(image.data() + 0x58 + 296 * 4 + 16, 'n', 256);  // entry name without NUL
    ASSERT_TRUE(
        FileManager::savePackedFile(image.data(), image.size(), narrowToWide(folder), u"Tumbrodemo.hst", u"1.25"));
    GameConfiguration c;
    EXPECT_EQ(c.playerId, id);
    EXPECT_EQ(c.frameRate, 100);
    EXPECT_EQ(c.sampleRateIndex, 1);
    EXPECT_EQ(c.effectsVolume, 0);
    EXPECT_EQ(c.musicVolume, 24);
    EXPECT_EQ(c.detailLevel, 1);
    EXPECT_EQ(c.touchControls, 0);
    EXPECT_EQ(c.countryIndex, 0);
    EXPECT_EQ(c.controls[GameConfiguration::CONTROL_RIGHT].key, 0);
    EXPECT_EQ(c.controls[GameConfiguration::CONTROL_MAP].alternative, 0);
    EXPECT_EQ(c.controls[GameConfiguration::CONTROL_MAP].key, 455);
    EXPECT_EQ(std::strlen(c.gameName), 31u);
    EXPECT_EQ(std::strlen(c.highScores[4].name), 255u);
    EXPECT_EQ(c.repairLoadedValues(), 0);  // nothing left to repair
    EXPECT_TRUE(logged(u"frameRate was 0 in the file; using 100."));
    EXPECT_FALSE(exists("Tumbrodemo.hst.bad"));
}

// The frame rate the options offer is 25 to 125 ticks a second: a file's
// value outside (0x41414141 would run the game as fast as the machine can)
// loads as the default, and the bounds themselves load as they are.
TEST_F(RecordsTest, AFrameRateOutsideWhatTheOptionsOfferLoadsRepaired) {
    std::vector<uint8_t> image;
    {
        GameConfiguration c;
        image = c.serialize();
    }
    const std::pair<uint32_t, int32_t> cases[] = {{0x41414141u, 100}, {126, 100}, {24, 100},  {1, 100},
                                                  {0xFFFFFFFFu, 100}, {25, 25},   {125, 125}, {60, 60}};
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(stored);
        putU32(image, 0x255C, stored);
        ASSERT_TRUE(
            FileManager::savePackedFile(image.data(), image.size(), narrowToWide(folder), u"Tumbrodemo.hst", u"1.25"));
        GameConfiguration c;
        EXPECT_EQ(c.frameRate, expected);
        RecordingTarget t;
        c.applyToEngine(-1, -1, t);
        EXPECT_DOUBLE_EQ(t.period, 1.0 / expected);
    }
    EXPECT_TRUE(logged(u"frameRate was 1094795585 in the file; using 100."));
    EXPECT_FALSE(exists("Tumbrodemo.hst.bad"));

    // A value that never came from the file is not applied either.
    GameConfiguration c;
    c.frameRate = 0x41414141;
    RecordingTarget t;
    c.applyToEngine(-1, -1, t);
    EXPECT_DOUBLE_EQ(t.period, 0.01);
}

TEST_F(RecordsTest, FileOfAnotherVersionIsRejected) {
    GameConfiguration first;
    first.frameRate = 33;
    const std::vector<uint8_t> image = first.serialize();
    ASSERT_TRUE(
        FileManager::savePackedFile(image.data(), image.size(), narrowToWide(folder), u"Tumbrodemo.hst", u"1.24"));
    first.frameRate = 100;  // what the destructor saves no longer matters here
    GameConfiguration c;
    EXPECT_EQ(c.frameRate, 100);
    EXPECT_TRUE(exists("Tumbrodemo.hst.bad"));
}

TEST_F(RecordsTest, DeserializeNeedsTheWholeRecord) {
    GameConfiguration c;
    const std::vector<uint8_t> image = c.serialize();
    EXPECT_FALSE(c.deserialize(image.data(), image.size() - 1));
    EXPECT_TRUE(c.deserialize(image.data(), image.size()));
}
