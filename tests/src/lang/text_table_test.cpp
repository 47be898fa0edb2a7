// Checks over the whole of both built-in text tables: completeness, the
// printf conversions that code formats, the markup, the key markers, the
// header rows, the identifier list, and the texts that the rest of the game
// relies on word for word.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
// libstdc++'s <regex> trips a false "may be used uninitialized" in GCC 12
// when built with the sanitizers (clang has no such warning).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "lang/Language.h"

namespace {

const Language& language() {
    static const Language instance;
    return instance;
}

std::u16string_view text(int language_, int32_t id) { return language().texts[language_][id]; }

std::string narrow(std::u16string_view s) { return wideToNarrow(s); }

std::string nameOf(int32_t id) { return narrow(Language::getStringIdName(id)); }

bool isReserved(int32_t id) { return nameOf(id).rfind("RESERVED", 0) == 0; }

// The printf conversions of a text, as the formatter reads them: flags,
// width, precision, length and conversion; "%%" counts as one. A '%' that
// starts no conversion is copied as it stands and is not counted.
std::vector<std::string> conversions(std::u16string_view t) {
    static const std::regex conversion(
        "%[-+ #0]*(\\*|[0-9]+)?(\\.(\\*|[0-9]+))?(hh|h|ll|l|L|q|j|z|t|w|I64|I32|I)?[diuoxXcsSfFeEgGaAp%]");
    std::vector<std::string> found;
    const std::string s = narrow(t);
    for (auto it = std::sregex_iterator(s.begin(), s.end(), conversion); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

std::vector<std::string> markers(std::u16string_view t) {
    static const std::regex marker("#[A-Z]+#");
    std::vector<std::string> found;
    const std::string s = narrow(t);
    for (auto it = std::sregex_iterator(s.begin(), s.end(), marker); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    std::sort(found.begin(), found.end());
    return found;
}

// Empty when the colour switches of `t` are well formed and every coloured
// run is closed; otherwise what is wrong.
std::string colourProblem(std::u16string_view t) {
    bool open = false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != u'\u001E') continue;
        if (i + 9 > t.size() || t[i + 1] != u'{' || t[i + 8] != u'}') return "switch without {rrggbb}";
        const std::u16string_view colour = t.substr(i + 2, 6);
        for (char16_t c : colour)
            if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return "colour is not lower-case hex";
        if (colour == u"000001") {
            if (!open) return "closes a run that is not open";
            open = false;
        } else {
            if (open) return "opens a run inside a run";
            open = true;
        }
        i += 8;
    }
    return open ? "a run is left open" : "";
}

const std::set<std::string> kKnownMarkers = {"#LEFT#", "#RIGHT#",   "#UP#",  "#DOWN#",
                                             "#FIRE#", "#ALTFIRE#", "#ESC#", "#MAP#"};

// The texts that code formats, with their conversions in order.
const std::map<std::string, std::vector<std::string>> kFormatted = {
    {"HELLO", {"%s"}},
    {"FPSTESTRESULT", {"%.1lf"}},
    {"FPSTESTFAIL2", {"%.0lf"}},
    {"FAILEDWITHCODE", {"%d"}},
    {"ERRORREPORTUPLOADING", {"%s"}},
    {"ERRORMINVERSIONCLIENT", {"%s", "%.2lf"}},
    {"ERRORMINVERSIONSERVER", {"%s", "%.2lf"}},
    {"CONNECTEDTO", {"%s"}},
    {"DISCONNECTEDFROM", {"%s"}},
    {"PLAYERJOINED", {"%s"}},
    {"PLAYERLEFT", {"%s"}},
    {"TOTALSCORE", {"%s", "%s"}},
    {"LEVELX", {"%d"}},
    {"XMOREAPPLES", {"%d"}},
    {"PRESSXKEYTOCONTINUE", {"%s"}},
    {"RECIPELOCKED2", {"%s", "%%"}},
    {"IOS_VMLEGAL2", {"%s", "%s"}},
};

// The hint texts that name bound keys, with their markers (sorted).
const std::map<std::string, std::vector<std::string>> kMarked = {
    {"HINTMOVELEFTRIGHT", {"#LEFT#", "#RIGHT#"}},
    {"HINTESC", {"#ESC#"}},
    {"HINTJUMP", {"#FIRE#"}},
    {"HINTSIGN", {"#UP#"}},
    {"HINTSWITCH", {"#UP#"}},
    {"HINTLADDER", {"#FIRE#"}},
    {"HINTSTATS", {"#ALTFIRE#"}},
    {"HINTCOMPASSCARRY", {"#UP#"}},
    {"HINTCOMPASSDROP", {"#UP#"}},
    {"HINTTELESCOPE", {"#UP#"}},
    {"HINTREDEFINECONTROLS", {"#ESC#"}},
    {"HINTBASKET1B", {"#UP#"}},
    {"HINTMAP", {"#MAP#"}},
    {"HINTBUTTON", {"#UP#"}},
    {"HINTAPPLEBOUNCE", {"#UP#"}},
    {"HINTHAT", {"#FIRE#", "#FIRE#"}},
};

struct Fixed {
    const char* name;
    const char16_t* english;
    const char16_t* german;  // null: only the English text is fixed
};

// Texts that code reads as data (header rows, separators), that carry the
// symbols of their buttons, that match what the network sends, or that must
// stay empty.
const Fixed kFixed[] = {
    {"NULL", u"", u""},
    {"LANGUAGENAME", u"English", u"Deutsch"},
    {"LANGUAGEISOCODE", u"en", u"de"},
    {"LANGUAGECODEPAGE", u"1252", u"1252"},
    {"LANGUAGEREADINGORDER", u"LTR", u"LTR"},
    {"LANGUAGECOMPOSITECHARS", u"Yes", u"Yes"},
    {"THOUSANDSEPARATOR", u",", u" "},
    {"DECIMALSEPARATOR", u".", u","},
    {"PLACEHOLDER0", u" ", u""},
    {"DIK_NONE", u"", u""},
    {"BACK", u"\u0009  Back", u"\u0009 Zurück"},
    {"NEXT", u"Next  \u000A", u"Weiter \u000A"},
    {"CANCEL", u"\u0002  Cancel", u"Abbrechen"},
    {"QUIT", u"\u0002  Quit", u"\u0002 Beenden"},
    {"ERRORSERVERISFULL", u"Server is full.", nullptr},
    {"ERRORINCOMPATIBLEGAME", u"Incompatible game.", nullptr},
    {"ERRORMINVERSIONCLIENT", u"You need at least version %s of the game (you have %.2lf).", nullptr},
    {"ERRORMINVERSIONSERVER", u"Server must be at least version %s of the game (it's %.2lf).", nullptr},
    {"VELMORASTUDIOS", u"Velmora studios", u"Velmora studios"},
    {"TUMBRO", u"Tumbro", u"Tumbro"},
    {"HINTBASKET4", u"This basket will hold... erm... a \u001E{ff0000}LOT\u001E{000001} of apples!", nullptr},
    {"HINTENDLEVEL30", u"", u""},
    {"HINTENDLEVEL31", u"", u""},
    {"IOS_HINTLETSGO", u"", u""},
};

// Entries whose German text is the English one.
bool sameInBothRows(const std::string& name) {
    static const std::set<std::string> same = {
        "OK",           "WEBSITE", "LETTERBOX",     "VSYNC",  "DEVICE_JOYSTICK", "DEVICE_GAMEPAD", "DEVICE_TOUCHSCREEN",
        "QUITGAMEOVER", "CREDITS", "SEASON3",       "LEVELX", "HINTBRRR",        "IOS_SUPPORT",    "IOS_GAMECENTER",
        "LEVELTITLE18", "TUMBRO",  "VELMORASTUDIOS"};
    if (same.count(name)) return true;
    // The name lines of the credits: CREDITSnB...
    static const std::regex nameLine("CREDITS[0-9]+B[0-9]*");
    return std::regex_match(name, nameLine);
}

}  // namespace

TEST(TextTables, NoEntryIsNull) {
    for (int l = 0; l < Language::NUM_LANGUAGES; ++l)
        for (int32_t id = 0; id < NUM_STRING_IDS; ++id) EXPECT_NE(language().texts[l][id], nullptr) << l << " " << id;
}

TEST(TextTables, TheEmptyEntries) {
    for (int32_t id : {0, 9, 899, 900, 1158})
        for (int l = 0; l < 2; ++l) EXPECT_EQ(text(l, id), u"") << l << " " << id;
    // Unused numbers are empty; every other text of the game has words.
    for (int32_t id = SID_CONFIRM; id < NUM_STRING_IDS; ++id) {
        if (id == SID_HINTENDLEVEL30 || id == SID_HINTENDLEVEL31 || id == SID_IOS_HINTLETSGO) continue;
        for (int l = 0; l < 2; ++l) {
            if (isReserved(id)) {
                EXPECT_EQ(text(l, id), u"") << nameOf(id);
            } else {
                EXPECT_NE(text(l, id), u"") << nameOf(id) << " in language " << l;
            }
        }
    }
}

TEST(TextTables, InputAndCountryNamesAreComplete) {
    for (int32_t id = SID_DIK_UNKNOWN; id <= SID_COUNTRYZW; ++id)
        for (int l = 0; l < 2; ++l) EXPECT_NE(text(l, id), u"") << nameOf(id);
    EXPECT_EQ(text(0, SID_COUNTRYAF), u"Afghanistan");
    EXPECT_EQ(text(1, SID_COUNTRYZW), u"Simbabwe");
}

TEST(TextTables, EnglishCountriesAreInAlphabeticalOrder) {
    // Serbia and Montenegro stand after Yemen; every other country follows its English name.
    auto key = [](std::u16string_view name) {
        std::u16string k;
        for (char16_t c : name) {
            if (c == u'ô') c = u'o';
            if (c == u'ã') c = u'a';
            if (c == u'é') c = u'e';
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
            k += c;
        }
        return k;
    };
    std::u16string previous;
    for (int32_t id = SID_COUNTRYAF; id <= SID_COUNTRYZW; ++id) {
        if (id == SID_COUNTRYRS || id == SID_COUNTRYME) continue;
        const std::u16string k = key(text(0, id));
        EXPECT_LT(previous, k) << nameOf(id);
        previous = k;
    }
}

TEST(TextTables, BothRowsCarryTheSameConversions) {
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id)
        EXPECT_EQ(conversions(text(0, id)), conversions(text(1, id))) << nameOf(id);
}

