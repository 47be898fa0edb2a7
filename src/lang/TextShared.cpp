// Texts that are the same in every language.
#include "lang/Language.h"
#include "lang/TextTables.h"

#include <string_view>

void fillReservedIds(TextRow& t) {
    // Numbers that no text uses keep an empty text in every language.
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id)
        if (std::u16string_view(Language::getStringIdName(id)).starts_with(u"RESERVED")) t[id] = u"";
}

// The names in the credits: people's names read the same in every language.
void fillCreditNames(TextRow& t) {
    t[SID_CREDITS1B] = u"Ivo Marrenthal";
    t[SID_CREDITS2B1] = u"Selka Dromwell";
    t[SID_CREDITS3B] = u"Oskar Fennimore";
    t[SID_CREDITS4B] = u"Rosalind Applegarth";
    t[SID_CREDITS5B1] = u"Jannik Sollberg";
    t[SID_CREDITS5B2] = u"--";
    t[SID_CREDITS5B3] = u"--";
    t[SID_CREDITS5B4] = u"--";
    t[SID_CREDITS6B] = u"--";
    t[SID_CREDITS10B1] = u"Amrie Dunwhistle";
    t[SID_CREDITS10B2] = u"Benedikt Harrowgate";
    t[SID_CREDITS10B3] = u"Cosima Vellacott";
    t[SID_CREDITS10B4] = u"Dario Quennell";
    t[SID_CREDITS10B5] = u"Elsbeth Moorcroft";
    t[SID_CREDITS10B6] = u"Fenwick Talloway";
    t[SID_CREDITS10B7] = u"Gudrun Pellisier";
    t[SID_CREDITS10B8] = u"Hollis Brandvik";
    t[SID_CREDITS10B9] = u"Ines Corramor";
    t[SID_CREDITS10B10] = u"Jory Whitlaw";
    t[SID_CREDITS10B11] = u"Kasimir Ollendorf";
    t[SID_CREDITS10B12] = u"Linnea Farrowby";
    t[SID_CREDITS10B13] = u"Magnus Treleaven";
    t[SID_CREDITS10B14] = u"Nerys Abendroth";
    t[SID_CREDITS10B15] = u"Odile Marchbank";
    t[SID_CREDITS10B16] = u"Piet Vandergrift";
    t[SID_CREDITS10B17] = u"Quilla Hartsorne";
    t[SID_CREDITS10B18] = u"Rufus Kettleby";
    t[SID_CREDITS10B19] = u"Saskia Wendholt";
    t[SID_CREDITS10B20] = u"Tobiah Crane-Loxley";
    t[SID_CREDITS10B21] = u"Ulrike Pemberthy";
    t[SID_CREDITS10B22] = u"Valentin Ossory";
    t[SID_CREDITS10B23] = u"Wenna Caldicott";
    t[SID_CREDITS10B24] = u"Xaver Lindqvale";
    t[SID_CREDITS10B25] = u"Yvaine Stroudley";
    t[SID_CREDITS10B26] = u"Zeno Battersby";
    t[SID_CREDITS10B27] = u"Alwin Rookhaven";
    t[SID_CREDITS10B28] = u"Brisa Montclare";
    t[SID_CREDITS10B29] = u"Cyrus Feldenau";
    t[SID_CREDITS10B30] = u"Delphine Ashgrove";
    t[SID_CREDITS10B31] = u"Emrys Tanneberg";
    t[SID_CREDITS10B32] = u"Flora Quintrell";
    t[SID_CREDITS10B33] = u"Gideon Harlowmere";
    t[SID_CREDITS10B34] = u"Hedda Skarsvik";
    t[SID_CREDITS10B35] = u"Ilias Brennick";
    t[SID_CREDITS10B36] = u"Juniper Waddicombe";
    t[SID_CREDITS10B37] = u"Konstantin Ebersold";
    t[SID_CREDITS10B38] = u"Lotte Marwickham";
    t[SID_CREDITS10B39] = u"Milo Thistlewood";
    t[SID_CREDITS10B40] = u"Nadira Fairbrook";
    t[SID_CREDITS10B41] = u"Orrin Gastaldini";
    t[SID_CREDITS10B42] = u"Philippa Ruthwain";
    t[SID_CREDITS10B43] = u"Quentin Hollowmere";
    t[SID_CREDITS10B44] = u"Rhosyn Pelletier-Vane";
    t[SID_CREDITS10B45] = u"Sölve Granqvale";
    t[SID_CREDITS10B46] = u"Tamsin Quollbury";
    t[SID_CREDITS10B47] = u"Urban Wetterholm";
    t[SID_CREDITS10B48] = u"Verity Sparrowmoor";
    t[SID_CREDITS10B49] = u"Wendel Okonkwe-Marsh";
    t[SID_CREDITS10B50] = u"Ysolde Brackenridge";
    t[SID_CREDITS10B51] = u"Zilla Fernhollow";
    t[SID_CREDITS10B52] = u"Anselm Pottinger";
    t[SID_CREDITS10B53] = u"Bettany Loom";
    t[SID_CREDITS10B54] = u"Crispin Ardwell";
    t[SID_CREDITS10B55] = u"Dagny Holmeswood";
    t[SID_CREDITS10B56] = u"Eamon Reddicliffe";
    t[SID_CREDITS10B57] = u"Freya Lindenmoss";
    t[SID_CREDITS10B58] = u"Gus Plumtree";
    t[SID_CREDITS10B59] = u"Henrike Salzwedel-Ayre";
    t[SID_CREDITS10B60] = u"Idris Coldharbour";
    t[SID_CREDITS10B61] = u"Jessamy Wrenfield";
    t[SID_CREDITS10B62] = u"Kai Oberwinter";
    t[SID_CREDITS10B63] = u"Leopold Tuttlebury";
    t[SID_CREDITS10B64] = u"Maren Kittiwake";
    t[SID_CREDITS10B65] = u"Niall Stonebridge-Oy";
    t[SID_CREDITS10B66] = u"Ottilie Brambling";
    t[SID_CREDITS10B67] = u"Pascal Whinmoor";
    t[SID_CREDITS10B68] = u"Romilly Haverstock";
    t[SID_CREDITS10B69] = u"Sten Appelqvist";
    t[SID_CREDITS10B70] = u"Thea Morningside";
    t[SID_CREDITS10B71] = u"Ulf Pennyfeather";
    t[SID_CREDITS10B72] = u"Viola Crumbleton";
    t[SID_CREDITS10B73] = u"Willem Toadsworth";
    t[SID_CREDITS10B74] = u"Xenia Larkspur";
    t[SID_CREDITS10B75] = u"Yorick Hazeldene";
    t[SID_CREDITS10B76] = u"Zara Honeywick";
    t[SID_CREDITS10B77] = u"Zacharias Muddlecombe";
}
