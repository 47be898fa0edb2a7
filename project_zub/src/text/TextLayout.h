#pragma once
// A text laid out for drawing: textured rectangles in the text's local space
// (design units, y up), grouped by texture.
#include <cstdint>
#include <vector>

#include "gfx/VertexBuffer.h"

class Texture;

struct TextQuad {
    Texture* texture = nullptr;
    float left = 0, top = 0, right = 0, bottom = 0;  // local rectangle
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;            // texture coordinates (left, top, right, bottom)
    uint32_t colour = 1;                             // markup colour value (1: the default colour)
};

struct TextLayout {
    std::vector<TextQuad> quads;  // ordered by texture (first use), then by position in the text
    // Draw calls: quads [first, first + count) share a texture.
    struct Batch {
        Texture* texture = nullptr;
        int first = 0;
        int count = 0;
    };
    std::vector<Batch> batches;
    float width = 0;   // the widest line
    float height = 0;  // lines x line height

    // Orders the quads by texture and fills the batches.
    void buildBatches();
    // Six vertices (two triangles) per quad: the text pass in its resolved
    // colours, or the shadow pass all in one colour.
    void fillVertices(VertexBuffer& vb, uint32_t carrierColour, bool shadowPass, uint32_t shadowColour) const;
};
