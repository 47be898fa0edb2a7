#include "records/GameConfiguration.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "audio/ZubAudio.h"
#include "lang/StringIds.h"
#include "records/AppInfo.h"
#include "records/EngineSettingsTarget.h"
#include "records/RandomIdentity.h"
#include "records/RecordBytes.h"
#include "records/RecordFile.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"
#include "util/Md5.h"

namespace {

int64_t systemClock() { return static_cast<int64_t>(std::time(nullptr)); }

constexpr ControlBinding kDefaultControls[GameConfiguration::kNumControls] = {
    {input_codes::KEY_LEFT, input_codes::JOY_FIRST + input_codes::JOY_LEFT},           // 203 / 258
    {input_codes::KEY_RIGHT, input_codes::JOY_FIRST + input_codes::JOY_RIGHT},         // 205 / 259
    {input_codes::KEY_X, input_codes::JOY_FIRST + input_codes::JOY_UP},                // 45 / 256
    {input_codes::KEY_DOWN, input_codes::JOY_FIRST + input_codes::JOY_DOWN},           // 208 / 257
    {input_codes::KEY_SPACE, input_codes::JOY_FIRST + input_codes::JOY_BUTTON0},       // 57 / 272
    {input_codes::KEY_RETURN, input_codes::JOY_FIRST + input_codes::JOY_BUTTON0 + 1},  // 28 / 273
    {input_codes::KEY_M, input_codes::JOY_FIRST + input_codes::JOY_BUTTON0 + 2},       // 50 / 274
};

constexpr int32_t kDefaultFrameRate = 100;
constexpr int32_t kDefaultSampleRateIndex = 1;

void logRepair(const char* field, int64_t was, int64_t now) {
    Logger::get().log(u"%s(): %s", "GameConfiguration::repairLoadedValues",
                      formatString(u"%s was %d in the file; using %d.", field, was, now));
}

// Single-precision share of 24 on the audio layer's scale, truncated.
int32_t globalVolumeOf(int32_t volume) {
    const int32_t v = std::clamp(volume, 0, GameConfiguration::kMaxVolume);
    const float ratio = static_cast<float>(v) / static_cast<float>(GameConfiguration::kMaxVolume);
    return static_cast<int32_t>(ratio * static_cast<float>(ZubAudio::kMaxGlobalVolume));
}

}  // namespace

int64_t (*GameConfiguration::clock)() = systemClock;

// --- HIGHSCOREENTRY ----------------------------------------------------------

void HIGHSCOREENTRY::write(RecordWriter& out) const {
    out.bytes(seal);
    out.bytes(name);
    out.i32(level);
    out.i32(points);
    out.i32(score);
    out.i32(seconds);
    out.i64(time);
}

void HIGHSCOREENTRY::read(RecordReader& in) {
    in.bytes(seal);
    in.bytes(name);
    level = in.i32();
    points = in.i32();
    score = in.i32();
    seconds = in.i32();
    time = in.i64();
}

std::vector<uint8_t> HIGHSCOREENTRY::bytes() const {
    std::vector<uint8_t> data(kRecordSize);
    RecordWriter out(data.data(), data.size());
    write(out);
    ZUB_ASSERT(out.atEnd());
    return data;
}

// --- GameConfiguration -------------------------------------------------------

GameConfiguration::GameConfiguration() {
    setDefaults();
    load();
}

GameConfiguration::~GameConfiguration() { save(); }

WString GameConfiguration::fileName() { return WString(AppInfo::appFolderName) + u".hst"; }

void GameConfiguration::setDefaults() {
    const std::vector<uint8_t> zeros(kRecordSize, 0);
    RecordReader in(zeros.data(), zeros.size());
    read(in);

    copyToFixedString32(gameName, AppInfo::appFolderName);
    copyToFixedString16(version, AppInfo::versionText);
    countryCode[0] = '-';
    countryCode[1] = '-';
    detailLevel = 1;
    frameRate = kDefaultFrameRate;
    fullScreen = 1;
    allowLetterbox = 1;
    bilinearFilter = 1;
    useVSync = 0;
    sampleRateIndex = kDefaultSampleRateIndex;
    effectsVolume = 24;
    musicVolume = 15;
    inGameMusic = 1;
    showHints = 1;
    showClock = 1;
    masterServer = NetAddress::of(0, 0);
    location[0] = 0.0f;
    location[1] = 0.0f;
    location[2] = -1.0f;
    std::copy(std::begin(kDefaultControls), std::end(kDefaultControls), controls);
    noPlayerYet = 1;
    resetHighScores();
}

