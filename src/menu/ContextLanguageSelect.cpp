#include "menu/ContextLanguageSelect.h"

#include <array>

#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "engine/ZubMain.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "menu/LanguageFlag.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Settings.h"
#include "sys/SystemInfo.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextLanguageSelect, ContextMenu, u"ContextLanguageSelect")

namespace {

// The pictures of "languageFlags", in skin order.
constexpr std::array<std::u16string_view, 15> kFlagIsoCodes = {
    u"en", u"fr", u"de", u"it", u"es", u"ru", u"he", u"el", u"pl", u"ro", u"pt", u"ja", u"ko", u"cs", u"nl",
};

void logDetection(std::u16string_view message) {
    Logger::get().log(u"%s(): %s", "ContextLanguageSelect::autodetectLanguage", message);
}

bool isAvailable(const Language* language, int32_t index) {
    return language ? language->isLanguageAvailable(index) : true;
}

const char16_t* isoCodeOf(const Language* language, int32_t index) {
    return language ? language->getTextIn(index, SID_LANGUAGEISOCODE) : u"";
}

int32_t countAvailable(const Language* language) {
    int32_t n = 0;
    for (int32_t i = 0; i < Language::NUM_LANGUAGES; ++i) n += isAvailable(language, i) ? 1 : 0;
    return n;
}

}  // namespace

ContextLanguageSelect::ContextLanguageSelect(Settings* s) : settings(s) {
    if (!settings && ZUB) settings = ZUB->settings.get();
    ZUB_ASSERT(settings != nullptr);
    bDeleteWhenDone = 1;
    bEscapeCloses = 0;
    bHideFrameRate = 1;
    clearColor = 0xFF001030u;

    const Language* language = gui::language();
    for (int32_t i = 0; i < Language::NUM_LANGUAGES; ++i) {
        if (!isAvailable(language, i)) continue;
        addItem(new LanguageFlag(i, isoCode2skinIndex(isoCodeOf(language, i))));
    }

    // Cells of 100 units around the centre, row by row from the top; one
    // column up to three flags, then one more per four.
    const int n = countChildren();
    const int cols = 100 * n / 400 + 1;
    const int rows = (n + cols - 1) / cols;
    const int x0 = (100 * cols - 100) / 2;
    int y = (100 * rows - 100) / 2;
    int c = 0;
    for (LanguageFlag* flag : childrenOf<LanguageFlag>(this)) {
        flag->setPosition(static_cast<float>(100 * c - x0), static_cast<float>(y), 0.0f);
        if (++c == cols) {
            c = 0;
            y -= 100;
        }
    }

    // The pointer starts near the lower right corner, away from the flags.
    if (ZubInput* in = ZubInput::active()) {
        const ZubGraphics* g = ZubGraphics::active();
        const float w = static_cast<float>(g ? g->referenceWidth : REFERENCE_WIDTH);
        const float h = static_cast<float>(g ? g->referenceHeight : REFERENCE_HEIGHT);
        in->setMousePosition(0.9f * w, 0.1f * h, 0.0f);
        updateMousePosition();
    }
}

ContextLanguageSelect::~ContextLanguageSelect() = default;

void ContextLanguageSelect::choose(int32_t language) {
    settings->setDefaultLanguage(language);
    if (Context* top = gui::topContext(this)) top->done = 1;
}

int32_t ContextLanguageSelect::autodetectLanguage() { return autodetectLanguage(getSystemLanguageIsoCode()); }

int32_t ContextLanguageSelect::autodetectLanguage(std::u16string_view systemCode) {
    logDetection(formatString(u"Trying to autodetect system language '%s'...", escapeForLog(systemCode)));
    const Language* language = gui::language();
    for (int32_t i = 0; i < Language::NUM_LANGUAGES; ++i) {
        if (isAvailable(language, i) && systemCode == isoCodeOf(language, i)) {
            logDetection(u"Found match.");
            return i;
        }
    }
    logDetection(u"Not found.");
    return 0;
}

int32_t ContextLanguageSelect::isoCode2skinIndex(std::u16string_view isoCode) {
    for (size_t i = 0; i < kFlagIsoCodes.size(); ++i)
        if (kFlagIsoCodes[i] == isoCode) return static_cast<int32_t>(i);
    ZUB_ERROR(u"Could not find flag for ISO code '%s'", isoCode);
}

ContextLanguageSelect* ContextLanguageSelect::settleDefaultLanguage(Settings& settings, ContextManager& stack) {
    if (settings.singleLanguage >= 0) {
        settings.setDefaultLanguage(settings.singleLanguage);
        return nullptr;
    }
    const int32_t chosen = settings.getDefaultLanguage();
    // A mask that leaves no language would give a page without flags, which
    // could never be left: the language is then detected instead (English).
    if (chosen == -2 || (chosen == -1 && countAvailable(gui::language()) == 0)) {
        settings.setDefaultLanguage(autodetectLanguage());
        return nullptr;
    }
    if (chosen != -1) return nullptr;
    auto* page = new ContextLanguageSelect(&settings);
    stack.pushContext(page);
    return page;
}

void ContextLanguageSelect::requestLanguageChoice(Settings& settings) {
    settings.setDefaultLanguage(-1);
    restartRequested = true;
}