TEST(TextTables, FormattedTextsHaveExactlyTheirConversions) {
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) {
        const auto found = kFormatted.find(nameOf(id));
        const std::vector<std::string> expected =
            found == kFormatted.end() ? std::vector<std::string>{} : found->second;
        for (int l = 0; l < 2; ++l) EXPECT_EQ(conversions(text(l, id)), expected) << nameOf(id) << " in language " << l;
    }
}

TEST(TextTables, TheTouchContinuePromptHasNoPercentSign) {
    for (int l = 0; l < 2; ++l) EXPECT_EQ(text(l, SID_IOS_PRESSXKEYTOCONTINUE).find(u'%'), std::u16string_view::npos);
}

TEST(TextTables, ColourMarkupIsBalanced) {
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id)
        for (int l = 0; l < 2; ++l) EXPECT_EQ(colourProblem(text(l, id)), "") << nameOf(id) << " in language " << l;
}

TEST(TextTables, ControlCharactersAreOnlyTheKnownSymbols) {
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) {
        for (int l = 0; l < 2; ++l) {
            const std::u16string_view t = text(l, id);
            for (size_t i = 0; i < t.size(); ++i) {
                const char16_t c = t[i];
                if (c >= 0x20) continue;
                const bool arrow = c >= 3 && c <= 6 && t.size() == 1 && id >= SID_DIK_UP && id <= SID_DIK_DOWN;
                const bool bullet = c == 1 && i + 1 < t.size() && t[i + 1] == u' ';
                const bool label = (c == 2 && (id == SID_CANCEL || id == SID_QUIT)) || (c == 9 && id == SID_BACK) ||
                                   (c == 10 && id == SID_NEXT);
                EXPECT_TRUE(c == 0x1E || arrow || bullet || label)
                    << nameOf(id) << " in language " << l << " has U+" << std::hex << int(c);
            }
        }
    }
}

