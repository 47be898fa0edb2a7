// The localised names of the inputs, written into the input layer's table.
//
// Input codes: 0 no input; 1-255 keyboard keys by their DirectInput key code;
// 256 + 48c controller c+1 (directions at +0..+3, buttons at +16..+47);
// 448-451 mouse directions; 452-455 mouse buttons.
#include "lang/Language.h"

#include "util/Format.h"

namespace {

constexpr int32_t NUM_KEYBOARD_IDS = SID_DIK_MEDIASELECT - SID_DIK_ESCAPE + 1;  // 144
constexpr int32_t FIRST_CONTROLLER_CODE = 256;
constexpr int32_t CONTROLLER_BLOCK = 48;
constexpr int32_t NUM_CONTROLLERS = 4;
constexpr int32_t CONTROLLER_BUTTONS_AT = 16;
constexpr int32_t FIRST_MOUSE_CODE = 448;

// The DirectInput key code of each keyboard identifier, from DIK_ESCAPE (11)
// to DIK_MEDIASELECT (154), in identifier order.
constexpr uint8_t kKeyCodes[NUM_KEYBOARD_IDS] = {
    0x01,  // ESCAPE
    0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
    0x0A, 0x0B,              // 1 .. 9, 0
    0x0C, 0x0D, 0x0E, 0x0F,  // MINUS EQUALS BACK TAB
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
    0x18, 0x19,              // Q W E R T Y U I O P
    0x1A, 0x1B, 0x1C, 0x1D,  // LBRACKET RBRACKET RETURN LCONTROL
    0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
    0x26,                                            // A S D F G H J K L
    0x27, 0x28, 0x29, 0x2A, 0x2B,                    // SEMICOLON APOSTROPHE GRAVE LSHIFT BACKSLASH
    0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32,        // Z X C V B N M
    0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A,  // COMMA PERIOD SLASH RSHIFT MULTIPLY LMENU SPACE CAPITAL
    0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42,
    0x43, 0x44,                                      // F1 .. F10
    0x45, 0x46,                                      // NUMLOCK SCROLL
    0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E,  // NUMPAD7 8 9 SUBTRACT NUMPAD4 5 6 ADD
    0x4F, 0x50, 0x51, 0x52, 0x53,                    // NUMPAD1 2 3 0 DECIMAL
    0x56, 0x57, 0x58,                                // OEM_102 F11 F12
    0x64, 0x65, 0x66,                                // F13 F14 F15
    0x70, 0x73, 0x79, 0x7B, 0x7D, 0x7E,              // KANA ABNT_C1 CONVERT NOCONVERT YEN ABNT_C2
    0x8D, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x99,  // NUMPADEQUALS PREVTRACK AT COLON UNDERLINE KANJI STOP AX UNLABELED NEXTTRACK
    0x9C, 0x9D,  // NUMPADENTER RCONTROL
    0xA0, 0xA1, 0xA2, 0xA4, 0xAE, 0xB0, 0xB2, 0xB3,
    0xB5, 0xB7,  // MUTE CALCULATOR PLAYPAUSE MEDIASTOP VOLUMEDOWN VOLUMEUP WEBHOME NUMPADCOMMA DIVIDE SYSRQ
    0xB8, 0xC5, 0xC7, 0xC8, 0xC9, 0xCB, 0xCD, 0xCF,
    0xD0, 0xD1,                                      // RMENU PAUSE HOME UP PRIOR LEFT RIGHT END DOWN NEXT
    0xD2, 0xD3, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE3,  // INSERT DELETE LWIN RWIN APPS POWER SLEEP WAKE
    0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC,
    0xED,  // WEBSEARCH WEBFAVORITES WEBREFRESH WEBSTOP WEBFORWARD WEBBACK MYCOMPUTER MAIL MEDIASELECT
};

static_assert(kKeyCodes[SID_DIK_RETURN - SID_DIK_ESCAPE] == 0x1C);
static_assert(kKeyCodes[SID_DIK_F11 - SID_DIK_ESCAPE] == 0x57);
static_assert(kKeyCodes[SID_DIK_NUMPADENTER - SID_DIK_ESCAPE] == 0x9C);
static_assert(kKeyCodes[SID_DIK_UP - SID_DIK_ESCAPE] == 0xC8);
static_assert(kKeyCodes[SID_DIK_DELETE - SID_DIK_ESCAPE] == 0xD3);
static_assert(kKeyCodes[SID_DIK_PAUSE - SID_DIK_ESCAPE] == 0xC5);

constexpr bool keyCodesRise() {
    for (int32_t i = 1; i < NUM_KEYBOARD_IDS; ++i)
        if (kKeyCodes[i] <= kKeyCodes[i - 1]) return false;
    return true;
}
static_assert(keyCodesRise(), "the keyboard identifiers stand in key-code order");

// "(1) %s" ... "(4) %s": the name of an input of controller c + 1.
constexpr std::u16string_view kControllerFormats[NUM_CONTROLLERS] = {u"(1) %s", u"(2) %s", u"(3) %s", u"(4) %s"};

}  // namespace

