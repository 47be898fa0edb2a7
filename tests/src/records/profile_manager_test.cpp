// Player profiles: the slots, adding and deleting, the name limit, the file,
// and the level-number tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "lang/Language.h"
#include "object/ResourceLookup.h"
#include "records/ProfileManager.h"
#include "records/RecordBytes.h"
#include "records_test_support.h"

using recordstest::RecordsTest;

namespace {

std::vector<std::string> names(const ProfileManager& m) {
    std::vector<std::string> out;
    for (const ProfileData& slot : m.slots) out.emplace_back(slot.name);
    return out;
}

// Five named profiles "P0".."P4" in slots 0..4.
void addFive(ProfileManager& m) {
    for (int i = 0; i < 5; ++i) m.addProfile(u"P" + WString(1, static_cast<char16_t>(u'0' + i)));
}

}  // namespace

TEST_F(RecordsTest, FreshManagerHasTenFreeZeroSlots) {
    randomState = 1;
    ProfileManager m;
    EXPECT_EQ(m.countProfiles(), 0);
    EXPECT_EQ(m.current, 0);
    const std::vector<uint8_t> image = m.serialize();
    ASSERT_EQ(image.size(), 52888u);
    for (size_t i = 0; i < image.size(); ++i) ASSERT_EQ(image[i], 0) << "byte " << i;
    // Building the ten slots took two steps of the shared sequence each.
    EXPECT_EQ(randomState, recordstest::lcgAfter(1, 20));
    EXPECT_EQ(ProfileManager::fileName(), u"Tumbrodemo.pro");
}

TEST_F(RecordsTest, AddedProfileIsFreshAndCurrent) {
    ProfileManager m;
    const uint32_t before = randomState;
    m.addProfile(u"Rosa");
    EXPECT_EQ(randomState, recordstest::lcgAfter(before, 2));
    EXPECT_EQ(m.getProfileName(0), u"Rosa");
    const ProfileData& p = m.slots[0];
    EXPECT_NE(p.profileId, 0u);
    EXPECT_EQ(p.levels[0].unlocked, 1);
    EXPECT_EQ(p.levels[1].unlocked, 0);
    EXPECT_TRUE(logged(u"ProfileManager::onCurrentProfileChanged(): Changing profile to 'Rosa'..."));

    m.addProfile(u"Fritz");
    EXPECT_EQ(m.current, 1);
    EXPECT_NE(m.slots[1].profileId, m.slots[0].profileId);
}

TEST_F(RecordsTest, NameIsCutToSixteenCharactersWhenCurrent) {
    ProfileManager m;
    m.addProfile(u"ABCDEFGHIJKLMNOPQRSTUVW");  // 23 characters
    EXPECT_EQ(m.getProfileName(0), u"ABCDEFGHIJKLMNOP");
    EXPECT_EQ(std::strlen(m.slots[0].name), 16u);
    // Sixteen wide characters, not sixteen bytes.
    m.addProfile(WString(20, u'\u00FC'));
    EXPECT_EQ(m.getProfileName(1), WString(16, u'\u00FC'));
    // A pair of surrogates is kept or dropped whole.
    m.addProfile(WString(15, u'a') + u"\U0001F416" + u"b");
    EXPECT_EQ(m.getProfileName(2), WString(15, u'a'));
}

TEST_F(RecordsTest, TenSlotsFullIgnoresAnEleventh) {
    ProfileManager m;
    for (int i = 0; i < 10; ++i) m.addProfile(u"N" + WString(1, static_cast<char16_t>(u'0' + i)));
    EXPECT_EQ(m.countProfiles(), 10);
    m.current = 4;
    const std::vector<uint8_t> before = m.serialize();
    const uint32_t state = randomState;
    m.addProfile(u"Eleven");
    EXPECT_EQ(m.serialize(), before);
    EXPECT_EQ(m.current, 4);
    EXPECT_EQ(randomState, state);
    // A freed slot is used again, the first free one.
    m.deleteProfile(2);
    m.addProfile(u"Again");
    EXPECT_EQ(m.getProfileName(9), u"Again");
    EXPECT_EQ(m.current, 9);
}

