#include "gfx/VertexBuffer.h"

#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "sys/ErrorManager.h"

namespace {
platform::RenderDevice* currentDevice() {
    ZubGraphics* g = ZubGraphics::active();
    return g ? g->device() : nullptr;
}
}  // namespace

VertexBuffer::~VertexBuffer() { release(); }

void VertexBuffer::setSize(int n) {
    ZUB_ASSERT(n >= 0);
    if (n == size()) return;
    Vertex blank;
    vertices.resize(static_cast<size_t>(n), blank);
    dirty = true;
}

void VertexBuffer::set(int i, float x, float y, float z, uint32_t color, float u, float v) {
    Vertex& vx = vertices[static_cast<size_t>(i)];
    vx.x = x;
    vx.y = y;
    vx.z = z;
    vx.diffuse = color;
    vx.u = u;
    vx.v = v;
}

void VertexBuffer::upload() {
    ++renderCounters.vbufferWrites;
    platform::RenderDevice* d = currentDevice();
    if (!d) {
        dirty = true;
        return;
    }
    if (handle && deviceSerial != d->serial()) handle = 0;  // made on a device that is gone
    if (!handle) {
        handle = d->createVertexBuffer(size());
        deviceSerial = d->serial();
        if (!handle) return;
    }
    d->uploadVertices(handle, vertices.data(), size());
    dirty = false;
}

void VertexBuffer::draw(Texture* texture, int primitiveType, int first, int count) {
    ZUB_ASSERT(primitiveType >= 0 && primitiveType < platform::PRIMITIVE_TYPES);
    platform::RenderDevice* d = currentDevice();
    if (!d) return;
    const int n = size();
    if (first < 0 || first >= n) return;
    if (count < 0 || count > n - first) count = n - first;
    if (count == 0) return;
    if (dirty || !handle || deviceSerial != d->serial()) upload();
    if (!handle) return;
    renderCounters.verticesTotal += count;
    platform::TextureHandle t = texture ? texture->getHandle() : 0;
    d->draw(handle, t, static_cast<platform::Primitive>(primitiveType), first, count);
}

void VertexBuffer::release() {
    if (!handle) return;
    platform::RenderDevice* d = currentDevice();
    if (d && d->serial() == deviceSerial) d->destroyVertexBuffer(handle);
    handle = 0;
    dirty = true;
}
