#pragma once
// The engine's frame as the network roles see it: the interval of the frame
// being run and the engine's debug settings. The engine object
// (engine/Zub.h) is the frame and installs itself while it lives; without one
// a role's tick runs on the interval it is given and draws no statistics.
#include <cstdint>

class EngineFrame {
public:
    // The installed frame, or null.
    static const EngineFrame* installed() { return current; }
    // Installs `f` (null: none).
    static void install(const EngineFrame* f) { current = f; }

    // The game time of this frame less that of the previous frame.
    virtual double frameInterval() const = 0;
    // True while the debug keys (F10, F11) are off.
    virtual bool debugKeysLocked() const = 0;
    // The engine's debug bits.
    virtual uint32_t debugBits() const = 0;

protected:
    EngineFrame() = default;
    ~EngineFrame() = default;

private:
    static inline const EngineFrame* current = nullptr;
};