bool GameConfiguration::load() {
    const bool taken = loadRecordFile(*this);
    if (playerId == 0) playerId = drawIdentity();
    return taken;
}

bool GameConfiguration::save() const { return saveRecordFile(*this); }

void GameConfiguration::applyToEngine(int32_t width, int32_t height) {
    ZubEngineSettings engine;
    applyToEngine(width, height, engine);
}

void GameConfiguration::applyToEngine(int32_t width, int32_t height, EngineSettingsTarget& target) const {
    // The options pages may have left values that the file check never saw.
    const bool rateOk = frameRate >= kMinFrameRate && frameRate <= kMaxFrameRate;
    target.setFramePeriod(1.0 / static_cast<double>(rateOk ? frameRate : kDefaultFrameRate));
    const int32_t rateIndex =
        (sampleRateIndex >= 0 && sampleRateIndex <= 2) ? sampleRateIndex : kDefaultSampleRateIndex;
    target.setSampleRate(kSampleRates[rateIndex]);

    const int32_t sample = muteAll ? 0 : globalVolumeOf(effectsVolume);
    const int32_t music = muteAll ? 0 : globalVolumeOf(musicVolume);
    target.setGlobalVolume(ZubAudio::CONFIG_GVOL_SAMPLE, sample);
    target.setGlobalVolume(ZubAudio::CONFIG_GVOL_MUSIC, music);
    target.setGlobalVolume(ZubAudio::CONFIG_GVOL_STREAM, music);

    target.changePresentation(width, height, fullScreen != 0, allowLetterbox != 0, bilinearFilter != 0, useVSync != 0);
    target.setDetail(detailLevel >= 1);
}

void GameConfiguration::resetHighScores() {
    const int64_t now = clock();
    for (int32_t i = 0; i < kNumHighScores; ++i) {
        HIGHSCOREENTRY& e = highScores[i];
        e = HIGHSCOREENTRY{};
        e.level = i;
        e.time = now;
    }
}

int32_t GameConfiguration::submitHighScore(int32_t points, int32_t level, int32_t seconds, int32_t score, bool seal,
                                           std::u16string_view name) {
    // The level comes from the profile file: never index with an unchecked one.
    if (level < 0 || level >= kNumHighScores) {
        Logger::get().log(u"%s(): %s", "GameConfiguration::submitHighScore",
                          formatString(u"Level %d has no high-score entry.", level));
        return -1;
    }
    HIGHSCOREENTRY& e = highScores[level];
    const bool better = e.score < score || (e.score == score && e.seconds > seconds);
    if (!better) return -1;

    std::fill(std::begin(e.seal), std::end(e.seal), uint8_t{0});
    copyToFixedString256(e.name, name);
    e.points = points;
    e.seconds = seconds;
    e.score = score;
    e.level = level;
    e.time = clock();
    if (seal) {
        computeSeal(e, e.seal);
    } else {
        e.seal[0] = 1;
    }
    return level;
}

void GameConfiguration::unbindInput(int32_t code) {
    for (ControlBinding& c : controls) {
        if (c.key == code) c.key = 0;
        if (c.alternative == code) c.alternative = 0;
    }
}

void GameConfiguration::computeSeal(const HIGHSCOREENTRY& entry, uint8_t seal[16]) {
    HIGHSCOREENTRY unsealed = entry;
    std::fill(std::begin(unsealed.seal), std::end(unsealed.seal), uint8_t{0});
    const std::vector<uint8_t> data = unsealed.bytes();
    md5DigestWithPrefix(kSealSalt, data.data(), data.size(), seal);
}

std::vector<uint8_t> GameConfiguration::serialize() const { return recordToBytes(*this); }

bool GameConfiguration::deserialize(const uint8_t* data, size_t size) { return recordFromBytes(*this, data, size); }

