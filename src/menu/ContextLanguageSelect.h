#pragma once
// The language page and the rules that settle the language at start-up.
//
// The engine setting "defaultLanguage" says how the loader picks the
// language before any text is shown: -2 takes the system locale's language
// (autodetectLanguage), -1 asks the user on this page, 0 or more is the
// language itself. A static "singleLanguage" of 0 or more overrides all of
// it. The loader's language step is settleDefaultLanguage; once the page it
// may push has gone, the next step calls Language::setLanguage with
// defaultLanguage. The options menu's language button asks for the page on
// the next start (requestLanguageChoice), and the engine restart brings it.
//
// The page shows one flag per available language ("languageMask": an empty
// mask makes every language available), in a grid of 100-unit cells around
// the centre; Escape does nothing, so the page ends only with a choice. The
// loader's stack deletes it when it closes.
#include <cstdint>
#include <string_view>

#include "gui/ContextMenu.h"

class ContextManager;
class Settings;

class ContextLanguageSelect : public ContextMenu {
    ZUB_DECLARE_CLASS(ContextLanguageSelect)
public:
    // The page over the engine's settings (`settings` null: those of the
    // running engine), which the chosen flag writes.
    explicit ContextLanguageSelect(Settings* settings = nullptr);
    ~ContextLanguageSelect() override;

    // The flags' choice: defaultLanguage becomes `language` and the page on
    // top of the stack (this one) closes.
    void choose(int32_t language);

    // The first available language whose ISO 639 code (its LANGUAGEISOCODE
    // text) equals the system's code exactly; 0 (English) when none does.
    // Logged under "ContextLanguageSelect::autodetectLanguage".
    static int32_t autodetectLanguage();
    static int32_t autodetectLanguage(std::u16string_view systemCode);

    // The skin of "languageFlags" that shows the flag of an ISO 639 code:
    // en fr de it es ru he el pl ro pt ja ko cs nl are skins 0 to 14. Any
    // other code is fatal.
    static int32_t isoCode2skinIndex(std::u16string_view isoCode);

    // The loader's language step. With singleLanguage 0 or more, that
    // language becomes defaultLanguage; otherwise defaultLanguage -2 becomes
    // autodetectLanguage(), and -1 pushes a new page onto `stack`, which is
    // returned: the loader waits while it is the top. Null when no page was
    // pushed.
    static ContextLanguageSelect* settleDefaultLanguage(Settings& settings, ContextManager& stack);

    // The options menu's language button: defaultLanguage -1 (ask on the next
    // start) and the engine's restart request.
    static void requestLanguageChoice(Settings& settings);

    Settings* settings;
};
