#pragma once
// Vertices of 24 bytes (x, y, z; diffuse ARGB; u, v) kept on the CPU and
// mirrored in a dynamic device buffer. An upload replaces the device
// buffer's whole content (discard and refill) and counts in vbufferWrites.
#include <cstdint>
#include <vector>

#include "engine-platform/RenderDevice.h"

class Texture;

using Vertex = platform::Vertex;

class VertexBuffer {
public:
    enum PrimitiveType : int {
        POINT_LIST = 0,
        LINE_LIST = 1,
        LINE_STRIP = 2,
        TRIANGLE_LIST = 3,
        TRIANGLE_STRIP = 4,
        TRIANGLE_FAN = 5,
    };

    VertexBuffer() = default;
    explicit VertexBuffer(int n) { setSize(n); }
    ~VertexBuffer();
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    // n vertices (new ones are zero with a white colour); the next draw
    // uploads them unless upload() comes first.
    void setSize(int n);
    int size() const { return static_cast<int>(vertices.size()); }

    Vertex* data() { return vertices.data(); }
    const Vertex* data() const { return vertices.data(); }
    Vertex& operator[](int i) { return vertices[static_cast<size_t>(i)]; }
    const Vertex& operator[](int i) const { return vertices[static_cast<size_t>(i)]; }
    void set(int i, float x, float y, float z, uint32_t color, float u, float v);

    // Copies every vertex into the device buffer (discarding its old
    // content) and counts the upload. Without a device only the count runs.
    void upload();

    // Draws `count` vertices (-1: all from `first`) with the texture (or
    // none) as the primitive type (0 point list ... 5 triangle fan), at the
    // device's current transform. Uploads first when the vertices changed
    // size or the buffer was never uploaded to this device.
    void draw(Texture* texture, int primitiveType, int first = 0, int count = -1);

    // Frees the device buffer (the vertices stay).
    void release();

    std::vector<Vertex> vertices;

private:
    platform::BufferHandle handle = 0;
    uint64_t deviceSerial = 0;
    bool dirty = true;
};
