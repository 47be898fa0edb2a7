#include "text/TextLayout.h"

#include <algorithm>

#include "text/TextMarkup.h"

void TextLayout::buildBatches() {
    batches.clear();
    if (quads.empty()) return;
    // Stable grouping by the texture's first appearance.
    std::vector<Texture*> order;
    for (const TextQuad& q : quads)
        if (std::find(order.begin(), order.end(), q.texture) == order.end()) order.push_back(q.texture);
    if (order.size() > 1) {
        std::vector<TextQuad> sorted;
        sorted.reserve(quads.size());
        for (Texture* t : order)
            for (const TextQuad& q : quads)
                if (q.texture == t) sorted.push_back(q);
        quads.swap(sorted);
    }
    for (size_t i = 0; i < quads.size(); ++i) {
        if (batches.empty() || batches.back().texture != quads[i].texture)
            batches.push_back(Batch{quads[i].texture, static_cast<int>(i), 0});
        ++batches.back().count;
    }
}

void TextLayout::fillVertices(VertexBuffer& vb, uint32_t carrierColour, bool shadowPass, uint32_t shadowColour) const {
    vb.setSize(static_cast<int>(quads.size() * 6));
    int n = 0;
    for (const TextQuad& q : quads) {
        const uint32_t c = shadowPass ? shadowColour : text_markup::resolve(q.colour, carrierColour);
        // Two triangles: top left, top right, bottom left; bottom left, top right, bottom right.
        vb.set(n++, q.left, q.top, 0.0f, c, q.u0, q.v0);
        vb.set(n++, q.right, q.top, 0.0f, c, q.u1, q.v0);
        vb.set(n++, q.left, q.bottom, 0.0f, c, q.u0, q.v1);
        vb.set(n++, q.left, q.bottom, 0.0f, c, q.u0, q.v1);
        vb.set(n++, q.right, q.top, 0.0f, c, q.u1, q.v0);
        vb.set(n++, q.right, q.bottom, 0.0f, c, q.u1, q.v1);
    }
}
