#pragma once
// The game's own settings record: display and sound choices, control
// bindings, a few gameplay and network choices, and the table of 32 sealed
// high-score entries, one per level. Held by value in the game object and
// stored whole as the packed file "Tumbrodemo.hst" in the per-user folder:
// 9720 bytes, little-endian, written field by field (RecordBytes.h).
//
// Settings are read straight from the fields; the options pages change fields
// and call applyToEngine. Values read from the file that index tables or
// divide are checked on load (repairLoadedValues).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sys/NetAddress.h"
#include "util/WString.h"

class EngineSettingsTarget;
class RecordReader;
class RecordWriter;

// One high-score entry (also sent verbatim by the high-score upload).
struct HIGHSCOREENTRY {
    static constexpr size_t kRecordSize = 296;

    // MD5 of the salt and the entry with a zero seal, or the unsealed mark
    // (byte 0 = 1), or all zero in a cleared entry.
    uint8_t seal[16] = {};
    char name[256] = {};  // profile name, narrow
    int32_t level = 0;    // the entry's own index
    int32_t points = 0;   // the in-play points of the result
    int32_t score = 0;    // the result's score 0..1000: higher is better
    int32_t seconds = 0;  // whole seconds: lower is better at equal score
    int64_t time = 0;     // calendar time of the entry, seconds since 1970

    void write(RecordWriter& out) const;
    void read(RecordReader& in);
    // The 296 bytes of the entry as stored.
    std::vector<uint8_t> bytes() const;
};

static_assert(sizeof(HIGHSCOREENTRY) == HIGHSCOREENTRY::kRecordSize);
static_assert(offsetof(HIGHSCOREENTRY, name) == 16 && offsetof(HIGHSCOREENTRY, level) == 272 &&
              offsetof(HIGHSCOREENTRY, time) == 288);

// A control: two input codes (keyboard DIK codes 1..255, controllers and mouse
// from 256 up); 0 = unbound.
struct ControlBinding {
    int32_t key = 0;
    int32_t alternative = 0;
};

class GameConfiguration {
public:
    static constexpr size_t kRecordSize = 9720;
    static constexpr int32_t kNumHighScores = 32;
    static constexpr int32_t kNumControls = 7;
    static constexpr int32_t kMaxVolume = 24;
    // The game ticks a second the options offer; a file's value outside is
    // repaired on load.
    static constexpr int32_t kMinFrameRate = 25;
    static constexpr int32_t kMaxFrameRate = 125;
    static constexpr uint32_t kSealSalt = 0x3C5A9E17;
    static constexpr int32_t kSampleRates[3] = {11025, 22050, 44100};

    // The actions of controls[], in record order.
    enum Control : int {
        CONTROL_LEFT = 0,   // "#LEFT#"
        CONTROL_RIGHT = 1,  // "#RIGHT#"
        CONTROL_USE = 2,    // use / carry, "#UP#"
        CONTROL_DOWN = 3,   // "#DOWN#"
        CONTROL_JUMP = 4,   // "#FIRE#"
        CONTROL_STATS = 5,  // show statistics, "#ALTFIRE#"
        CONTROL_MAP = 6,    // show the level map, "#MAP#"
    };

    // Sets the defaults and loads the file.
    GameConfiguration();
    // Saves the file.
    ~GameConfiguration();
    GameConfiguration(const GameConfiguration&) = delete;
    GameConfiguration& operator=(const GameConfiguration&) = delete;

    // Every byte zero, then the defaults, then resetHighScores.
    void setDefaults();

    // Reads the file into the record when it passes every check (a rejected
    // file is kept aside as ".bad" and the record keeps what it held), repairs
    // out-of-range values, and draws a new player identity when the record
    // has none. False when no file was taken.
    bool load();
    // Writes the record (atomically); false when that failed (logged).
    bool save() const;
    // "Tumbrodemo.hst".
    static WString fileName();

    // Pushes frame rate, mixing rate, global volumes and the display settings
    // into the engine. A negative width or height keeps the current one.
    void applyToEngine(int32_t width, int32_t height);
    void applyToEngine(int32_t width, int32_t height, EngineSettingsTarget& target) const;

