#pragma once
// A level opened for editing through the level manager, the way the
// program's "-edit" switch opens it (the game services ask for editing, so
// the role's edit flag is on), with the program's input dispatch: each frame
// the input layer takes the held keys, the mouse (three buttons and the
// wheel) and the typed characters, the level ticks (or the screen the editor
// pushed over it), then the focus manager finds the object under the pointer
// and sends clicks, drags and keys to the focused object.
//
// Screen points have their origin at the centre, y up (the panel's own
// space); world points are the game world's, through the game camera.
#include <string_view>
#include <vector>

#include "FlowHarness.h"
#include "editor/EditorPropertyPanel.h"
#include "editor/EditorPropertyWidget.h"
#include "engine/FocusManager.h"

class EditorObject;
class RuntimeClass;

namespace editortest {

class EditorHarness : public flowtest::FlowHarness {
public:
    EditorHarness();
    ~EditorHarness();

    // The level opened for editing.
    GameController& edit(const std::vector<uint8_t>& level);
    GameController& controller() { return *server().controller(); }
    EditorPropertyPanel& panel() { return *controller().editor; }

    // Frames of the program's input dispatch.
    void step(int n = 1);
    // The mouse moved to a screen point (a frame).
    void pointAt(const V3& screen);
    // Left button pressed (a frame) and released (a frame) at a point.
    void clickAt(const V3& screen);
    // From where the mouse is, with the button held, to a screen point in
    // `steps` moves, then released.
    void dragTo(const V3& screen, int steps = 4, int button = 0);
    // The mouse jumps to a screen point and a button goes down in the same
    // frame (a tap on a touch screen or a tablet, a remote desktop).
    void pressAt(const V3& screen, int button = 0);
    // A button goes down at a screen point and the mouse moves on from there
    // to another in the same frame (the press tells where it came).
    void pressAndMove(const V3& press, const V3& to, int button = 0);
    // With the buttons as they are, to a screen point in `steps` moves.
    void moveTo(const V3& screen, int steps = 1);
    // A button up (a frame).
    void releaseButton(int button = 0);
    // The mouse moves to a screen point and the button goes up there, in
    // the same frame (the release tells where it came).
    void moveAndRelease(const V3& to, int button = 0);
    // The button goes up where the mouse is and down again at a screen
    // point, in the same frame (the next press comes before the frame).
    void releaseAndPressAt(const V3& at, int button = 0);
    // Wheel notches in one frame (negative: towards the user).
    void wheel(int notches);
    // The characters, handed out one a frame.
    void type(std::u16string_view text);
    // A key down for a frame, then up (a frame); with Ctrl held around it.
    void key(int code);
    void chord(int code);

    // Where a point of the game world shows on the screen.
    V3 onScreen(const V3& world);
    // The middle of a drawn thing, in its context's world.
    static V3 centreOf(const Renderable* r);

    // The rows on display: the top one and one found by its property path
    // below the top ("position.x"); null when there is none.
    EditorPropertyWidget* topRow();
    EditorPropertyWidget* row(std::u16string_view path);
    // Drags the row tree (by its read-only "objectUID" row) until the row
    // stands on the screen.
    void reveal(std::u16string_view path);
    // Clicks a row (revealed first); types into a row and presses Return.
    void clickRow(std::u16string_view path);
    void editRow(std::u16string_view path, std::u16string_view text);
    // The text of a row's property.
    WString valueOf(std::u16string_view path);

    // Places an object of the class as a user does: F1, the class's row
    // opened, a row inside it clicked, the pointer moved to the screen
    // point, Ctrl+X. Returns the object the class row placed (null: none).
    EditorObject* place(const RuntimeClass* cls, const V3& screen);
    // The row of the class in the class list, or null.
    EditorPropertyWidget* classRow(const RuntimeClass* cls);

    FocusManager focus;
    bool buttons[3] = {false, false, false};
    // A press of this frame that came at a point of its own (pressAndMove).
    bool pressed[3] = {false, false, false};
    V3 pressPoint[3];
    // A release of this frame that came at a point of its own.
    bool released[3] = {false, false, false};
    V3 releasePoint[3];
    int wheelNotches = 0;
    std::u16string typed;
};

}  // namespace editortest
