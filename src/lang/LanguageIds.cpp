// The registration of the 1174 string identifiers.
#include "lang/Language.h"

namespace {

// The names in number order; entry n is the name of identifier n.
const char16_t* const kStringIdNames[NUM_STRING_IDS] = {
#define STRING_ID(name, id) u"" #name,
#include "lang/StringIdList.inc"
#undef STRING_ID
};

// The list is written with its numbers; they must count up from 0 without gaps.
constexpr bool idsAreConsecutive() {
    int32_t expected = 0;
#define STRING_ID(name, id) \
    if ((id) != expected++) return false;
#include "lang/StringIdList.inc"
#undef STRING_ID
    return expected == NUM_STRING_IDS;
}
static_assert(idsAreConsecutive(), "string identifiers must be numbered 0, 1, 2, ... in list order");

}  // namespace

const char16_t* Language::getStringIdName(int32_t id) {
    if (static_cast<uint32_t>(id) >= static_cast<uint32_t>(NUM_STRING_IDS)) return nullptr;
    return kStringIdNames[id];
}

void Language::registerStringIds() {
    stringIds.reserve(NUM_STRING_IDS);
    // One insertion per identifier, in number order; names are unique, so
    // every insertion adds an entry.
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) stringIds.emplace(WString(kStringIdNames[id]), id);
}
