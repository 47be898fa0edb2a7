#pragma once
// The engine's input codes, as the game sees keys, controllers and the
// mouse. Keyboard keys keep the DirectInput scan codes (1 Escape ... 237
// Media Select), because saved control bindings store them; the codes from
// 256 up number the controllers and the mouse. Together they index the input
// layer's tables of INPUT_CODES entries and its key names. The platform
// layer's back-ends map their own key and button numbers to these codes.
#include <cstdint>

namespace input_codes {

// --- Keyboard (1 to 255) -----------------------------------------------------
constexpr int KEY_NONE = 0;
constexpr int KEY_ESCAPE = 1;
constexpr int KEY_1 = 2;
constexpr int KEY_2 = 3;
constexpr int KEY_3 = 4;
constexpr int KEY_4 = 5;
constexpr int KEY_5 = 6;
constexpr int KEY_6 = 7;
constexpr int KEY_7 = 8;
constexpr int KEY_8 = 9;
constexpr int KEY_9 = 10;
constexpr int KEY_0 = 11;
constexpr int KEY_MINUS = 12;
constexpr int KEY_EQUALS = 13;
constexpr int KEY_BACK = 14;  // Backspace
constexpr int KEY_TAB = 15;
constexpr int KEY_Q = 16;
constexpr int KEY_W = 17;
constexpr int KEY_E = 18;
constexpr int KEY_R = 19;
constexpr int KEY_T = 20;
constexpr int KEY_Y = 21;
constexpr int KEY_U = 22;
constexpr int KEY_I = 23;
constexpr int KEY_O = 24;
constexpr int KEY_P = 25;
constexpr int KEY_LBRACKET = 26;
constexpr int KEY_RBRACKET = 27;
constexpr int KEY_RETURN = 28;  // the main Enter key
constexpr int KEY_LCONTROL = 29;
constexpr int KEY_A = 30;
constexpr int KEY_S = 31;
constexpr int KEY_D = 32;
constexpr int KEY_F = 33;
constexpr int KEY_G = 34;
constexpr int KEY_H = 35;
constexpr int KEY_J = 36;
constexpr int KEY_K = 37;
constexpr int KEY_L = 38;
constexpr int KEY_SEMICOLON = 39;
constexpr int KEY_APOSTROPHE = 40;
constexpr int KEY_GRAVE = 41;  // the key left of 1
constexpr int KEY_LSHIFT = 42;
constexpr int KEY_BACKSLASH = 43;
constexpr int KEY_Z = 44;
constexpr int KEY_X = 45;
constexpr int KEY_C = 46;
constexpr int KEY_V = 47;
constexpr int KEY_B = 48;
constexpr int KEY_N = 49;
constexpr int KEY_M = 50;
constexpr int KEY_COMMA = 51;
constexpr int KEY_PERIOD = 52;
constexpr int KEY_SLASH = 53;  // the main keyboard's slash
constexpr int KEY_RSHIFT = 54;
constexpr int KEY_MULTIPLY = 55;  // numeric keypad *
constexpr int KEY_LMENU = 56;     // left Alt
constexpr int KEY_SPACE = 57;
constexpr int KEY_CAPITAL = 58;  // Caps Lock
constexpr int KEY_F1 = 59;
constexpr int KEY_F2 = 60;
constexpr int KEY_F3 = 61;
constexpr int KEY_F4 = 62;
constexpr int KEY_F5 = 63;
constexpr int KEY_F6 = 64;
constexpr int KEY_F7 = 65;
constexpr int KEY_F8 = 66;
constexpr int KEY_F9 = 67;
constexpr int KEY_F10 = 68;
constexpr int KEY_NUMLOCK = 69;
constexpr int KEY_SCROLL = 70;  // Scroll Lock
constexpr int KEY_NUMPAD7 = 71;
constexpr int KEY_NUMPAD8 = 72;
constexpr int KEY_NUMPAD9 = 73;
constexpr int KEY_SUBTRACT = 74;  // numeric keypad -
constexpr int KEY_NUMPAD4 = 75;
constexpr int KEY_NUMPAD5 = 76;
constexpr int KEY_NUMPAD6 = 77;
constexpr int KEY_ADD = 78;  // numeric keypad +
constexpr int KEY_NUMPAD1 = 79;
constexpr int KEY_NUMPAD2 = 80;
constexpr int KEY_NUMPAD3 = 81;
constexpr int KEY_NUMPAD0 = 82;
constexpr int KEY_DECIMAL = 83;  // numeric keypad .
constexpr int KEY_OEM_102 = 86;  // the extra key of ISO keyboards, between left Shift and Z
constexpr int KEY_F11 = 87;
constexpr int KEY_F12 = 88;
constexpr int KEY_F13 = 100;
constexpr int KEY_F14 = 101;
constexpr int KEY_F15 = 102;
constexpr int KEY_KANA = 112;       // Japanese: Katakana/Hiragana
constexpr int KEY_ABNT_C1 = 115;    // Brazilian /? (Japanese Ro)
constexpr int KEY_CONVERT = 121;    // Japanese: Henkan
constexpr int KEY_NOCONVERT = 123;  // Japanese: Muhenkan
constexpr int KEY_YEN = 125;
constexpr int KEY_ABNT_C2 = 126;  // Brazilian numeric keypad .
constexpr int KEY_NUMPADEQUALS = 141;
constexpr int KEY_PREVTRACK = 144;
constexpr int KEY_AT = 145;
constexpr int KEY_COLON = 146;
constexpr int KEY_UNDERLINE = 147;
constexpr int KEY_KANJI = 148;
constexpr int KEY_STOP = 149;
constexpr int KEY_AX = 150;
constexpr int KEY_UNLABELED = 151;
constexpr int KEY_NEXTTRACK = 153;
constexpr int KEY_NUMPADENTER = 156;
constexpr int KEY_RCONTROL = 157;
constexpr int KEY_MUTE = 160;
constexpr int KEY_CALCULATOR = 161;
constexpr int KEY_PLAYPAUSE = 162;
constexpr int KEY_MEDIASTOP = 164;
constexpr int KEY_VOLUMEDOWN = 174;
constexpr int KEY_VOLUMEUP = 176;
constexpr int KEY_WEBHOME = 178;
constexpr int KEY_NUMPADCOMMA = 179;
constexpr int KEY_DIVIDE = 181;  // numeric keypad /
constexpr int KEY_SYSRQ = 183;   // Print Screen
constexpr int KEY_RMENU = 184;   // right Alt
constexpr int KEY_PAUSE = 197;
constexpr int KEY_HOME = 199;
constexpr int KEY_UP = 200;
constexpr int KEY_PRIOR = 201;  // Page Up
constexpr int KEY_LEFT = 203;
constexpr int KEY_RIGHT = 205;
constexpr int KEY_END = 207;
constexpr int KEY_DOWN = 208;
constexpr int KEY_NEXT = 209;  // Page Down
constexpr int KEY_INSERT = 210;
constexpr int KEY_DELETE = 211;
constexpr int KEY_LWIN = 219;
constexpr int KEY_RWIN = 220;
constexpr int KEY_APPS = 221;  // the context-menu key
constexpr int KEY_POWER = 222;
constexpr int KEY_SLEEP = 223;
constexpr int KEY_WAKE = 227;
constexpr int KEY_WEBSEARCH = 229;
constexpr int KEY_WEBFAVORITES = 230;
constexpr int KEY_WEBREFRESH = 231;
constexpr int KEY_WEBSTOP = 232;
constexpr int KEY_WEBFORWARD = 233;
constexpr int KEY_WEBBACK = 234;
constexpr int KEY_MYCOMPUTER = 235;
constexpr int KEY_MAIL = 236;
constexpr int KEY_MEDIASELECT = 237;

// Second names for some of the keys above.
constexpr int KEY_BACKSPACE = KEY_BACK;
constexpr int KEY_NUMPADSTAR = KEY_MULTIPLY;
constexpr int KEY_LALT = KEY_LMENU;
constexpr int KEY_CAPSLOCK = KEY_CAPITAL;
constexpr int KEY_NUMPADMINUS = KEY_SUBTRACT;
constexpr int KEY_NUMPADPLUS = KEY_ADD;
constexpr int KEY_NUMPADPERIOD = KEY_DECIMAL;
constexpr int KEY_NUMPADSLASH = KEY_DIVIDE;
constexpr int KEY_RALT = KEY_RMENU;
constexpr int KEY_PGUP = KEY_PRIOR;
constexpr int KEY_PGDN = KEY_NEXT;

// The 144 keyboard codes that have a key name, in increasing order (which is
// also the order of their name texts). Every other code from 1 to 255 has no
// name of its own.
constexpr int NAMED_KEY_COUNT = 144;
inline constexpr uint8_t NAMED_KEYS[NAMED_KEY_COUNT] = {
    1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,  17,  18,  19,  20,  21,
    22,  23,  24,  25,  26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  37,  38,  39,  40,  41,  42,
    43,  44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,  63,
    64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,  79,  80,  81,  82,  83,  86,
    87,  88,  100, 101, 102, 112, 115, 121, 123, 125, 126, 141, 144, 145, 146, 147, 148, 149, 150, 151, 153,
    156, 157, 160, 161, 162, 164, 174, 176, 178, 179, 181, 183, 184, 197, 199, 200, 201, 203, 205, 207, 208,
    209, 210, 211, 219, 220, 221, 222, 223, 227, 229, 230, 231, 232, 233, 234, 235, 236, 237,
};

// --- The whole input table --------------------------------------------------
constexpr int INPUT_CODES = 456;
constexpr int KEYBOARD_CODES = 256;  // entries 0 to 255

// Controller c (0 to 3) owns 48 entries from JOY_BASE(c): its directions at
// +0 to +3, nothing at +4 to +15, buttons 0 to 31 at +16 to +47.
constexpr int JOY_FIRST = 256;
constexpr int JOY_STRIDE = 48;
constexpr int JOY_COUNT = 4;
constexpr int JOY_UP = 0;
constexpr int JOY_DOWN = 1;
constexpr int JOY_LEFT = 2;
constexpr int JOY_RIGHT = 3;
constexpr int JOY_BUTTON0 = 16;
constexpr int JOY_BUTTON_COUNT = 32;
constexpr int JOY_BASE(int c) { return JOY_FIRST + JOY_STRIDE * c; }
constexpr int JOY_BUTTON(int c, int b) { return JOY_BASE(c) + JOY_BUTTON0 + b; }

// The mouse: movement directions, then buttons 0 (left), 1 (right),
// 2 (middle), 3 (fourth).
constexpr int MOUSE_DIRECTION_BASE = 448;
constexpr int MOUSE_UP = MOUSE_DIRECTION_BASE + 0;
constexpr int MOUSE_DOWN = MOUSE_DIRECTION_BASE + 1;
constexpr int MOUSE_LEFT = MOUSE_DIRECTION_BASE + 2;
constexpr int MOUSE_RIGHT = MOUSE_DIRECTION_BASE + 3;
constexpr int MOUSE_BUTTON_BASE = 452;
constexpr int MOUSE_BUTTON_COUNT = 4;
constexpr int MOUSE_BUTTON(int b) { return MOUSE_BUTTON_BASE + b; }

static_assert(JOY_BASE(JOY_COUNT) == MOUSE_DIRECTION_BASE);
static_assert(MOUSE_BUTTON_BASE + MOUSE_BUTTON_COUNT == INPUT_CODES);

}  // namespace input_codes
