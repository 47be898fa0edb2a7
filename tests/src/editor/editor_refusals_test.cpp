// Edits whose values a class cannot work with are refused by the editor:
// the value stays what it was, and the panel and the log say why. Calls
// with arguments the called code cannot work with are not made.
#include <gtest/gtest.h>

#include "EditorHarness.h"
#include "objects/devices/Switch.h"
#include "objects/scenery/TerrainDeco.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"
#include "world/Terrain.h"

using editortest::EditorHarness;
using namespace input_codes;

namespace {

const V3 kPlace(-200.0f, 250.0f, 0.0f);

bool logged(std::u16string_view text) {
    for (const WString& line : Logger::get().history())
        if (line.find(text) != WString::npos) return true;
    return false;
}

}  // namespace

TEST(EditorRefusals, ASwitchIsNeverMadeAutomaticWithoutBeingOnceOnly) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* s = zub_cast<Switch>(h.place(&Switch::classRecord, kPlace));
    ASSERT_NE(s, nullptr);
    ASSERT_FALSE(s->bAutomatic);
    ASSERT_FALSE(s->bOnceOnly);
    Logger::get().clearHistory();

    // Automatic alone: refused, by a click and by typing alike.
    h.clickRow(u"bAutomatic");
    EXPECT_FALSE(s->bAutomatic);
    EXPECT_NE(h.panel().lastRefusal.find(u"an automatic switch must be once-only"), WString::npos)
        << wideToNarrow(h.panel().lastRefusal);
    EXPECT_TRUE(logged(u"The edit of 'bAutomatic' is refused"));
    h.editRow(u"bAutomatic", u"1");
    EXPECT_FALSE(s->bAutomatic);

    // Once-only first, then automatic: both stand.
    h.panel().lastRefusal.clear();
    h.clickRow(u"bOnceOnly");
    h.clickRow(u"bAutomatic");
    EXPECT_TRUE(s->bOnceOnly);
    EXPECT_TRUE(s->bAutomatic);
    EXPECT_TRUE(h.panel().lastRefusal.empty());

    // Nor may an automatic switch stop being once-only.
    h.clickRow(u"bOnceOnly");
    EXPECT_TRUE(s->bOnceOnly);
    EXPECT_TRUE(logged(u"The edit of 'bOnceOnly' is refused"));
    EXPECT_EQ(s->valueFault(), WString());
}

TEST(EditorRefusals, ATerrainBandIsNotBuiltWithoutAPicture) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* band = zub_cast<TerrainDeco>(h.place(&TerrainDeco::classRecord, kPlace));
    ASSERT_NE(band, nullptr);
    Logger::get().clearHistory();
    // Its construct call with no reference quad: not made (it would end the
    // program), and the panel says why.
    h.clickRow(u"construct");
    h.chord(KEY_X);
    EXPECT_EQ(band->skinSegments, 0);
    EXPECT_NE(h.panel().lastRefusal.find(u"needs a reference quad"), WString::npos)
        << wideToNarrow(h.panel().lastRefusal);
    EXPECT_TRUE(logged(u"The call 'construct' is refused"));
}
