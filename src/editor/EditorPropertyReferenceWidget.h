#pragma once
// The row of a reference to an object or to a resource (flag 0x20: a skin,
// a sound): a text row (the name or the resource's name is typed) with keys
// of its own, which it sees before its open edit box does (and also while it
// holds the focus itself, as a read-only row does):
//   Ctrl+G  takes the object under the pointer when it fits the required
//           class (for a resource: the skin of the object under the pointer,
//           when it is a resource the object does not own); never one of
//           the panel's own rows;
//   Ctrl+F  edits the object the reference names;
//   Ctrl+B  (resources) opens the resource picker for it.
// Ctrl+G and Ctrl+B change nothing on a read-only row.
//
// While the row (or its box) has the focus and the pointer is over an
// object, the row turns green when Ctrl+G would take that object and red
// when not. A reference to a drawn object is joined to it by a line, with a
// circle of the object's size around it.
#include "editor/EditorPropertyTextWidget.h"

class RuntimeClass;

class EditorPropertyReferenceWidget : public EditorPropertyTextWidget {
public:
    static constexpr uint32_t ACCEPT_COLOUR = 0xFF00FF00u;
    static constexpr uint32_t REJECT_COLOUR = 0xFFFF0000u;
    static constexpr uint32_t LINE_COLOUR = 0xFF808080u;
    static constexpr int CIRCLE_POINTS = 64;

    using EditorPropertyTextWidget::EditorPropertyTextWidget;

    void render() override;
    bool onPreviewEvent(ZubEvent& ev) override;
    bool onEvent(ZubEvent& ev) override;

    // The object or resource the reference names now, and the class it
    // requires (null for a property of another kind).
    ZubBase* target() const;
    const RuntimeClass* requiredClass() const;
    // What Ctrl+G would assign for the object under the pointer, or null.
    ZubBase* candidateFor(ZubBase* hovered) const;

private:
    // Handles the row's chords; false for other keys.
    bool onChord();
    bool isResource() const;
};
