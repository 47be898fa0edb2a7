#include "engine/ConsoleView.h"

#include <algorithm>

#include "gfx/ZubGraphics.h"
#include "sys/Console.h"
#include "text/SystemFont.h"

void ConsoleView::render(const Console& console, SystemFont* font, ZubGraphics& graphics) {
    platform::RenderDevice* device = graphics.device();
    if (!device || !font) return;
    const std::vector<Console::Shown> shown = console.shownLines();
    if (shown.empty() || !font->isOpen()) return;

    // Reference-screen units, x from the left and y from the bottom.
    const float w = static_cast<float>(graphics.referenceWidth), h = static_cast<float>(graphics.referenceHeight);
    device->setTransform(platform::TransformSlot::World, M44::translation(-w * 0.5f, -h * 0.5f, 0.5f));
    device->setTransform(platform::TransformSlot::View, M44::identity());
    device->setTransform(platform::TransformSlot::Projection, M44::orthoLH(w, h, 0.0f, 1.0f));
    device->setAlphaBlend(true);
    device->setModulateColor(0xFFFFFFFFu);

    float top = h - MARGIN;
    for (const Console::Shown& line : shown) {
        const SystemFont::Image* image = font->render(line.text, LINE_HEIGHT);
        if (image) {
            const uint32_t alpha = static_cast<uint32_t>(std::clamp(line.alpha, 0.0f, 1.0f) * 255.0f + 0.5f);
            vertices.setSize(12);
            int n = 0;
            // The shadow one unit down and right, then the text.
            for (int pass = 0; pass < 2; ++pass) {
                const float dx = pass == 0 ? 1.0f : 0.0f, dy = pass == 0 ? -1.0f : 0.0f;
                const uint32_t c = (alpha << 24) | (pass == 0 ? 0x000000u : 0xFFFFFFu);
                const float l = MARGIN + dx, r = l + image->width, t = top + dy, b = t - image->height;
                vertices.set(n++, l, t, 0, c, 0, 0);
                vertices.set(n++, r, t, 0, c, image->u1, 0);
                vertices.set(n++, l, b, 0, c, 0, image->v1);
                vertices.set(n++, l, b, 0, c, 0, image->v1);
                vertices.set(n++, r, t, 0, c, image->u1, 0);
                vertices.set(n++, r, b, 0, c, image->u1, image->v1);
            }
            vertices.upload();
            vertices.draw(image->texture, VertexBuffer::TRIANGLE_LIST);
        }
        top -= LINE_HEIGHT;
    }
    // Drawing that follows without a transform of its own (lines) takes the
    // world as it is.
    device->setTransform(platform::TransformSlot::World, M44::identity());
}
