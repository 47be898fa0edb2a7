#pragma once
// The level editor's resource picker: a full screen over dark purple that
// shows every loaded resource of one class (or a class derived from it) as
// an icon: a skin as itself, other resources (textures, sounds) as the
// editor's icon. The icons stand in name order, left to right and top to
// bottom, with 20-unit margins, each at most 40 units on its longer side.
//
// It is prepared for one reference (setLabel) and pushed onto the screen
// stack, where it is the only screen that ticks. The wheel zooms and the
// middle button pans as in the panel; typed characters filter the icons by
// a case-sensitive prefix of their names (Backspace empties the filter;
// filtered icons are not drawn but can still be picked where they lie). The
// first pointer press closes it: over an icon, the icon's resource goes
// into the reference and the edited object hears of the change (event 8);
// elsewhere nothing changes. The press is the picker's own: it moves no
// focus, so the object being edited keeps its keys. The current choice
// blinks in a circle, the name of the icon under the pointer stands beside
// the pointer.
//
// The panel owns the picker; the screen stack only holds it while it is
// open (it does not delete it when it closes).
#include <cstdint>

#include "gfx/Context.h"
#include "util/WString.h"

class EditorIconObject;
class Property;
class RuntimeClass;
class Skin;

class EditorGizmo : public Context {
public:
    static constexpr uint32_t BACKGROUND = 0xFF400040u;
    static constexpr float MARGIN = 20.0f;
    // Icons are shown at most this large (on their longer side) ...
    static constexpr float ICON_SIZE = 40.0f;
    static constexpr uint32_t NAME_COLOUR = 0xFFFFFFFFu;
    static constexpr int NAME_FLAGS = 3;

    EditorGizmo();
    ~EditorGizmo() override;

    // Prepares the picker for a skin field of an object (a level object's
    // own skin), or for a pointer property that names a resource (a row of
    // the panel; `edited` is the object the property belongs to, or null).
    // The filter empties and the camera stands half a screen in front; when
    // the class is new the icons are made anew and the view goes back to
    // the middle.
    void setLabel(ZubBase* edited, Skin** field, const RuntimeClass* resourceClass);
    void setLabel(ZubBase* edited, Property* field, const RuntimeClass* resourceClass);
    // Makes the icons of the resource manager's resources of the class.
    void rebuild();

    void tickContents(double time, double dt) override;
    void renderContents() override;

    // The resource the reference holds now (null when none or gone).
    ZubBase* currentValue() const;

    WString filter;
    ZubBaseReference editedObject;
    const RuntimeClass* resourceClass = nullptr;

private:
    void prepare(ZubBase* edited, const RuntimeClass* cls);
    void assign(ZubBase* resource);

    Skin** skinField = nullptr;
    ZubBaseReference fieldProperty;
};
