#include "lang/Language.h"

#include "lang/TextTables.h"
#include "sys/ErrorManager.h"

Language::Language() { build(nullptr); }

Language::Language(const FillHook& afterFill) { build(afterFill ? &afterFill : nullptr); }

void Language::build(const FillHook* afterFill) {
    currentLanguage = -1;
    bRightToLeft = 0;
    for (auto& row : texts)
        for (auto& entry : row) entry = nullptr;

    registerStringIds();
    fillEnglish();
    fillGerman();
    if (afterFill) (*afterFill)(texts);
    checkTables();
}

void Language::fillEnglish() {
    TextRow& row = texts[ENGLISH];
    fillEnglishBase(row);
    fillEnglishMenus(row);
    fillEnglishLevels(row);
    fillEnglishRecipe(row);
    fillReservedIds(row);
}

void Language::fillGerman() {
    TextRow& row = texts[GERMAN];
    fillGermanBase(row);
    fillGermanMenus(row);
    fillGermanLevels(row);
    fillGermanRecipe(row);
    fillReservedIds(row);
}

void Language::checkTables() const {
    for (int32_t language = 0; language < NUM_LANGUAGES; ++language) {
        for (int32_t id = 0; id < NUM_STRINGS; ++id) {
            if (texts[language][id] == nullptr) {
                // The English text names the entry; when it is the missing one
                // the formatter prints "(null)" in its place.
                ZUB_ERROR(u"String %d ('%s') is missing from language %d.", id, texts[ENGLISH][id], language);
            }
        }
    }
}

const char16_t* Language::getTextIn(int32_t language, int32_t id) const {
    if (static_cast<uint32_t>(language) >= static_cast<uint32_t>(NUM_LANGUAGES)) return u"";
    if (static_cast<uint32_t>(id) >= static_cast<uint32_t>(NUM_STRINGS)) return u"";
    return texts[language][id];
}

int32_t Language::findStringId(std::u16string_view name) const {
    const auto found = stringIds.find(name);
    return found == stringIds.end() ? -1 : found->second;
}

bool Language::hasString(std::u16string_view name) const { return stringIds.find(name) != stringIds.end(); }

const char16_t* Language::getTextByString(std::u16string_view name, bool fatalIfMissing) const {
    const int32_t id = findStringId(name);
    if (id >= 0) return getText(id);
    if (fatalIfMissing) ZUB_ERROR(u"Unknown string identifier '%s'", name);
    return u"";
}

bool Language::isLanguageAvailable(int32_t index) const {
    if (languageMask.empty()) return true;
    const uint32_t i = static_cast<uint32_t>(index);
    if (i >= languageMask.size()) return false;
    return languageMask[i] == u'1';
}

void Language::setLanguage(int32_t index) {
    currentLanguage = index;
    if (index < 0 || index >= NUM_LANGUAGES || !isLanguageAvailable(index)) currentLanguage = ENGLISH;

    bRightToLeft = 0;
    if (std::u16string_view(texts[currentLanguage][SID_LANGUAGEREADINGORDER]) == u"RTL") bRightToLeft = 1;

    refreshKeyNames();
}
