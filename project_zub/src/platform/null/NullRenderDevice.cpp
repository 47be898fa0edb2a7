// The device for tests: nothing is drawn; every call is recorded.
#include <algorithm>

#include "platform/RenderDevice.h"

namespace platform {

NullRenderDevice::NullRenderDevice() : world(M44::identity()), view(M44::identity()), projection(M44::identity()) {
    viewport = DeviceViewport{0, 0, targetWidth, targetHeight};
}

bool NullRenderDevice::init(std::string&) { return true; }

void NullRenderDevice::setTargetSize(int width, int height) {
    targetWidth = width;
    targetHeight = height;
}

TextureHandle NullRenderDevice::createTexture(int width, int height, const uint32_t* argb) {
    if (width <= 0 || height <= 0 || width > maxTexture || height > maxTexture) return 0;
    TextureRecord t;
    t.width = width;
    t.height = height;
    if (argb && bKeepPixels) t.pixels.assign(argb, argb + static_cast<size_t>(width) * static_cast<size_t>(height));
    t.alive = true;
    textures.push_back(std::move(t));
    return static_cast<TextureHandle>(textures.size());
}

void NullRenderDevice::destroyTexture(TextureHandle texture) {
    if (texture == 0 || texture > textures.size()) return;
    TextureRecord& t = textures[texture - 1];
    t.alive = false;
    t.pixels.clear();
    t.pixels.shrink_to_fit();
}

BufferHandle NullRenderDevice::createVertexBuffer(int capacity) {
    BufferRecord b;
    b.vertices.reserve(static_cast<size_t>(std::max(capacity, 0)));
    b.alive = true;
    buffers.push_back(std::move(b));
    return static_cast<BufferHandle>(buffers.size());
}

void NullRenderDevice::uploadVertices(BufferHandle buffer, const Vertex* vertices, int count) {
    if (buffer == 0 || buffer > buffers.size()) return;
    BufferRecord& b = buffers[buffer - 1];
    if (count > 0 && vertices) b.vertices.assign(vertices, vertices + count);
    else b.vertices.clear();
    ++b.uploads;
    ++uploads;
}

void NullRenderDevice::destroyVertexBuffer(BufferHandle buffer) {
    if (buffer == 0 || buffer > buffers.size()) return;
    BufferRecord& b = buffers[buffer - 1];
    b.alive = false;
    b.vertices.clear();
    b.vertices.shrink_to_fit();
}

void NullRenderDevice::setTransform(TransformSlot slot, const M44& m) {
    switch (slot) {
        case TransformSlot::World:
            world = m;
            break;
        case TransformSlot::View:
            view = m;
            break;
        case TransformSlot::Projection:
            projection = m;
            break;
    }
}

void NullRenderDevice::draw(BufferHandle buffer, TextureHandle texture, Primitive type, int first, int count) {
    ++drawCount;
    if (!bKeepDraws) return;
    DrawRecord r;
    r.type = type;
    r.first = first;
    r.count = count;
    r.buffer = buffer;
    r.texture = texture;
    if (buffer > 0 && buffer <= buffers.size()) {
        const BufferRecord& b = buffers[buffer - 1];
        if (first >= 0 && static_cast<size_t>(first) < b.vertices.size()) {
            r.firstVertex = b.vertices[static_cast<size_t>(first)];
            r.firstColor = r.firstVertex.diffuse;
        }
    }
    r.modulate = modulate;
    r.alphaBlend = alphaBlend;
    r.bilinear = bilinear;
    r.world = world;
    r.view = view;
    r.projection = projection;
    draws.push_back(r);
}

void NullRenderDevice::clear(uint32_t argb, float, int) {
    ++clears;
    lastClearColor = argb;
}

bool NullRenderDevice::readPixels(int, int, int width, int height, std::vector<uint32_t>& out) {
    if (width <= 0 || height <= 0) return false;
    // Nothing is drawn: the target holds the last clear colour.
    out.assign(static_cast<size_t>(width) * static_cast<size_t>(height), lastClearColor);
    return true;
}

void NullRenderDevice::resetRecords() {
    draws.clear();
    drawCount = 0;
    uploads = 0;
    clears = 0;
    flushes = 0;
}

}  // namespace platform
