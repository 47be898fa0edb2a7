#pragma once
// The screen stack's overlays, installed by the GUI: the mouse pointer in the
// stack's pointer context and the iris transition in its iris context (the
// stack ticks both every frame and draws them over the top screen, the iris
// last), the iris opening whenever a new screen becomes the top (after
// that screen's activation, so a screen may start closed), and the drawing
// of the frame-rate figure (ContextManager::drawFrameRate: the whole frames
// per second at the top left corner, in the small outlined font), which the
// stack calls while its show-frame-rate byte says so.
//
//   gui::installScreenOverlays(*stack);       // once, after loading
//   gui::iris(stack)->targetClosure = 1.0f;   // close over one second
//
// The game's global object installs them when it has made the stack; menu
// tests do the same.
class ContextManager;
class IrisTransition;
class MousePointer;

namespace gui {

// Fatal when the texture "mousePointer" is missing. Installing again
// replaces the overlays.
void installScreenOverlays(ContextManager& stack);

// The installed overlays of a stack (null: the environment's stack), or null.
IrisTransition* iris(const ContextManager* stack = nullptr);
MousePointer* mousePointer(const ContextManager* stack = nullptr);

}  // namespace gui