WString Language::buildKeyName(int32_t code) const {
    if (code == 0) return WString();
    if (code >= 1 && code < FIRST_CONTROLLER_CODE) {
        for (int32_t i = 0; i < NUM_KEYBOARD_IDS; ++i)
            if (kKeyCodes[i] == code) return WString(getText(SID_DIK_ESCAPE + i));
    } else if (code >= FIRST_CONTROLLER_CODE && code < FIRST_MOUSE_CODE) {
        const int32_t controller = (code - FIRST_CONTROLLER_CODE) / CONTROLLER_BLOCK;
        const int32_t entry = (code - FIRST_CONTROLLER_CODE) % CONTROLLER_BLOCK;
        if (entry < 4) return formatString(kControllerFormats[controller], getText(SID_DIK_JOYUP + entry));
        if (entry >= CONTROLLER_BUTTONS_AT)
            return formatString(kControllerFormats[controller],
                                getText(SID_DIK_JOYBUTTON0 + entry - CONTROLLER_BUTTONS_AT));
    } else if (code >= FIRST_MOUSE_CODE && code < NUM_KEY_NAMES) {
        return WString(getText(SID_DIK_MOUSEUP + code - FIRST_MOUSE_CODE));
    }
    // Inputs without a name of their own: "Unknown-84".
    return formatString(u"%s-%d", getText(SID_DIK_UNKNOWN), code);
}

void Language::refreshKeyNames() {
    if (!keyNames) return;

    // Every entry first gets the fallback name ...
    const char16_t* unknown = getText(SID_DIK_UNKNOWN);
    for (int32_t code = 0; code < NUM_KEY_NAMES; ++code) keyNames[code] = formatString(u"%s-%d", unknown, code);

    // ... then entry 0 is emptied and every input with a name gets it.
    keyNames[0].clear();
    for (int32_t i = 0; i < NUM_KEYBOARD_IDS; ++i) keyNames[kKeyCodes[i]] = getText(SID_DIK_ESCAPE + i);

    for (int32_t c = 0; c < NUM_CONTROLLERS; ++c) {
        const int32_t block = FIRST_CONTROLLER_CODE + c * CONTROLLER_BLOCK;
        for (int32_t d = 0; d < 4; ++d)
            keyNames[block + d] = formatString(kControllerFormats[c], getText(SID_DIK_JOYUP + d));
        for (int32_t b = 0; b < 32; ++b)
            keyNames[block + CONTROLLER_BUTTONS_AT + b] =
                formatString(kControllerFormats[c], getText(SID_DIK_JOYBUTTON0 + b));
    }

    for (int32_t m = 0; m < 8; ++m) keyNames[FIRST_MOUSE_CODE + m] = getText(SID_DIK_MOUSEUP + m);
}
