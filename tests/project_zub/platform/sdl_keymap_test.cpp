// The translation of SDL scancodes into the game's keyboard codes.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "platform/KeyCodes.h"
#include "platform/sdl/SdlKeyMap.h"

using namespace platform;

namespace {

TEST(SdlKeyMap, KeysOfTheDefaultBindingsAndMenus) {
    struct Expect {
        SDL_Scancode scancode;
        int code;
    };
    const Expect expected[] = {
        {SDL_SCANCODE_LEFT, 203},   {SDL_SCANCODE_RIGHT, 205},  {SDL_SCANCODE_UP, 200},
        {SDL_SCANCODE_DOWN, 208},   {SDL_SCANCODE_X, 45},       {SDL_SCANCODE_SPACE, 57},
        {SDL_SCANCODE_RETURN, 28},  {SDL_SCANCODE_M, 50},       {SDL_SCANCODE_ESCAPE, 1},
        {SDL_SCANCODE_F10, 68},     {SDL_SCANCODE_F11, 87},     {SDL_SCANCODE_PAUSE, 197},
        {SDL_SCANCODE_DELETE, 211}, {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_LSHIFT, 42},
        {SDL_SCANCODE_RSHIFT, 54},  {SDL_SCANCODE_LCTRL, 29},   {SDL_SCANCODE_RCTRL, 157},
        {SDL_SCANCODE_LALT, 56},    {SDL_SCANCODE_RALT, 184},   {SDL_SCANCODE_BACKSPACE, 14},
        {SDL_SCANCODE_TAB, 15},     {SDL_SCANCODE_R, 19},       {SDL_SCANCODE_S, 31},
        {SDL_SCANCODE_F, 33},       {SDL_SCANCODE_G, 34},       {SDL_SCANCODE_H, 35},
        {SDL_SCANCODE_Z, 44},       {SDL_SCANCODE_V, 47},       {SDL_SCANCODE_B, 48},
        {SDL_SCANCODE_COMMA, 51},   {SDL_SCANCODE_PERIOD, 52},  {SDL_SCANCODE_F1, 59},
        {SDL_SCANCODE_F2, 60},      {SDL_SCANCODE_F3, 61},      {SDL_SCANCODE_F9, 67},
    };
    for (const Expect& e : expected)
        EXPECT_EQ(keyCodeFromScancode(e.scancode), e.code) << SDL_GetScancodeName(e.scancode);
}

TEST(SdlKeyMap, LettersDigitsAndFunctionKeys) {
    // A to Z by their positions on the keyboard.
    const int letters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                             49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_A + i), letters[i]) << char('A' + i);
    // 1 to 9, then 0.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_1 + i), KEY_1 + i);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F1 + i), KEY_F1 + i);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F12), KEY_F12);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F13), KEY_F13);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F14), KEY_F14);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F15), KEY_F15);
}

TEST(SdlKeyMap, NumericKeypadAndNavigationBlock) {
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_0), KEY_NUMPAD0);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_1), KEY_NUMPAD1);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_5), KEY_NUMPAD5);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_9), KEY_NUMPAD9);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_DIVIDE), KEY_DIVIDE);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_MULTIPLY), KEY_MULTIPLY);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_MINUS), KEY_SUBTRACT);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_PLUS), KEY_ADD);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_PERIOD), KEY_DECIMAL);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_NUMLOCKCLEAR), KEY_NUMLOCK);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_CAPSLOCK), KEY_CAPITAL);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_SCROLLLOCK), KEY_SCROLL);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_PRINTSCREEN), KEY_SYSRQ);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_INSERT), KEY_INSERT);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_HOME), KEY_HOME);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_END), KEY_END);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_PAGEUP), KEY_PRIOR);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_PAGEDOWN), KEY_NEXT);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_LGUI), KEY_LWIN);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_RGUI), KEY_RWIN);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_APPLICATION), KEY_APPS);
    // Punctuation by its place on a US keyboard.
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_GRAVE), 41);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_MINUS), 12);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_EQUALS), 13);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_LEFTBRACKET), 26);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_RIGHTBRACKET), 27);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_BACKSLASH), 43);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_SEMICOLON), 39);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_APOSTROPHE), 40);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_SLASH), 53);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_NONUSBACKSLASH), KEY_OEM_102);
}

TEST(SdlKeyMap, UnknownScancodesGiveZero) {
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_F16), 0);
    EXPECT_EQ(keyCodeFromScancode(SDL_SCANCODE_KP_HEXADECIMAL), 0);
    EXPECT_EQ(keyCodeFromScancode(-1), 0);
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
    const std::set<int> unreachable = {KEY_AT, KEY_COLON, KEY_UNDERLINE, KEY_STOP,
                                       KEY_AX, KEY_UNLABELED, KEY_WAKE};
    for (int code : named) EXPECT_EQ(reached.count(code) == 0, unreachable.count(code) == 1) << code;
}

TEST(KeyCodes, NamedKeysAndTableLayout) {
    EXPECT_EQ(NAMED_KEY_COUNT, 144);
    EXPECT_TRUE(std::is_sorted(std::begin(NAMED_KEYS), std::end(NAMED_KEYS)));
    EXPECT_EQ(std::adjacent_find(std::begin(NAMED_KEYS), std::end(NAMED_KEYS)), std::end(NAMED_KEYS));
    std::set<int> named(std::begin(NAMED_KEYS), std::end(NAMED_KEYS));
    for (int code : {1, 28, 87, 100, 156, 197, 200, 211, 237}) EXPECT_TRUE(named.count(code)) << code;
    for (int code : {0, 84, 85, 89, 99, 238, 255}) EXPECT_FALSE(named.count(code)) << code;
    EXPECT_EQ(NAMED_KEYS[0], KEY_ESCAPE);
    EXPECT_EQ(NAMED_KEYS[NAMED_KEY_COUNT - 1], KEY_MEDIASELECT);

    EXPECT_EQ(INPUT_CODES, 456);
    EXPECT_EQ(JOY_BASE(0), 256);
    EXPECT_EQ(JOY_BASE(1), 304);
    EXPECT_EQ(JOY_BASE(2), 352);
    EXPECT_EQ(JOY_BASE(3), 400);
    EXPECT_EQ(JOY_BASE(1) + JOY_RIGHT, 307);
    EXPECT_EQ(JOY_BUTTON(0, 0), 272);
    EXPECT_EQ(JOY_BUTTON(0, 1), 273);
    EXPECT_EQ(JOY_BUTTON(3, 31), 447);
    EXPECT_EQ(MOUSE_UP, 448);
    EXPECT_EQ(MOUSE_RIGHT, 451);
    EXPECT_EQ(MOUSE_BUTTON(0), 452);
    EXPECT_EQ(MOUSE_BUTTON(3), 455);
}

}  // namespace