int GameConfiguration::repairLoadedValues() {
    int repaired = 0;
    auto text = [&](bool changed, const char* what) {
        if (!changed) return;
        Logger::get().log(u"%s(): %s", "GameConfiguration::repairLoadedValues",
                          formatString(u"%s was not terminated in the file.", what));
        ++repaired;
    };
    text(terminateTextField(gameName), "gameName");
    text(terminateTextField(version), "version");
    text(terminateTextField(reservedText), "reservedText");
    for (HIGHSCOREENTRY& e : highScores) text(terminateTextField(e.name), "A high-score name");

    auto fix = [&](int32_t& value, bool ok, int32_t replacement, const char* what) {
        if (ok) return;
        logRepair(what, value, replacement);
        value = replacement;
        ++repaired;
    };
    auto clampTo = [&](int32_t& value, int32_t lo, int32_t hi, const char* what) {
        fix(value, value >= lo && value <= hi, std::clamp(value, lo, hi), what);
    };
    fix(frameRate, frameRate >= kMinFrameRate && frameRate <= kMaxFrameRate, kDefaultFrameRate, "frameRate");
    fix(sampleRateIndex, sampleRateIndex >= 0 && sampleRateIndex <= 2, kDefaultSampleRateIndex, "sampleRateIndex");
    clampTo(effectsVolume, 0, kMaxVolume, "effectsVolume");
    clampTo(musicVolume, 0, kMaxVolume, "musicVolume");
    clampTo(detailLevel, 0, 1, "detailLevel");
    fix(touchControls, touchControls == 0 || touchControls == 1, 0, "touchControls");
    // A position in the country list ("not specified" first).
    fix(countryIndex, countryIndex >= 0 && countryIndex < NUM_COUNTRY_IDS, 0, "countryIndex");
    for (ControlBinding& c : controls) {
        for (int32_t* code : {&c.key, &c.alternative}) {
            fix(*code, *code >= 0 && *code < input_codes::INPUT_CODES, 0, "A control binding");
        }
    }
    return repaired;
}

void GameConfiguration::write(RecordWriter& out) const {
    out.bytes(gameName);
    out.bytes(version);
    out.bytes(reservedText);
    out.u32(playerId);
    out.bytes(countryCode);
    out.bytes(reserved56);
    for (const HIGHSCOREENTRY& e : highScores) e.write(out);
    out.i32(detailLevel);
    out.i32(frameRate);
    out.u8(fullScreen);
    out.u8(allowLetterbox);
    out.u8(bilinearFilter);
    out.u8(useVSync);
    out.u8(showFrameRate);
    out.bytes(reserved2565);
    out.i32(sampleRateIndex);
    out.i32(effectsVolume);
    out.i32(musicVolume);
    out.u8(inGameMusic);
    out.u8(muteAll);
    out.u8(allowCheats);
    out.u8(showHints);
    out.u8(colourBlindMode);
    out.u8(showClock);
    out.u8(networkConfigured);
    out.u8(reserved257B);
    out.u16(masterServer.family);
    out.u16be(masterServer.port);
    out.u32be(masterServer.ip);
    out.bytes(masterServer.zero);
    out.i32(countryIndex);
    for (float f : location) out.f32(f);
    for (const ControlBinding& c : controls) {
        out.i32(c.key);
        out.i32(c.alternative);
    }
    out.i32(touchControls);
    out.bytes(reserved25D8);
    out.u8(noPlayerYet);
    out.bytes(reserved25E5);
    out.bytes(reserved25E8);
}

void GameConfiguration::read(RecordReader& in) {
    in.bytes(gameName);
    in.bytes(version);
    in.bytes(reservedText);
    playerId = in.u32();
    in.bytes(countryCode);
    in.bytes(reserved56);
    for (HIGHSCOREENTRY& e : highScores) e.read(in);
    detailLevel = in.i32();
    frameRate = in.i32();
    fullScreen = in.u8();
    allowLetterbox = in.u8();
    bilinearFilter = in.u8();
    useVSync = in.u8();
    showFrameRate = in.u8();
    in.bytes(reserved2565);
    sampleRateIndex = in.i32();
    effectsVolume = in.i32();
    musicVolume = in.i32();
    inGameMusic = in.u8();
    muteAll = in.u8();
    allowCheats = in.u8();
    showHints = in.u8();
    colourBlindMode = in.u8();
    showClock = in.u8();
    networkConfigured = in.u8();
    reserved257B = in.u8();
    masterServer.family = in.u16();
    masterServer.port = in.u16be();
    masterServer.ip = in.u32be();
    in.bytes(masterServer.zero);
    countryIndex = in.i32();
    for (float& f : location) f = in.f32();
    for (ControlBinding& c : controls) {
        c.key = in.i32();
        c.alternative = in.i32();
    }
    touchControls = in.i32();
    in.bytes(reserved25D8);
    noPlayerYet = in.u8();
    in.bytes(reserved25E5);
    in.bytes(reserved25E8);
}
