#pragma once
// A screen or scene: its own clock, time scale and camera, and the flags the
// screen stack reads. Only the top context of the stack ticks.
#include <cstdint>

#include "gfx/Camera.h"
#include "object/ZubBase.h"
#include "util/Math.h"

class Context : public ZubBase {
    ZUB_DECLARE_CLASS(Context)
public:
    // The longest step a context takes: slow frames slow the game down
    // rather than letting objects jump.
    static constexpr double MAX_STEP = 1.0 / 30.0;

    Context();
    ~Context() override;

    // The frame: `dt` is the engine's frame interval. The context caps and
    // scales it, advances its own time, checks its time limit and its closing
    // inputs, follows the pointer, ticks its background context and then its
    // contents.
    void tick(double time, double dt) override;
    // Draws the context: background context, clear, camera, contents,
    // foreground context. It is the engine's current context meanwhile.
    virtual void renderContext();

    virtual void tickContents(double time, double dt) { ZubBase::tick(time, dt); }
    virtual void renderContents() { ZubBase::render(); }
    virtual void onActivate(bool firstTime) { (void)firstTime; }
    virtual void onDeactivate(bool removed) { (void)removed; }

    // The pointer in this context's world at depth 0, from the input's
    // reference-screen position through the camera.
    void updateMousePosition();
    // A point of another context's world in this context's world (through
    // the reference screen).
    V3 convertPointFrom(const Context* from, const V3& point) const;
    // The step this frame's interval gives (capped, scaled, debug keys).
    double computeStep(double frameInterval) const;

    void setCamera(Camera* c);

    double time = 0.0;
    double step = 0.0;
    double timeScale = 1.0;
    double timeLimit = 0.0;  // 0: none; else the context is done once its time passes it
    Camera* camera;          // owned
    V3 mousePosition;
    V3 prevMousePosition;
    V3 mouseMovement;
    uint8_t done = 0;
    uint8_t bDeleteWhenDone = 0;
    uint8_t bEscapeCloses = 1;
    uint8_t bConfirmEscape = 0;
    uint8_t bCloseOnFire = 0;
    uint8_t bShowPointer = 1;
    uint8_t bHideFrameRate = 0;
    uint8_t bFirstActivation = 1;
    uint32_t clearColor = 0;  // ARGB; 0 draws over what is there
    Context* backgroundContext = nullptr;
    Context* foregroundContext = nullptr;
    Context* pointerContext = nullptr;  // an own pointer overlay, drawn instead of the shared one

    // What the engine tells every context.
    struct Environment {
        bool bDebugKeys = false;  // F11 speeds the clock up 5 times, F10 slows it 10 times
        // Asks the user before an Escape closes the context (a yes/no box);
        // the game installs it. Without it Escape closes at once.
        void (*confirmClose)(Context* c) = nullptr;
        // Whether the input that closes close-on-fire contexts went down.
        bool (*isCloseInputPressed)() = nullptr;
        // The context being ticked or drawn.
        Context* current = nullptr;
    };

    static Environment environment;
};

// The nearest Context among the object and its ancestors; fatal when none.
Context* findContext(ZubBase* object);
