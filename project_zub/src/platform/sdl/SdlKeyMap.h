#pragma once
// Translation of SDL's keyboard scancodes (key positions, USB HID usages) into
// the engine's keyboard codes (util/KeyCodes.h). Punctuation keys go by
// position as on a US layout, so a binding means the same physical key
// whatever layout the user types with.
namespace platform {

// The keyboard code of an SDL_Scancode; 0 for keys that have none (and for
// values outside SDL's scancode range).
int keyCodeFromScancode(int scancode);

}  // namespace platform