TEST(TextTables, KeyMarkersAreEqualInBothRows) {
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) {
        const auto english = markers(text(0, id));
        EXPECT_EQ(english, markers(text(1, id))) << nameOf(id);
        for (const std::string& m : english) EXPECT_TRUE(kKnownMarkers.count(m)) << nameOf(id) << " " << m;
    }
}

TEST(TextTables, OnlyTheKeyHintsCarryMarkers) {
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) {
        const auto found = kMarked.find(nameOf(id));
        const std::vector<std::string> expected = found == kMarked.end() ? std::vector<std::string>{} : found->second;
        for (int l = 0; l < 2; ++l) EXPECT_EQ(markers(text(l, id)), expected) << nameOf(id) << " in language " << l;
    }
}

TEST(TextTables, TouchTextsCarryNoMarkers) {
    int touchTexts = 0;
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) {
        if (nameOf(id).rfind("IOS_", 0) != 0) continue;
        ++touchTexts;
        for (int l = 0; l < 2; ++l) EXPECT_EQ(text(l, id).find(u'#'), std::u16string_view::npos) << nameOf(id);
    }
    EXPECT_EQ(touchTexts, 52);
}

TEST(TextTables, EveryKeyHintHasATouchVariant) {
    for (const auto& [name, marks] : kMarked) EXPECT_TRUE(language().hasString(narrowToWide("IOS_" + name))) << name;
    for (const char* name : {"CANCEL", "CLICKTOCHANGEPLAYERS", "PRESSXKEYTOCONTINUE", "HINTVALLEYPERCENTAGES",
                             "HINTLETSGO", "HINTCOMPLETELEVEL2"})
        EXPECT_TRUE(language().hasString(narrowToWide(std::string("IOS_") + name))) << name;
}

