// Checks over the whole of both built-in text tables: completeness, the
// printf conversions that code formats, the markup, the key markers, the
// header rows, the identifier list, and the texts that the rest of the game
// relies on word for word.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
// libstdc++'s <regex> trips a false "may be used uninitialized" in GCC 12
// when built with the sanitizers.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
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

std::u16string_view text(int language_, int32_t id) {
    return language().texts[language_][id];
}

std::string narrow(std::u16string_view s) {
    return wideToNarrow(s);
}

std::string nameOf(int32_t id) {
    return narrow(Language::getStringIdName(id));
}

bool isReserved(int32_t id) {
    return nameOf(id).rfind("RESERVED", 0) == 0;
}

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

const std::set<std::string> kKnownMarkers = {"#LEFT#", "#RIGHT#", "#UP#", "#DOWN#", "#FIRE#", "#ALTFIRE#", "#ESC#", "#MAP#"};

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

// Texts that other parts of the game show or compare word for word.
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
    {"DIK_ESCAPE", u"Esc", u"ESC"},
    {"DIK_BACK", u"Backspace", u"RÜCKTASTE"},
    {"DIK_RETURN", u"Enter", u"EINGABE"},
    {"DIK_LCONTROL", u"Ctrl", u"STRG-L"},
    {"DIK_LSHIFT", u"Shift", u"UMSCH-L"},
    {"DIK_SPACE", u"Space", u"LEERTASTE"},
    {"DIK_LEFT", u"\u0003", u"\u0003"},
    {"DIK_RIGHT", u"\u0004", u"\u0004"},
    {"DIK_UP", u"\u0005", u"\u0005"},
    {"DIK_DOWN", u"\u0006", u"\u0006"},
    {"DIK_JOYBUTTON0", u"JOYBUTTON0", u"JOY-KNOPF0"},
    {"DIK_MOUSEBUTTON0", u"MOUSE BUTTON 0", u"MAUS-KNOPF0"},
    {"COUNTRYNONE", u"not specified", u"keine Angabe"},
    {"CONFIRM", u"Are you sure?", nullptr},
    {"OK", u"OK", u"OK"},
    {"DONE", u"Done", nullptr},
    {"BACK", u"\u0009  Back", u"\u0009 Zurück"},
    {"NEXT", u"Next  \u000A", u"Weiter \u000A"},
    {"CANCEL", u"\u0002  Cancel", u"Abbrechen"},
    {"QUIT", u"\u0002  Quit", u"\u0002 Beenden"},
    {"STARTINGDOTS", u"Starting...", nullptr},
    {"DONEDOT", u"Done.", nullptr},
    {"CLICKTOCHANGEPLAYERS", u"Click here to change players.", u"Hier klicken, um das Spielerprofil zu ändern."},
    {"HELLO", u"Hello, %s!", u"Hallo %s!"},
    {"OPTIONS", u"Options", nullptr},
    {"OPTIONSDOTS", u"Options...", nullptr},
    {"WEBSITE", u"Website", u"Website"},
    {"SHOWCLOCK", u"In-game clock", nullptr},
    {"ENUMDETAIL0", u"Low", nullptr},
    {"ENUMDETAIL1", u"High", nullptr},
    {"LETTERBOX", u"Letterbox", u"Letterbox"},
    {"VSYNC", u"V-Sync", u"V-Sync"},
    {"ENUMSOUNDQUALITY0", u"Low", nullptr},
    {"ENUMSOUNDQUALITY1", u"High", nullptr},
    {"ENUMSOUNDQUALITY2", u"Very high", nullptr},
    {"CONTROLSUP", u"Use/Carry", nullptr},
    {"CONTROLSLEFT", u"Move left", nullptr},
    {"CONTROLSRIGHT", u"Move right", nullptr},
    {"CONTROLSFIRE", u"Jump", nullptr},
    {"CONTROLSALTFIRE", u"Show statistics", nullptr},
    {"CONTROLSMAP", u"Show level map", nullptr},
    {"DEVICE_JOYSTICK", u"Joystick", u"Joystick"},
    {"DEVICE_GAMEPAD", u"Gamepad", u"Gamepad"},
    {"DEVICE_TOUCHSCREEN", u"Touchscreen", u"Touchscreen"},
    {"CHANGELANGUAGETEXT", u"Please restart the game|and select your new language.",
     u"Bitte starte das Spiel noch einmal|und wähle dann die neue Sprache aus."},
    {"FPSTESTRESULT", u"Average frames per second: %.1lf", u"Framerate: %.1lf"},
    {"FPSTESTFAIL2", u"You need at least %.0lf frames per second.", u"Es ist mindestens eine Framerate von %.0lf nötig."},
    {"HIGHSCOREOPTIONSDOTS", u"More options...", nullptr},
    {"FAILEDWITHCODE", u"Failed with status code: %d", u"Folgender Fehler wurde gemeldet: %d"},
    {"ERRORREPORTUPLOADING", u"Uploading error data (%s bytes).", u"Fehlerbericht wird hochgeladen (%s Bytes)."},
    {"ERRORSERVERISFULL", u"Server is full.", nullptr},
    {"ERRORINCOMPATIBLEGAME", u"Incompatible game.", nullptr},
    {"ERRORMINVERSIONCLIENT", u"You need at least version %s of the game (you have %.2lf).",
     u"Du benötigst wenigstens Version %s des Spiels (du hast momentan Version %.2lf installiert)."},
    {"ERRORMINVERSIONSERVER", u"Server must be at least version %s of the game (it's %.2lf).",
     u"Auf dem Server muss wenigstens Version %s des Spiels laufen (es läuft Version %.2lf)."},
    {"CONNECTEDTO", u"Connected to %s", u"Verbindung mit %s hergestellt"},
    {"DISCONNECTEDFROM", u"Disconnected from %s", u"Verbindung mit %s wurde getrennt"},
    {"QUITGAMEOVER", u"Game over.", u"Game over."},
    {"PLAYERJOINED", u"Player '%s' joined.", u"Spieler '%s' ist dazugekommen."},
    {"PLAYERLEFT", u"Player '%s' has left the game.", u"Spieler '%s' hat das Spiel verlassen."},
    {"VELMORASTUDIOS", u"Velmora studios", u"Velmora studios"},
    {"TUMBRO", u"Tumbro", u"Tumbro"},
    {"CREDITS", u"Credits", u"Credits"},
    {"CREDITS2A", u"Music", nullptr},
    {"CREDITS3A", u"Logistics", nullptr},
    {"CREDITS4A", u"Chef", nullptr},
    {"CREDITS5A", u"Localization", nullptr},
    {"CREDITS6A", u"Special Thanks", nullptr},
    {"CREDITS10A", u"Quality Assurance", nullptr},
    {"CREDITS5B2", u"--", u"--"},
    {"CREDITS5B3", u"--", u"--"},
    {"CREDITS5B4", u"--", u"--"},
    {"CREDITS6B", u"--", u"--"},
    {"WELCOME", u"Welcome to Vorur Arudad!", nullptr},
    {"TOTALSCORE", u"%s points (%s)", u"%s Punkte (%s)"},
    {"SEASON3", u"Winter", u"Winter"},
    {"HINTVALLEYPERCENTAGESTITLE", u"Percentages", nullptr},
    {"HINTVALLEYBESTTITLE", u"Achieving 100%", nullptr},
    {"HINTPARTIMETITLE", u"Par Time", nullptr},
    {"HINTVALLEYBONUSTITLE", u"Sugar Rush", nullptr},
    {"HINTVALLEYRECIPETITLE", u"Secret Recipe", nullptr},
    {"HINTVALLEYSEASONTITLE", u"Season Complete!", nullptr},
    {"HINTALLCOMPLETETITLE", u"100% Complete!", nullptr},
    {"HINTALLCOMPLETE", u"You're a super-pig!", nullptr},
    {"LEVELX", u"Level %d", u"Level %d"},
    {"GO", u"GO!", nullptr},
    {"LEVELCOMPLETE", u"Level complete!", nullptr},
    {"OUTOFTIME", u"Time's up!", nullptr},
    {"SECRETAREA", u"Secret area!", nullptr},
    {"PAUSED", u"Paused", nullptr},
    {"RESUME", u"Resume game", nullptr},
    {"RESUMEHINT", u"Continue playing", nullptr},
    {"RESTART", u"Restart level", nullptr},
    {"RESTARTHINT", u"Start level from the beginning (your progress will be lost!)", nullptr},
    {"QUITGAME", u"End level", nullptr},
    {"QUITGAMEHINT", u"Abort level and return to map (your progress will be lost!)", nullptr},
    {"ONEMOREAPPLE", u"Just one more apple!", nullptr},
    {"XMOREAPPLES", u"You need %d more apples!", u"Dir fehlen noch %d Äpfel!"},
    {"STATISTICS", u"Statistics", nullptr},
    {"PRESSXKEYTOCONTINUE", u"Press %s to continue", u"Bitte %s drücken, um fortzufahren"},
    {"STATSAPPLESREQUIRED", u"Apples", nullptr},
    {"STATSAPPLESBONUS", u"Bonus apples", nullptr},
    {"STATSSWEETS", u"Sweets", nullptr},
    {"STATSSECRETS", u"Secrets", nullptr},
    {"STATSDEATHS", u"Lives lost", nullptr},
    {"STATSTIME", u"Time", nullptr},
    {"STATSTOTAL", u"Total", nullptr},
    {"NEWRECORD", u"NEW RECORD!", nullptr},
    {"PERFECT", u"PERFECT!", nullptr},
    {"HINTENDLEVEL30", u"", u""},
    {"HINTENDLEVEL31", u"", u""},
    {"HINTMOVELEFTRIGHT", u"Press #LEFT# and #RIGHT# to walk around", u"Mit #LEFT# und #RIGHT# läufst du herum"},
    {"HINTESC", u"#ESC# pauses the game and displays the menu", u"#ESC# pausiert das Spiel und öffnet das Menü"},
    {"HINTJUMP", u"Press #FIRE# to jump over obstacles", nullptr},
    {"HINTSIGN", u"To read notes, stand in front of them and press #UP#", nullptr},
    {"HINTSWITCH", u"Press #UP# to operate switches", nullptr},
    {"HINTLADDER", u"Press #FIRE# repeatedly on ladders to climb them", nullptr},
    {"HINTSTATS", u"Press #ALTFIRE# at any time to view your level statistics",
     u"Mit #ALTFIRE# kannst du jederzeit deine Levelstatistiken überprüfen"},
    {"HINTCOMPASSCARRY", u"Press #UP# to carry the compass with you", nullptr},
    {"HINTCOMPASSDROP", u"Press #UP# again to drop any carried item", nullptr},
    {"HINTTELESCOPE", u"Press #UP# to look through the telescope", nullptr},
    {"HINTBASKET1B", u"Press #UP# to pick up the basket", nullptr},
    {"HINTMAP", u"Press #MAP# at any time to view a map of the current level.", nullptr},
    {"HINTBUTTON", u"Press #UP# to operate buttons", nullptr},
    {"HINTBASKET4", u"This basket will hold... erm... a \u001E{ff0000}LOT\u001E{000001} of apples!",
     u"In diesen Korb passen... öhm... sehr \u001E{ff0000}VIELE\u001E{000001} Äpfel!"},
    {"HINTBRRR", u"Brrrr...!", u"Brrrr...!"},
    {"HINTCOLDWATER", u"Ah! Cold! \u001E{0000ff}COLD!\u001E{000001}", u"Oh! Kalt! \u001E{0000ff}KALT!\u001E{000001}"},
    {"RECIPELOCKED2", u"To unlock it, finish the level \"%s\" with 100%%.",
     u"Um ihn freizuschalten, musst du das Level \"%s\" mit 100%% abschließen."},
    {"IOS_CLICKTOCHANGEPLAYERS", u"Tap here to change players.", u"Tippe HIER, um das Profil zu wechseln."},
    {"IOS_PRESSXKEYTOCONTINUE", u"Tap to continue", u"Tippe, um fortzufahren."},
    {"IOS_SUPPORT", u"Support", u"Support"},
    {"IOS_GAMECENTER", u"Game Center", u"Game Center"},
    {"IOS_HOWTOPLAY", u"How To Play", nullptr},
    {"IOS_TOOFARAWAY", u"TOO FAR AWAY", u"ZU WEIT WEG"},
    {"IOS_HINTLETSGO", u"", u""},
};

