// The saved records from arbitrary bytes, as the game takes them from its
// files (the packed-file layer is fuzz_packed_file's): the configuration
// (.hst) or the player profiles (.pro) read field by field, repaired, then
// used the way the game uses them. After the repair every value that indexes
// a table or divides is in range, a second repair changes nothing, the
// record writes back to bytes that read and repair to the same record, and a
// level's best time is never worse than an attempt merged into it.
//
// Input: byte 0 selects the record (bit 0: profiles, else configuration);
// the rest is the record's bytes (cut or padded with zeros to its size).
//
// Seeds: with ZUB_FUZZ_RECORDS_SEEDS=<folder> the program writes its seed
// files into that folder and exits.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "audio/ZubAudio.h"
#include "lang/StringIds.h"
#include "records/EngineSettingsTarget.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "records/RandomIdentity.h"
#include "sys/Logger.h"
#include "sys/Paths.h"
#include "util/KeyCodes.h"

namespace {

GameConfiguration* config = nullptr;
ProfileManager* profiles = nullptr;

uint32_t fixedIdentity() { return 0x1D000001u; }
int64_t fixedClock() { return 1700000000; }

// What the engine would be told.
class CheckingTarget final : public EngineSettingsTarget {
public:
    void setFramePeriod(double seconds) override { FUZZ_CHECK(std::isfinite(seconds) && seconds > 0 && seconds <= 1); }
    void setSampleRate(int32_t frequency) override {
        FUZZ_CHECK(frequency == 11025 || frequency == 22050 || frequency == 44100);
    }
    void setGlobalVolume(int32_t option, int32_t value) override {
        FUZZ_CHECK(option >= ZubAudio::CONFIG_GVOL_SAMPLE && option <= ZubAudio::CONFIG_GVOL_MUSIC);
        FUZZ_CHECK(value >= 0 && value <= ZubAudio::kMaxGlobalVolume);
    }
    void changePresentation(int32_t, int32_t, bool, bool, bool, bool) override {}
    void setDetail(bool) override {}
};

std::vector<uint8_t> sized(const uint8_t* data, size_t size, size_t recordSize) {
    std::vector<uint8_t> bytes(recordSize, 0);
    std::memcpy(bytes.data(), data, size < recordSize ? size : recordSize);
    return bytes;
}

void useConfiguration(const uint8_t* data, size_t size) {
    GameConfiguration& c = *config;
    const std::vector<uint8_t> bytes = sized(data, size, GameConfiguration::kRecordSize);
    FUZZ_CHECK(c.deserialize(bytes.data(), bytes.size()));
    c.repairLoadedValues();
    FUZZ_CHECK(c.repairLoadedValues() == 0);

    // What the options pages and the menus index and divide with.
    FUZZ_CHECK(c.frameRate >= 1 && c.sampleRateIndex >= 0 && c.sampleRateIndex <= 2);
    FUZZ_CHECK(c.effectsVolume >= 0 && c.effectsVolume <= GameConfiguration::kMaxVolume);
    FUZZ_CHECK(c.musicVolume >= 0 && c.musicVolume <= GameConfiguration::kMaxVolume);
    FUZZ_CHECK(c.detailLevel >= 0 && c.detailLevel <= 1 && (c.touchControls == 0 || c.touchControls == 1));
    FUZZ_CHECK(c.countryIndex >= 0 && c.countryIndex < NUM_COUNTRY_IDS);
    for (const ControlBinding& b : c.controls)
        FUZZ_CHECK(b.key >= 0 && b.key < input_codes::INPUT_CODES && b.alternative >= 0 &&
                   b.alternative < input_codes::INPUT_CODES);
    FUZZ_CHECK(std::strlen(c.gameName) < sizeof c.gameName && std::strlen(c.version) < sizeof c.version);
    for (const HIGHSCOREENTRY& e : c.highScores) FUZZ_CHECK(std::strlen(e.name) < sizeof e.name);

    CheckingTarget target;
    c.applyToEngine(-1, -1, target);
    c.unbindInput(c.controls[0].key);
    const HIGHSCOREENTRY& last = c.highScores[GameConfiguration::kNumHighScores - 1];
    const int32_t level = static_cast<int32_t>(bytes[0x60] % 40) - 4;
    c.submitHighScore(last.points, level, last.seconds, last.score, (bytes[0x61] & 1) != 0, u"Fuzz");
    uint8_t seal[16];
    GameConfiguration::computeSeal(c.highScores[0], seal);

    // Written and read again: the same record, nothing more to repair.
    const std::vector<uint8_t> saved = c.serialize();
    FUZZ_CHECK(c.deserialize(saved.data(), saved.size()) && c.repairLoadedValues() == 0 && c.serialize() == saved);
}

void useProfiles(const uint8_t* data, size_t size) {
    ProfileManager& m = *profiles;
    const std::vector<uint8_t> bytes = sized(data, size, ProfileManager::kRecordSize);
    FUZZ_CHECK(m.deserialize(bytes.data(), bytes.size()));
    m.repairLoadedValues();
    FUZZ_CHECK(m.repairLoadedValues() == 0);
    FUZZ_CHECK(m.current >= 0 && m.current < ProfileManager::kNumSlots);

    m.onCurrentProfileChanged();
    FUZZ_CHECK(m.countProfiles() >= 0 && m.countProfiles() <= ProfileManager::kNumSlots);
    for (int32_t i = -1; i <= ProfileManager::kNumSlots; ++i) (void)m.getProfileName(i);
    ProfileData& p = m.currentProfile();
    FUZZ_CHECK(p.currentLevel >= 0 && p.currentLevel < NUMLEVELS);
    (void)ProfileData::levelNumberToFile(p.currentLevel);
    (void)ProfileData::levelNumberToMusic(p.currentLevel);
    (void)ProfileData::levelNumberToMinimap(p.currentLevel);

    // The valley map's total, and attempts merged into every best result: a
    // finished attempt faster than the best time becomes the best time.
    LevelResult total;
    total.reset();
    for (int32_t level = 0; level < NUMLEVELS; ++level) {
        LevelResult& best = p.levels[level];
        total.accumulate(best);
        FUZZ_CHECK(total.score >= 0 && total.score <= LevelResult::kMaxScore);
        LevelResult attempt = best;
        attempt.empty = 0;
        attempt.time = std::isfinite(best.time) && best.time > 1.0 ? best.time / 2 : 0.5;
        best.mergeBest(attempt);
        FUZZ_CHECK(best.score >= 0 && best.score <= LevelResult::kMaxScore);
        FUZZ_CHECK(best.time <= attempt.time);
    }
    m.deleteProfile(static_cast<int32_t>(bytes[1] % 12) - 1);
    m.addProfile(u"Fuzz");

    const std::vector<uint8_t> saved = m.serialize();
    FUZZ_CHECK(m.deserialize(saved.data(), saved.size()) && m.repairLoadedValues() == 0 && m.serialize() == saved);
}

void writeSeeds(const std::string& dir) {
    config->setDefaults();
    config->submitHighScore(1200, 3, 95, 870, true, u"Anna");
    config->countryIndex = 54;
    std::vector<uint8_t> c{0};
    const std::vector<uint8_t> cb = config->serialize();
    c.insert(c.end(), cb.begin(), cb.end());
    profiles->addProfile(u"Anna");
    LevelResult attempt;
    attempt.reset();
    attempt.apples = 10;
    attempt.applesGathered = 9;
    attempt.time = 61.5;
    attempt.parTime = 90.0;
    attempt.computeScore();
    profiles->currentProfile().levels[0].mergeBest(attempt);
    std::vector<uint8_t> p{1};
    const std::vector<uint8_t> pb = profiles->serialize();
    p.insert(p.end(), pb.begin(), pb.end());
    // Zeros at the end are what a short input gets anyway.
    for (std::vector<uint8_t>* v : {&c, &p})
        while (v->size() > 1 && v->back() == 0) v->pop_back();
    if (!fuzz::writeFile(dir + "/configuration.bin", c.data(), c.size()) ||
        !fuzz::writeFile(dir + "/profiles.bin", p.data(), p.size()))
        std::exit(1);
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    // The records load from (and would save to) a user folder of their own.
    setUserDataFolderOverride(fuzz::scratchFolder());
    GameConfiguration::clock = fixedClock;
    setIdentitySource(fixedIdentity);
    config = new GameConfiguration;
    profiles = new ProfileManager;
    if (const char* dir = std::getenv("ZUB_FUZZ_RECORDS_SEEDS")) writeSeeds(dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Logger::get().clearHistory();
    if (data[0] & 1) useProfiles(data + 1, size - 1);
    else useConfiguration(data + 1, size - 1);
    return 0;
}