    // Every entry: zero seal, empty name, level = its index, zero figures,
    // time now.
    void resetHighScores();
    // Files a finished level's result when it beats the stored entry (a higher
    // score, or the same score in fewer seconds); `seal` chooses between the
    // digest and the unsealed mark. Returns the level, or -1 when the result
    // is not better or the level is not 0..31.
    int32_t submitHighScore(int32_t points, int32_t level, int32_t seconds, int32_t score, bool seal,
                            std::u16string_view name);
    // Unbinds `code` from every action (key and alternative).
    void unbindInput(int32_t code);

    // The MD5 seal an entry carries: the salt (4 bytes, little-endian), then
    // the entry's bytes with its seal zeroed.
    static void computeSeal(const HIGHSCOREENTRY& entry, uint8_t seal[16]);

    // The 9720 bytes of the file's record.
    std::vector<uint8_t> serialize() const;
    // Reads a whole record (size must be 9720); false and nothing read otherwise.
    bool deserialize(const uint8_t* data, size_t size);
    // Brings values read from a file into their ranges; returns how many were
    // changed (each one is logged).
    int repairLoadedValues();

    // The calendar time entries are stamped with (seconds since 1970).
    // Replaceable for tests.
    static int64_t (*clock)();

    // --- The record, in file order ---
    char gameName[32] = {};  // "Tumbrodemo"
    char version[16] = {};   // "1.25"
    char reservedText[32] = {};
    uint32_t playerId = 0;  // identity of this installation; 0 = none yet
    // Two narrow characters, "--" by default (the same bytes as the network
    // port 11565 that older writers kept here).
    char countryCode[2] = {};
    uint8_t reserved56[2] = {};
    HIGHSCOREENTRY highScores[kNumHighScores];
    int32_t detailLevel = 0;  // 0 low, 1 high
    int32_t frameRate = 0;    // game ticks per second
    uint8_t fullScreen = 0;
    uint8_t allowLetterbox = 0;
    uint8_t bilinearFilter = 0;
    uint8_t useVSync = 0;
    uint8_t showFrameRate = 0;  // read by the screen stack every frame
    uint8_t reserved2565[3] = {};
    int32_t sampleRateIndex = 0;  // into kSampleRates
    int32_t effectsVolume = 0;    // 0..24
    int32_t musicVolume = 0;      // 0..24
    uint8_t inGameMusic = 0;
    uint8_t muteAll = 0;
    uint8_t allowCheats = 0;
    uint8_t showHints = 0;        // the in-game help
    uint8_t colourBlindMode = 0;  // read by the apples
    uint8_t showClock = 0;
    uint8_t networkConfigured = 0;  // gates the crash and high-score uploads
    uint8_t reserved257B = 0;
    NetAddress masterServer;   // stored as family LE, port BE, address BE, 8 zero bytes
    int32_t countryIndex = 0;  // position in the sorted country list, 0..240 (0: none)
    float location[3] = {};    // unit vector of the country on the globe
    ControlBinding controls[kNumControls];
    int32_t touchControls = 0;  // touch arrows: 0 left, 1 right
    uint8_t reserved25D8[12] = {};
    uint8_t noPlayerYet = 0;  // written by the player greeting
    uint8_t reserved25E5[3] = {};
    uint8_t reserved25E8[16] = {};

private:
    template <class R>
    friend std::vector<uint8_t> recordToBytes(const R& record);
    template <class R>
    friend bool recordFromBytes(R& record, const uint8_t* data, size_t size);
    void write(RecordWriter& out) const;
    void read(RecordReader& in);
};

static_assert(sizeof(GameConfiguration) == GameConfiguration::kRecordSize);
static_assert(offsetof(GameConfiguration, playerId) == 0x50 && offsetof(GameConfiguration, highScores) == 0x58 &&
              offsetof(GameConfiguration, detailLevel) == 0x2558 &&
              offsetof(GameConfiguration, sampleRateIndex) == 0x2568 &&
              offsetof(GameConfiguration, masterServer) == 0x257C && offsetof(GameConfiguration, location) == 0x2590 &&
              offsetof(GameConfiguration, controls) == 0x259C && offsetof(GameConfiguration, touchControls) == 0x25D4 &&
              offsetof(GameConfiguration, noPlayerYet) == 0x25E4);