TEST_F(RecordsTest, DeleteInEveryPositionKeepsTheCurrentPlayer) {
    for (int current = 0; current < 5; ++current) {
        for (int index = 0; index < 5; ++index) {
            SCOPED_TRACE(::testing::Message() << "current " << current << ", delete " << index);
            std::filesystem::remove(path("Tumbrodemo.pro"));  // what the last round saved
            ProfileManager m;
            addFive(m);
            m.current = current;
            m.onCurrentProfileChanged();
            const uint32_t movedId = index < 4 ? m.slots[index + 1].profileId : 0;
            m.deleteProfile(index);

            std::vector<std::string> expected = {"P0", "P1", "P2", "P3", "P4"};
            expected.erase(expected.begin() + index);
            expected.resize(10);
            EXPECT_EQ(names(m), expected);
            if (index < 4) {
                EXPECT_EQ(m.slots[index].profileId, movedId);
            }
            // The freed last slot is all zero.
            EXPECT_EQ(m.slots[9].profileId, 0u);
            EXPECT_EQ(m.slots[9].levels[0].unlocked, 0);

            if (index != current) {
                EXPECT_EQ(m.getProfileName(m.current), u"P" + WString(1, static_cast<char16_t>(u'0' + current)));
            } else if (current < 4) {
                EXPECT_EQ(m.current, current);  // the next player moved into the slot
            } else {
                EXPECT_EQ(m.current, 0);  // the last named slot is free now
            }
        }
    }
    // Outside the slots: nothing changes.
    ProfileManager m;
    const std::vector<uint8_t> before = m.serialize();
    m.deleteProfile(-1);
    m.deleteProfile(10);
    EXPECT_EQ(m.serialize(), before);
    EXPECT_EQ(m.getProfileName(10), u"");
}

TEST_F(RecordsTest, ProfilesRoundTripThroughTheFile) {
    std::vector<uint8_t> saved;
    {
        ProfileManager m;
        addFive(m);
        m.current = 2;
        m.slots[2].currentLevel = 13;
        m.slots[2].levels[13].points = 4321;
        m.slots[2].levels[13].time = 77.25;
        m.slots[2].levels[13].attempts = 3;
        m.slots[2].total.score = 640;
        saved = m.serialize();
    }
    EXPECT_TRUE(exists("Tumbrodemo.pro"));
    ProfileManager loaded;
    EXPECT_EQ(loaded.serialize(), saved);
    EXPECT_EQ(loaded.current, 2);
    EXPECT_EQ(loaded.currentProfile().levels[13].time, 77.25);
    EXPECT_TRUE(logged(u"Changing profile to 'P2'..."));
}

TEST_F(RecordsTest, ProfileLayoutOffsets) {
    ProfileManager m;
    m.addProfile(u"Rosa");
    m.current = 4;
    m.slots[1].profileId = 0xA1B2C3D4;
    m.slots[1].currentLevel = 31;
    m.slots[1].levels[2].points = 0x55;
    m.slots[1].total.points = 0x66;
    const std::vector<uint8_t> b = m.serialize();
    EXPECT_EQ(b[0], 4);
    const size_t slot1 = 8 + 5288;
    EXPECT_EQ(b[slot1 + 256], 0xD4);
    EXPECT_EQ(b[slot1 + 259], 0xA1);
    EXPECT_EQ(b[slot1 + 264 + 2 * 152 + 4], 0x55);
    EXPECT_EQ(b[slot1 + 5128 + 4], 0x66);
    EXPECT_EQ(b[slot1 + 5280], 31);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 8)), "Rosa");
    EXPECT_EQ(b[8 + 264 + 0x89], 1);  // level 0 unlocked in slot 0
}

TEST_F(RecordsTest, OutOfRangeProfileValuesLoadRepaired) {
    std::vector<uint8_t> image;
    {
        ProfileManager m;
        addFive(m);
        m.slots[1].currentLevel = 7;
        LevelResult attempt;
        attempt.reset();
        attempt.time = 80.0;
        m.slots[1].levels[2].mergeBest(attempt);
        image = m.serialize();
    }
    const double nan = std::nan("");
    std::memcpy(image.data() + 8 + 5288 + 264 + 2 * 152 + 8, &nan, 8);  // slot 1, level 2: best time
    image[0] = 77;                                                      // current
    const size_t slot3 = 8 + 3 * 5288;
    image[slot3 + 5280] = 32;  // currentLevel one past the last level
    const size_t slot4 = 8 + 4 * 5288;
    image[slot4 + 5283] = 0x80;                          // currentLevel negative
    std::memset(image.data() + 8 + 2 * 5288, 'z', 256);  // a name without its NUL
    ASSERT_TRUE(
        FileManager::savePackedFile(image.data(), image.size(), narrowToWide(folder), u"Tumbrodemo.pro", u"1.25"));
    ProfileManager m;
    EXPECT_EQ(m.current, 0);
    EXPECT_EQ(m.slots[3].currentLevel, 0);
    EXPECT_EQ(m.slots[4].currentLevel, 0);
    EXPECT_EQ(m.slots[1].currentLevel, 7);
    EXPECT_EQ(std::strlen(m.slots[2].name), 255u);
    EXPECT_EQ(m.repairLoadedValues(), 0);
    EXPECT_TRUE(logged(u"current was 77 in the file; using 0."));
    // A damaged best time no longer blocks every later record.
    LevelResult attempt;
    attempt.reset();
    attempt.time = 95.0;
    m.slots[1].levels[2].mergeBest(attempt);
    EXPECT_EQ(m.slots[1].levels[2].time, 95.0);
}

