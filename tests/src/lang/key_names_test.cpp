// The localised names of the inputs that setLanguage writes into the input
// layer's table.
#include <gtest/gtest.h>

#include <string>

#include "lang/Language.h"
#include "util/Format.h"

namespace {

struct KeyTable {
    WString names[Language::NUM_KEY_NAMES];
};

WString text(const Language& language, int32_t id) { return WString(language.getText(id)); }

bool isFallback(const Language& language, const WString& name, int code) {
    return name == formatString(u"%s-%d", language.getText(SID_DIK_UNKNOWN), code);
}

}  // namespace

TEST(KeyNames, NothingIsWrittenBeforeALanguageIsSetOrWithoutATable) {
    Language language;
    KeyTable table;
    language.setKeyNameTable(table.names);
    for (const WString& name : table.names) EXPECT_TRUE(name.empty());
    Language other;
    other.setKeyNameTable(nullptr);
    other.setLanguage(1);
    EXPECT_EQ(other.currentLanguage, 1);
}

TEST(KeyNames, KeyboardControllerAndMouseEntries) {
    Language language;
    KeyTable table;
    language.setKeyNameTable(table.names);
    language.setLanguage(0);

    // Keyboard: the code's own text, arrows as their symbols.
    EXPECT_EQ(table.names[0], u"");
    EXPECT_EQ(table.names[1], u"Esc");
    EXPECT_EQ(table.names[28], text(language, SID_DIK_RETURN));
    EXPECT_EQ(table.names[0x39], u"Space");
    EXPECT_EQ(table.names[87], text(language, SID_DIK_F11));
    EXPECT_EQ(table.names[100], text(language, SID_DIK_F13));
    EXPECT_EQ(table.names[156], text(language, SID_DIK_NUMPADENTER));
    EXPECT_EQ(table.names[197], text(language, SID_DIK_PAUSE));
    EXPECT_EQ(table.names[200], u"\u0005");
    EXPECT_EQ(table.names[203], u"\u0003");
    EXPECT_EQ(table.names[205], u"\u0004");
    EXPECT_EQ(table.names[208], u"\u0006");
    EXPECT_EQ(table.names[211], text(language, SID_DIK_DELETE));
    EXPECT_EQ(table.names[237], text(language, SID_DIK_MEDIASELECT));
    EXPECT_EQ(table.names[0x36], text(language, SID_DIK_RSHIFT));
    EXPECT_EQ(table.names[0x43], u"F9");
    EXPECT_EQ(table.names[45], u"X");
    EXPECT_EQ(table.names[84], u"Unknown-84");
    for (int code : {85, 89, 90, 99, 238, 255}) EXPECT_TRUE(isFallback(language, table.names[code], code)) << code;

    // Controllers: "(n) " and the direction or button, the unused entries the fallback.
    EXPECT_EQ(table.names[256], formatString(u"(1) %s", language.getText(SID_DIK_JOYUP)));
    EXPECT_EQ(table.names[259], formatString(u"(1) %s", language.getText(SID_DIK_JOYRIGHT)));
    EXPECT_EQ(table.names[272], u"(1) JOYBUTTON0");
    EXPECT_EQ(table.names[304], formatString(u"(2) %s", language.getText(SID_DIK_JOYUP)));
    EXPECT_EQ(table.names[352 + 16 + 5], u"(3) JOYBUTTON5");
    EXPECT_EQ(table.names[447], formatString(u"(4) %s", language.getText(SID_DIK_JOYBUTTON31)));
    EXPECT_EQ(table.names[260], u"Unknown-260");
    for (int c = 0; c < 4; ++c)
        for (int entry = 4; entry < 16; ++entry) {
            const int code = 256 + 48 * c + entry;
            EXPECT_TRUE(isFallback(language, table.names[code], code)) << code;
        }

    // The mouse: no prefix.
    for (int m = 0; m < 8; ++m) EXPECT_EQ(table.names[448 + m], text(language, SID_DIK_MOUSEUP + m)) << m;
    EXPECT_EQ(table.names[452], u"MOUSE BUTTON 0");

    // Exactly the unnamed inputs keep the fallback; codes outside get it too.
    int fallbacks = 0;
    for (int code = 0; code < Language::NUM_KEY_NAMES; ++code) {
        if (isFallback(language, table.names[code], code)) ++fallbacks;
        EXPECT_EQ(table.names[code], language.buildKeyName(code)) << code;
    }
    EXPECT_EQ(fallbacks, 159);
    EXPECT_EQ(language.buildKeyName(456), u"Unknown-456");
    EXPECT_EQ(language.buildKeyName(-3), u"Unknown--3");
}

TEST(KeyNames, EverySelectionRewritesEveryName) {
    Language language;
    KeyTable table;
    language.setKeyNameTable(table.names);
    language.setLanguage(0);
    language.setLanguage(1);
    EXPECT_EQ(table.names[1], u"ESC");
    EXPECT_EQ(table.names[14], u"R\u00DCCKTASTE");
    EXPECT_EQ(table.names[28], u"EINGABE");
    EXPECT_EQ(table.names[29], u"STRG-L");
    EXPECT_EQ(table.names[42], u"UMSCH-L");
    EXPECT_EQ(table.names[57], u"LEERTASTE");
    EXPECT_EQ(table.names[84], u"UNBEKANNT-84");
    EXPECT_EQ(table.names[260], u"UNBEKANNT-260");
    EXPECT_EQ(table.names[272], u"(1) JOY-KNOPF0");
    EXPECT_EQ(table.names[452], u"MAUS-KNOPF0");
    for (int code = 0; code < Language::NUM_KEY_NAMES; ++code)
        EXPECT_EQ(table.names[code], language.buildKeyName(code)) << code;
    // The same language again rewrites stale names.
    for (WString& name : table.names) name = u"stale";
    language.setLanguage(1);
    EXPECT_EQ(table.names[0], u"");
    for (const WString& name : table.names) EXPECT_NE(name, u"stale");
    language.setLanguage(0);
    EXPECT_EQ(table.names[1], u"Esc");
    EXPECT_EQ(table.names[84], u"Unknown-84");
}
