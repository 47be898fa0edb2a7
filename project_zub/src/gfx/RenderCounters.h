#pragma once
// The drawing statistics the engine shows and logs: how many renderables
// were considered and drawn, how many vertices were drawn, how many vertex
// buffer uploads, transform updates, matrix inversions and collision tests
// happened. The graphics code counts into the one process-wide instance; the
// engine object reads and resets it around a tick or a frame.
#include <cstdint>

struct RenderCounters {
    int renderablesVisible = 0;  // renderables drawn (in view)
    int renderablesTotal = 0;    // renderables asked to draw (before culling)
    int verticesTotal = 0;       // vertices handed to the device
    int vbufferWrites = 0;       // vertex buffer uploads
    int updateVisuals = 0;       // transform updates (onTransformChanged)
    int matrixInversions = 0;    // inverse world matrices computed
    int collisionChecks = 0;     // collide() calls

    // The engine's frame number; transforms are stamped with it. The engine
    // advances it once per frame; reset() leaves it alone.
    int32_t frameNumber = 0;

    // Zeroes the seven counters.
    void reset() {
        renderablesVisible = renderablesTotal = verticesTotal = vbufferWrites = 0;
        updateVisuals = matrixInversions = collisionChecks = 0;
    }
};

extern RenderCounters renderCounters;
