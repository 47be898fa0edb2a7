#pragma once
// A one-line text editor on a GUI item (the theme's edit-box style, 7).
//
// The box edits `text`, a working copy of an optional target string that
// belongs to its owner. Gaining the focus starts editing with the caret at
// the end; typed characters go in at the caret, Backspace removes the one
// before it, the cursor keys move it, Escape brings back the target's text
// (editing goes on). Losing the focus, Return, keypad Enter and Tab commit:
// editing stops, the target takes the text, and an event 8 (sender and
// target the box) is routed to the box and its parents, so an owner without
// a target string reads the text there (getText). Delete commits the
// one-character text U+0008, which owners take as "clear the value".
//
// While the box has the focus its caption shows the text with a blinking
// caret (the font's symbol glyphs U+0001 and U+0002, four blinks a second);
// when the text before the caret is wider than the box, the caption starts
// with "..." and shows the part around the caret. Without the focus the
// caption is the text, and while not editing the box follows outside changes
// of the target string.
//
// Key events are consumed; every other event goes on to the delegate and
// bubbles to the parents.
#include "gui/GUIitem.h"

class GUIeditBox : public GUIitem {
public:
    static constexpr int STYLE = 7;
    static constexpr int DEFAULT_WIDTH = 100;
    // What Delete commits.
    static constexpr char16_t CLEARED = u'\x08';
    // The caret's two blink phases in the caption font.
    static constexpr char16_t CARET_ON = u'\x01';
    static constexpr char16_t CARET_OFF = u'\x02';

    // 100 wide and the theme's default height, caption inside at the left.
    explicit GUIeditBox(GUItheme* theme);
    ~GUIeditBox() override;

    void tick(double time, double dt) override;
    bool onEvent(ZubEvent& ev) override;

    // A copy of the text being edited.
    WString getText() const { return text; }
    // Replaces the text being edited; the caret stays where it was, or at
    // the end when that lies beyond the new text.
    void setText(const WString& t);

    WString* target = nullptr;  // the owner's string, not owned; may be null
    uint8_t bEditing = 0;
    WString text;       // the text being edited
    int32_t caret = 0;  // position in text, 0 ... length

private:
    void onKey(int key, char16_t character);
    // Stops editing, writes the target and sends event 8; false when the
    // box did not survive the event.
    bool commit();
    void clampCaret();
};
