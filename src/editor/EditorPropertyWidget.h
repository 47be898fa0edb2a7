#pragma once
// One row of the level editor's property panel: the name of a property and
// its value as text, on a frame of the minimal GUI theme (style 8). The
// plain row only shows; the kinds derived from it edit (groups open and
// close, check rows toggle, text rows take typed text, reference rows pick
// objects and skins, action rows run calls, class rows place objects).
//
// Rows form a tree that mirrors the property tree: a group's child rows are
// its children, placed in its space. layout() stacks a row and what it
// shows below a cursor, downwards.
//
// After any change a row sends an event 8 (sender and target the row) along
// the event route; the panel turns it into an "edited" event for the object
// and lays the rows out again.
//
// The panel removes rows through the deletion flag (rows are often removed
// from inside their own handlers); a row that is flagged, or stands below a
// flagged row, is dying: it no longer edits anything.
#include <cstdint>
#include <functional>

#include "gui/GUIitem.h"
#include "util/WString.h"

class EditorPropertyPanel;
class Property;

class EditorPropertyWidget : public GUIitem {
public:
    static constexpr int STYLE = 8;
    static constexpr int ROW_HEIGHT = 10;
    static constexpr uint32_t TEXT_COLOUR = 0xFFFFFFFFu;
    static constexpr int NAME_FLAGS = 0x12;
    static constexpr int VALUE_FLAGS = 0x18;
    // The editor's row symbols of the tiny font.
    static constexpr char16_t SYMBOL_GROUP = u'\x80';
    static constexpr char16_t SYMBOL_SUBOBJECT = u'\x81';
    static constexpr char16_t SYMBOL_ACTION = u'\x82';

    // A row of the theme's style 8 showing the property (not owned: the
    // panel's property tree owns it).
    EditorPropertyWidget(GUItheme* theme, Property* property);
    ~EditorPropertyWidget() override;

    // The frame, then the label and name at the left and the value at the
    // right, two units in from the edges (as shownTexts gives them).
    void render() override;
    // The label with the name, and the value, as the row draws them in its
    // font: when the two do not fit side by side, a space apart, between the
    // row's edges (two units in), they are cut and end in "...". The name
    // keeps its room up to half the row, the value takes what the name
    // leaves; a text with no room for "..." is left out. Without a font the
    // texts are whole.
    struct ShownTexts {
        WString name;
        WString value;
    };
    ShownTexts shownTexts() const;
    // Size (width x rowHeight) and place below the cursor, which moves down
    // by the row's height.
    virtual void layout(V3& cursor, float width);

    Property* property;
    // Drawn before the property's name.
    WString label;
    int32_t rowHeight = ROW_HEIGHT;

    // The object or one above it is flagged for deletion (the panel asks it
    // of a change notice's sender, row or property).
    static bool isDying(const ZubBase* object);

protected:
    // Sends the change notice (event 8 from this row to itself).
    void sendChangeNotice();
    // Changes the property's value through `write`. When the object the row
    // belongs to then holds values its class refuses (ZubBase::valueFault),
    // the value it had goes back and the edit is refused (refuse()); false
    // then.
    bool writeValue(const std::function<void()>& write);
    // The object whose property the row shows: the prototype of the class
    // entry above it, else the panel's edited object.
    ZubBase* owningObject() const;
    // Tells why an edit was not applied: the log, the console and the
    // panel's `lastRefusal`.
    void refuse(const WString& why);
    // The row or a row above it is flagged for deletion.
    bool isDying() const { return isDying(this); }
    // The property may not be changed here (flag 0x08).
    bool isReadOnly() const;
    // The panel the row stands on, or null.
    EditorPropertyPanel* ownerPanel() const;
    // Ctrl alone is held and the key went down in this frame.
    static bool isCtrlChord(int key);
};