// Entries whose German text is the English one.
bool sameInBothRows(const std::string& name) {
    static const std::set<std::string> same = {
        "OK", "WEBSITE", "LETTERBOX", "VSYNC", "DEVICE_JOYSTICK", "DEVICE_GAMEPAD", "DEVICE_TOUCHSCREEN",
        "QUITGAMEOVER", "CREDITS", "SEASON3", "LEVELX", "HINTBRRR", "IOS_SUPPORT", "IOS_GAMECENTER",
        "LEVELTITLE18", "TUMBRO", "VELMORASTUDIOS"};
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

TEST(TextTables, HeaderRows) {
    EXPECT_EQ(text(0, 1), u"English");
    EXPECT_EQ(text(1, 1), u"Deutsch");
    EXPECT_EQ(text(0, 2), u"en");
    EXPECT_EQ(text(1, 2), u"de");
    EXPECT_EQ(text(0, 3), u"1252");
    EXPECT_EQ(text(1, 3), u"1252");
    EXPECT_EQ(text(0, 4), u"LTR");
    EXPECT_EQ(text(1, 4), u"LTR");
    EXPECT_EQ(text(0, 5), u"Yes");
    EXPECT_EQ(text(1, 5), u"Yes");
    EXPECT_EQ(text(0, 6), u",");
    EXPECT_EQ(text(1, 6), u" ");
    EXPECT_EQ(text(0, 7), u".");
    EXPECT_EQ(text(1, 7), u",");
    EXPECT_EQ(text(0, 8), u" ");
    EXPECT_EQ(text(1, 8), u"");
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
    EXPECT_EQ(text(0, SID_COUNTRYDE), u"Germany");
    EXPECT_EQ(text(1, SID_COUNTRYDE), u"Deutschland");
    EXPECT_EQ(text(0, SID_COUNTRYGB), u"United Kingdom");
    EXPECT_EQ(text(1, SID_COUNTRYUS), u"Vereinigte Staaten");
    EXPECT_EQ(text(0, SID_COUNTRYAF), u"Afghanistan");
    EXPECT_EQ(text(0, SID_COUNTRYZW), u"Zimbabwe");
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
        const std::vector<std::string> expected = found == kFormatted.end() ? std::vector<std::string>{} : found->second;
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
    for (const char* name : {"CANCEL", "CLICKTOCHANGEPLAYERS", "PRESSXKEYTOCONTINUE", "HINTVALLEYPERCENTAGES", "HINTLETSGO",
                             "HINTCOMPLETELEVEL2"})
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
    const std::map<std::string, int32_t> anchors = {
        {"NULL", 0},
        {"PLACEHOLDER0", 8},
        {"DIK_NONE", 9},
        {"DIK_UNKNOWN", 10},
        {"DIK_ESCAPE", 11},
        {"DIK_MEDIASELECT", 154},
        {"DIK_JOYUP", 155},
        {"DIK_JOYBUTTON0", 159},
        {"DIK_JOYBUTTON31", 190},
        {"DIK_MOUSEUP", 191},
        {"DIK_MOUSEBUTTON3", 198},
        {"COUNTRYNONE", 199},
        {"COUNTRYAF", 200},
        {"COUNTRYDE", 281},
        {"COUNTRYGB", 423},
        {"COUNTRYUS", 424},
        {"COUNTRYZW", 439},
        {"CONFIRM", 440},
        {"BACK", 448},
        {"NEXT", 449},
        {"CANCEL", 450},
        {"QUIT", 453},
        {"CLICKTOCHANGEPLAYERS", 465},
        {"HELLO", 467},
        {"CHANGELANGUAGETEXT", 537},
        {"FPSTESTRESULT", 551},
        {"FPSTESTFAIL2", 553},
        {"FAILEDWITHCODE", 569},
        {"ERRORREPORTUPLOADING", 585},
        {"ERRORSERVERISFULL", 587},
        {"ERRORINCOMPATIBLEGAME", 588},
        {"ERRORMINVERSIONCLIENT", 589},
        {"ERRORMINVERSIONSERVER", 590},
        {"CONNECTEDTO", 591},
        {"DISCONNECTEDFROM", 592},
        {"PLAYERJOINED", 599},
        {"PLAYERLEFT", 600},
        {"TUMBRO", 687},
        {"CREDITS", 689},
        {"CREDITS5B1", 701},
        {"CREDITS5B4", 704},
        {"CREDITS10B1", 708},
        {"CREDITS10B77", 784},
        {"TOTALSCORE", 787},
        {"SEASON0", 788},
        {"SEASON3", 791},
        {"LEVELX", 810},
        {"SECRETAREA", 814},
        {"ONEMOREAPPLE", 822},
        {"XMOREAPPLES", 823},
        {"PRESSXKEYTOCONTINUE", 825},
        {"LEVELTITLE0", 837},
        {"LEVELTITLE31", 868},
        {"HINTENDLEVEL0", 869},
        {"HINTENDLEVEL30", 899},
        {"HINTENDLEVEL31", 900},
        {"HINTMOVELEFTRIGHT", 901},
        {"HINTSTATS", 924},
        {"HINTBASKET4", 982},
        {"HINTCOLDWATER", 1009},
        {"HINTWORKOUT1", 1012},
        {"HINTWORKOUT6", 1017},
        {"HINTCASTCHICKEN2", 1031},
        {"RECIPEDOTS", 1032},
        {"RECIPELOCKED2", 1037},
        {"RECIPEPART0", 1038},
        {"RECIPEPART31", 1069},
        {"RECIPE0", 1070},
        {"RECIPE31", 1101},
        {"IOS_VMLEGAL1", 1112},
        {"IOS_CLICKTOCHANGEPLAYERS", 1118},
        {"IOS_PRESSXKEYTOCONTINUE", 1119},
        {"IOS_HOWTOPLAYTEXT1", 1149},
        {"IOS_HOWTOPLAYTEXT5", 1153},
        {"IOS_TOOFARAWAY", 1155},
        {"IOS_HINTLETSGO", 1158},
        {"IOS_HINTHAT", 1173},
    };
    for (const auto& [name, id] : anchors) EXPECT_EQ(language().findStringId(narrowToWide(name)), id) << name;
    EXPECT_EQ(SID_CONFIRM, 440);
    EXPECT_EQ(SID_LEVELTITLE0, 837);
    EXPECT_EQ(SID_IOS_TOOFARAWAY, 1155);
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
