// Font lookups remembered from one run to the next in a memo file, and looked
// up again whenever the memo cannot be trusted.
#include <gtest/gtest.h>

#include <string>

#include "platform/FontRasterizer.h"
#include "project_zub/sys/files_test_support.h"

using namespace filestest;

namespace {

class FontLookupMemo : public ::testing::Test {
protected:
    void SetUp() override {
        arial = platform::findFontFile("Arial");
        if (arial.empty()) GTEST_SKIP() << "no font for 'Arial'";
    }
    // The family's file through the memo, and whether the font configuration
    // was read for it.
    std::string lookUp(const std::string& family, bool& readConfiguration) {
        const int before = platform::fontConfigurationReads();
        const std::string file = platform::findFontFile(family, memo);
        readConfiguration = platform::fontConfigurationReads() != before;
        return file;
    }
    TempFolder dir;
    std::string memo = dir / "Tumbrodemo.fonts";
    std::string arial;
};

TEST_F(FontLookupMemo, TheSecondLookupComesFromTheMemo) {
    bool read = false;
    EXPECT_EQ(lookUp("Arial", read), arial);
    EXPECT_TRUE(read);
    EXPECT_TRUE(fs::exists(memo));
    EXPECT_EQ(lookUp("Arial", read), arial);
    EXPECT_FALSE(read);

    // Another family joins the memo without pushing the first out.
    const std::string dejavu = platform::findFontFile("DejaVu Sans");
    EXPECT_EQ(lookUp("DejaVu Sans", read), dejavu);
    EXPECT_TRUE(read);
    EXPECT_EQ(lookUp("Arial", read), arial);
    EXPECT_FALSE(read);
    EXPECT_EQ(lookUp("DejaVu Sans", read), dejavu);
    EXPECT_FALSE(read);
}

TEST_F(FontLookupMemo, AnUntrustworthyMemoIsLookedUpAgainAndRewritten) {
    bool read = false;
    lookUp("Arial", read);
    const std::string good = readBytes(memo);

    // The remembered file is gone, or another file is named with a state
    // key that is not its own: the configuration decides again.
    std::string moved = good;
    moved.replace(moved.find(arial), arial.size(), dir / "gone.ttf");
    writeBytes(memo, moved);
    EXPECT_EQ(lookUp("Arial", read), arial);
    EXPECT_TRUE(read);
    EXPECT_EQ(readBytes(memo), good);

    dir.write("other.ttf", "not a font");
    std::string other = good;
    other.replace(other.find(arial), arial.size(), dir / "other.ttf");
    writeBytes(memo, other);
    EXPECT_EQ(lookUp("Arial", read), arial);
    EXPECT_TRUE(read);

    // Damaged or foreign files, and a memo that cannot be written at all.
    for (const std::string& bad : {std::string(), std::string("font lookups 1\nArial\n"),
                                   std::string("font lookups 9\nArial\n") + arial + "\nkey\n", good.substr(0, 40)}) {
        writeBytes(memo, bad);
        EXPECT_EQ(lookUp("Arial", read), arial);
        EXPECT_TRUE(read) << bad;
        EXPECT_EQ(lookUp("Arial", read), arial);
        EXPECT_FALSE(read) << bad;
    }
    memo = dir / "no-such-folder/Tumbrodemo.fonts";
    EXPECT_EQ(lookUp("Arial", read), arial);
    EXPECT_EQ(lookUp("Arial", read), arial);
    EXPECT_TRUE(read);
}

}  // namespace
