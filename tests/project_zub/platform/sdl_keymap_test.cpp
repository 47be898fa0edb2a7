// The translation of SDL scancodes into the game's keyboard codes.
#include <SDL.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "platform/sdl/SdlKeyMap.h"
#include "util/KeyCodes.h"

using namespace platform;
using namespace input_codes;

namespace {

TEST(SdlKeyMap, KeysOfTheDefaultBindingsAndMenus) {
    struct Expect {
        SDL_Scancode scancode;
        int code;
    };
    // Letters are checked by position below.
    const Expect expected[] = {
        {SDL_SCANCODE_LEFT, 203},   {SDL_SCANCODE_RIGHT, 205},    {SDL_SCANCODE_UP, 200},
        {SDL_SCANCODE_DOWN, 208},   {SDL_SCANCODE_SPACE, 57},     {SDL_SCANCODE_RETURN, 28},
        {SDL_SCANCODE_ESCAPE, 1},   {SDL_SCANCODE_F11, 87},       {SDL_SCANCODE_PAUSE, 197},
        {SDL_SCANCODE_DELETE, 211}, {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_LSHIFT, 42},
        {SDL_SCANCODE_RSHIFT, 54},  {SDL_SCANCODE_LCTRL, 29},     {SDL_SCANCODE_RCTRL, 157},
        {SDL_SCANCODE_LALT, 56},    {SDL_SCANCODE_RALT, 184},     {SDL_SCANCODE_BACKSPACE, 14},
        {SDL_SCANCODE_TAB, 15},     {SDL_SCANCODE_COMMA, 51},     {SDL_SCANCODE_PERIOD, 52},
        {SDL_SCANCODE_F1, 59},      {SDL_SCANCODE_F10, 68},
    };
    for (const Expect& e : expected)
        EXPECT_EQ(keyCodeFromScancode(e.scancode), e.code) << SDL_GetScancodeName(e.scancode);
}

TEST(SdlKeyMap, LettersDigitsAndFunctionKeys) {
    // A to Z by their positions on the keyboard.
    const int letters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                             49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
    for (int i = 0; i < 26; ++i) EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_A + i), letters[i]) << char('A' + i);
    // 1 to 9, then 0.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_1 + i), KEY_1 + i);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F1 + i), KEY_F1 + i);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_0), KEY_NUMPAD0);
    EXPECT_EQ(keyCodeFromScancode(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(keyCodeFromScancode(100000), 0);
}

TEST(SdlKeyMap, OneScancodePerKeyButTheKnownAliases) {
    std::map<int, std::vector<int>> byCode;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s)
        if (int code = keyCodeFromScancode(s)) byCode[code].push_back(s);
    const std::map<int, std::vector<int>> aliases = {
        {KEY_BACKSLASH, {SDL_SCANCODE_BACKSLASH, SDL_SCANCODE_NONUSHASH}},
        {KEY_MUTE, {SDL_SCANCODE_MUTE, SDL_SCANCODE_AUDIOMUTE}},
    };
    for (const auto& [code, scancodes] : byCode) {
        if (scancodes.size() == 1) continue;
        auto alias = aliases.find(code);
        ASSERT_NE(alias, aliases.end()) << "code " << code << " has " << scancodes.size() << " scancodes";
        EXPECT_EQ(scancodes, alias->second);
    }
}

TEST(SdlKeyMap, EveryTargetIsANamedKeyAndNearlyAllNamedKeysAreReachable) {
    std::set<int> named(std::begin(NAMED_KEYS), std::end(NAMED_KEYS));
    std::set<int> reached;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        int code = keyCodeFromScancode(s);
        if (!code) continue;
        EXPECT_TRUE(named.count(code)) << SDL_GetScancodeName(static_cast<SDL_Scancode>(s)) << " -> " << code;
        reached.insert(code);
    }
    // Keys of keyboards that SDL has no scancode for.
    const std::set<int> unreachable = {KEY_AT, KEY_COLON, KEY_UNDERLINE, KEY_STOP, KEY_AX, KEY_UNLABELED, KEY_WAKE};
    for (int code : named) EXPECT_EQ(reached.count(code) == 0, unreachable.count(code) == 1) << code;
}

}  // namespace
