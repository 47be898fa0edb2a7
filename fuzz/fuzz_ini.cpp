// Arbitrary bytes as ini text: parsing never fails, every key that the file
// lists can be read, and writing the content and reading it back gives the
// same sections, keys, values and text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sys/ErrorManager.h"
#include "sys/MemoryIniFile.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkSameContent(const MemoryIniFile& a, const MemoryIniFile& b) {
    const std::vector<WString> sections = a.getSectionNames();
    check(sections == b.getSectionNames());
    for (const WString& section : sections) {
        check(a.hasSection(section) && b.hasSection(section));
        const std::vector<WString> keys = a.getKeys(section);
        check(keys == b.getKeys(section));
        for (const WString& key : keys) {
            check(a.hasKey(section, key) && b.hasKey(section, key));
            const WString& value = a.getString(section, key);
            check(value == b.getString(section, key));
            check(a.getBool(section, key) == (!value.empty() && value.front() == u'Y'));
            (void)a.getInt(section, key);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ErrorManager::bTestMode = true;
    const MemoryIniFile ini(data, size);

    const std::string text = ini.toText();
    const MemoryIniFile again(text);
    checkSameContent(ini, again);
    check(again.toText() == text);

    // Changing a value through the setters keeps the file readable.
    MemoryIniFile edited(text);
    for (const WString& section : ini.getSectionNames()) {
        if (!MemoryIniFile::isValidSectionName(section)) continue;
        for (const WString& key : ini.getKeys(section)) {
            if (!MemoryIniFile::isValidKeyName(key)) continue;
            edited.setString(section, key, ini.getString(section, key) + u" \r\n=x");
            break;
        }
    }
    edited.setInt(u"Fuzz", u"count", static_cast<int>(size));
    const MemoryIniFile editedAgain(edited.toText());
    checkSameContent(edited, editedAgain);
    check(editedAgain.getInt(u"Fuzz", u"count") == static_cast<int>(size));
    return 0;
}