TEST(TextTables, FixedTextsStandAsGiven) {
    for (const Fixed& f : kFixed) {
        const int32_t id = language().findStringId(narrowToWide(f.name));
        ASSERT_GE(id, 0) << f.name;
        EXPECT_EQ(text(0, id), std::u16string_view(f.english)) << f.name;
        if (f.german) {
            EXPECT_EQ(text(1, id), std::u16string_view(f.german)) << f.name;
        }
    }
}

TEST(TextTables, RecipePartCaptionsAreNumberedFromOne) {
    for (int n = 0; n < 32; ++n) {
        EXPECT_EQ(narrow(text(0, SID_RECIPEPART0 + n)), "Part " + std::to_string(n + 1));
        EXPECT_EQ(narrow(text(1, SID_RECIPEPART0 + n)), "Teil " + std::to_string(n + 1));
    }
}

TEST(TextTables, GermanIsWrittenInGerman) {
    // Only the words German shares with English, the names and the credit
    // name lines are the same in both rows.
    for (int32_t id = SID_CONFIRM; id < NUM_STRING_IDS; ++id) {
        if (text(0, id).empty()) continue;
        const std::string name = nameOf(id);
        if (sameInBothRows(name)) {
            EXPECT_EQ(text(0, id), text(1, id)) << name;
        } else {
            EXPECT_NE(text(0, id), text(1, id)) << name;
        }
    }
}

TEST(TextTables, TheCompanyAndGameNamesAreNotTranslated) {
    for (int32_t id = SID_CONFIRM; id < NUM_STRING_IDS; ++id) {
        for (int l = 0; l < 2; ++l) {
            const std::string t = narrow(text(l, id));
            if (t.find("Velmora") != std::string::npos) {
                EXPECT_NE(t.find("Velmora studios"), std::string::npos) << nameOf(id);
            }
        }
    }
}

TEST(StringIds, NamesAreUniqueAndWellFormed) {
    static const std::regex form("[A-Z0-9_]{2,26}");
    std::set<std::string> seen;
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) {
        const std::string name = nameOf(id);
        EXPECT_TRUE(std::regex_match(name, form)) << name;
        EXPECT_TRUE(seen.insert(name).second) << name;
    }
    EXPECT_EQ(seen.size(), 1174u);
}

TEST(StringIds, AnchoredNumbers) {
    // The first and last of every section: an entry added or lost shifts them.
    const std::map<std::string, int32_t> anchors = {
        {"NULL", 0},           {"PLACEHOLDER0", 8},      {"DIK_NONE", 9},        {"DIK_UNKNOWN", 10},
        {"DIK_ESCAPE", 11},    {"DIK_MEDIASELECT", 154}, {"DIK_JOYUP", 155},     {"DIK_MOUSEUP", 191},
        {"COUNTRYNONE", 199},  {"COUNTRYZW", 439},       {"CONFIRM", 440},       {"CREDITS", 689},
        {"TOTALSCORE", 787},   {"LEVELTITLE0", 837},     {"HINTENDLEVEL0", 869}, {"HINTMOVELEFTRIGHT", 901},
        {"RECIPEDOTS", 1032},  {"RECIPE0", 1070},        {"IOS_VMLEGAL1", 1112}, {"IOS_HINTLETSGO", 1158},
        {"IOS_HINTHAT", 1173},
    };
    for (const auto& [name, id] : anchors) EXPECT_EQ(language().findStringId(narrowToWide(name)), id) << name;
}

TEST(StringIds, NumberedRunsAreConsecutive) {
    auto expectRun = [](const char* stem, int32_t first, int count, int from) {
        for (int k = 0; k < count; ++k) EXPECT_EQ(nameOf(first + k), stem + std::to_string(from + k));
    };
    expectRun("DIK_JOYBUTTON", SID_DIK_JOYBUTTON0, 32, 0);
    expectRun("DIK_MOUSEBUTTON", SID_DIK_MOUSEBUTTON0, 4, 0);
    expectRun("CREDITS10B", SID_CREDITS10B1, 77, 1);
    expectRun("LEVELTITLE", SID_LEVELTITLE0, 32, 0);
    expectRun("HINTENDLEVEL", SID_HINTENDLEVEL0, 32, 0);
    expectRun("RECIPEPART", SID_RECIPEPART0, 32, 0);
    expectRun("RECIPE", SID_RECIPE0, 32, 0);
    expectRun("HINTWORKOUT", SID_HINTWORKOUT1, 6, 1);
    expectRun("IOS_HOWTOPLAYTEXT", SID_IOS_HOWTOPLAYTEXT1, 5, 1);
}

TEST(StringIds, UnnamedNumbersAreReserved) {
    int reserved = 0;
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id)
        if (isReserved(id)) {
            ++reserved;
            EXPECT_EQ(nameOf(id), "RESERVED" + std::to_string(id));
            EXPECT_GE(id, SID_CONFIRM);
        }
    EXPECT_EQ(reserved, 73);
}