TEST_F(RecordsTest, CurrentSetOutsideTheSlotsIsBroughtBack) {
    ProfileManager m;
    addFive(m);
    m.current = 12;  // the players page writes it directly
    m.onCurrentProfileChanged();
    EXPECT_EQ(m.current, 0);
    EXPECT_EQ(m.currentProfile().name, std::string("P0"));
}

// --- Level tables -------------------------------------------------------------

TEST(LevelTables, FileMusicMinimapAndTitleOfEveryLevel) {
    const char* valleys = "abcdefgh";
    const char digits[] = {'1', '2', '3', '9'};
    const char16_t* byPosition[] = {u"musicGame1", u"musicGame2", u"musicGame3", u"musicBonus"};
    Language language;
    for (int n = 0; n < NUMLEVELS; ++n) {
        const std::string file = std::string("./levels/") + valleys[n / 4] + digits[n % 4] + ".lev";
        EXPECT_EQ(ProfileData::levelNumberToFile(n), narrowToWide(file)) << n;
        EXPECT_EQ(ProfileData::levelFileToNumber(narrowToWide(file)), n);
        const WString music = n == 31 ? u"musicMenu" : n == 19 ? u"musicNone" : byPosition[n % 4];
        EXPECT_EQ(ProfileData::levelNumberToMusic(n), music) << n;
        EXPECT_EQ(ProfileData::levelNumberToTitle(n, language), WString(language.getText(SID_LEVELTITLE0 + n)));
    }
    EXPECT_EQ(ProfileData::levelNumberToMinimap(7), u"minimap07");
    // Any other file is none of the levels.
    for (const char16_t* other : {u"./levels/mine.lev", u"levels/b1.lev", u"./levels/b4.lev", u"./levels/B1.lev", u""})
        EXPECT_EQ(ProfileData::levelFileToNumber(other), -1) << wideToNarrow(other);
}

TEST(LevelTablesDeathTest, LevelsOutsideTheTablesAreFatal) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(ProfileData::levelNumberToFile(32), ::testing::ExitedWithCode(255),
                "Unhandled level number \\(32\\)\n Function: ProfileData::levelNumberToFile\\(\\)");
    EXPECT_EXIT(ProfileData::levelNumberToFile(-1), ::testing::ExitedWithCode(255), "Unhandled level number \\(-1\\)");
    Language language;
    EXPECT_EXIT(ProfileData::levelNumberToTitle(32, language), ::testing::ExitedWithCode(255),
                "Assertion failed.\n Statement: levelNumber >= 0 && levelNumber < NUMLEVELS\n"
                " Function: ProfileData::levelNumberToTitle\\(\\)");
    EXPECT_EXIT(ProfileData::levelNumberToMusic(-2), ::testing::ExitedWithCode(255),
                "Unhandled level number \\(-2\\)\n Function: ProfileData::levelNumberToMusic\\(\\)");
}

// A fatal report names the file it came from relative to the source tree,
// whether that is a source file or a header of the game or of the engine,
// and not with the folders of the machine that built it.
TEST(LevelTablesDeathTest, AFatalErrorNamesItsFileInTheSourceTree) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(ProfileData::levelNumberToFile(40), ::testing::ExitedWithCode(255),
                "\n File: src/records/ProfileData\\.cpp\n Line: [0-9]+\n");
    EXPECT_EXIT(
        {
            uint8_t block[2] = {};
            RecordWriter writer(block, sizeof block);
            writer.u32(1);
        },
        ::testing::ExitedWithCode(255), "\n File: src/records/RecordBytes\\.h\n Line: [0-9]+\n");
    EXPECT_EXIT(findResource<ZubBase>(u"nothing"), ::testing::ExitedWithCode(255),
                "\n File: project_zub/src/object/ResourceLookup\\.h\n Line: [0-9]+\n");
}
