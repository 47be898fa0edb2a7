#pragma once
// The drawing device: the graphics layer's only way to the GPU.
//
// It follows the model the engine was designed around: textures made from
// 32-bit ARGB pixels, dynamic vertex buffers of 24-byte vertices that are
// replaced whole on every upload (discard and refill), world, view and
// projection matrices, alpha blending switched on and off, bilinear or point
// filtering, six primitive types, a clear of colour, depth and stencil, and a
// read-back of the drawn pixels.
//
// Matrices use the engine's row-vector convention (util/Math.h): a vertex is
// drawn at v * world * view * projection, the projection mapping the visible
// depth range onto [0, 1].
//
// Two implementations: OpenGL 3.3 core (gl/GLRenderDevice.cpp), which needs
// the window's context to be current, and the null device
// (null/NullRenderDevice.cpp), which draws nothing and records every call for
// tests.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "util/Math.h"

namespace platform {

// One vertex: position, diffuse colour (ARGB word), texture coordinates.
struct Vertex {
    float x = 0, y = 0, z = 0;
    uint32_t diffuse = 0xFFFFFFFF;
    float u = 0, v = 0;
};
static_assert(sizeof(Vertex) == 24, "vertices are 24 bytes");

enum class Primitive : int {
    PointList = 0,
    LineList = 1,
    LineStrip = 2,
    TriangleList = 3,
    TriangleStrip = 4,
    TriangleFan = 5,
};
constexpr int PRIMITIVE_TYPES = 6;

enum class TransformSlot : int { World = 0, View = 1, Projection = 2 };

// Handles; 0 is never a valid one.
using TextureHandle = uint32_t;
using BufferHandle = uint32_t;

// A rectangle of the render target in pixels, origin at the top left.
struct DeviceViewport {
    int x = 0, y = 0, width = 0, height = 0;
};

class RenderDevice {
public:
    RenderDevice() : serial_(nextSerial()) {}
    virtual ~RenderDevice() = default;
    RenderDevice(const RenderDevice&) = delete;
    RenderDevice& operator=(const RenderDevice&) = delete;

    // A number no other device of this process had: resources remember the
    // device they were made on and are made again on a new one.
    uint64_t serial() const { return serial_; }

    // Prepares the device on the current context. False with a reason when
    // the context cannot serve (too old, shaders rejected).
    virtual bool init(std::string& error) = 0;
    virtual const char* name() const = 0;

    // The size of the whole render target in pixels (the window's drawable);
    // the owner tells the device when the window changes size.
    virtual void setTargetSize(int width, int height) = 0;
    virtual int maxTextureSize() const = 0;

    // --- textures -----------------------------------------------------------
    // A texture of width x height pixels, rows top-down, each pixel an ARGB
    // word (0xAARRGGBB). 0 when it cannot be made.
    virtual TextureHandle createTexture(int width, int height, const uint32_t* argb) = 0;
    virtual void destroyTexture(TextureHandle texture) = 0;

    // --- vertex buffers -------------------------------------------------------
    // A dynamic buffer for up to `capacity` vertices (it grows on upload).
    virtual BufferHandle createVertexBuffer(int capacity) = 0;
    // Replaces the whole content: the old storage is discarded, `count`
    // vertices are copied in.
    virtual void uploadVertices(BufferHandle buffer, const Vertex* vertices, int count) = 0;
    virtual void destroyVertexBuffer(BufferHandle buffer) = 0;

    // --- state ------------------------------------------------------------------
    virtual void setTransform(TransformSlot slot, const M44& m) = 0;
    virtual void setAlphaBlend(bool on) = 0;
    virtual void setBilinearFilter(bool on) = 0;
    // A colour that multiplies every drawn fragment (texel x vertex colour x
    // this); white leaves them as they are.
    virtual void setModulateColor(uint32_t argb) = 0;
    virtual void setViewport(const DeviceViewport& v) = 0;

    // Draws `count` vertices from `first` with the texture (0: vertex colour
    // only).
    virtual void draw(BufferHandle buffer, TextureHandle texture, Primitive type, int first, int count) = 0;

    // Clears the viewport's rectangle of the target: colour (ARGB), depth and
    // stencil.
    virtual void clear(uint32_t argb, float depth, int stencil) = 0;

    // Reads a rectangle of the target (origin top left) as ARGB words, rows
    // top-down. False when the device cannot read back.
    virtual bool readPixels(int x, int y, int width, int height, std::vector<uint32_t>& out) = 0;

    // Ends the frame's drawing (the back-end presents it).
    virtual void flush() = 0;

private:
    static uint64_t nextSerial() {
        static uint64_t counter = 0;
        return ++counter;
    }
    uint64_t serial_;
};

// The OpenGL 3.3 core device. Make it after the window's context is current
// and call init().
std::unique_ptr<RenderDevice> createGLRenderDevice();

// The device for tests: draws nothing, keeps copies of what it is given and
// records every draw with the state it was made in.
class NullRenderDevice : public RenderDevice {
public:
    struct DrawRecord {
        Primitive type = Primitive::TriangleStrip;
        int first = 0;
        int count = 0;
        BufferHandle buffer = 0;
        TextureHandle texture = 0;
        uint32_t firstColor = 0;  // diffuse of the first drawn vertex (0 when none)
        Vertex firstVertex;
        uint32_t modulate = 0xFFFFFFFF;
        bool alphaBlend = true;
        bool bilinear = true;
        M44 world = M44::identity(), view = M44::identity(), projection = M44::identity();
    };
    struct TextureRecord {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels;
        bool alive = false;
    };
    struct BufferRecord {
        std::vector<Vertex> vertices;
        int uploads = 0;
        bool alive = false;
    };

    NullRenderDevice();
    bool init(std::string& error) override;
    const char* name() const override { return "null"; }
    void setTargetSize(int width, int height) override;
    int maxTextureSize() const override { return maxTexture; }

    TextureHandle createTexture(int width, int height, const uint32_t* argb) override;
    void destroyTexture(TextureHandle texture) override;
    BufferHandle createVertexBuffer(int capacity) override;
    void uploadVertices(BufferHandle buffer, const Vertex* vertices, int count) override;
    void destroyVertexBuffer(BufferHandle buffer) override;

    void setTransform(TransformSlot slot, const M44& m) override;
    void setAlphaBlend(bool on) override { alphaBlend = on; }
    void setBilinearFilter(bool on) override { bilinear = on; }
    void setModulateColor(uint32_t argb) override { modulate = argb; }
    void setViewport(const DeviceViewport& v) override { viewport = v; }
    void draw(BufferHandle buffer, TextureHandle texture, Primitive type, int first, int count) override;
    void clear(uint32_t argb, float depth, int stencil) override;
    bool readPixels(int x, int y, int width, int height, std::vector<uint32_t>& out) override;
    void flush() override { ++flushes; }

    // Forgets the recorded draws (not the textures and buffers).
    void resetRecords();

    // Recording.
    bool bKeepDraws = true;   // off: only count draws (for benchmarks)
    bool bKeepPixels = true;  // off: textures keep their size, not a copy of their pixels (for benchmarks)
    std::vector<DrawRecord> draws;
    int drawCount = 0;
    int uploads = 0;
    int clears = 0;
    uint32_t lastClearColor = 0;
    int flushes = 0;
    std::vector<TextureRecord> textures;  // by handle - 1
    std::vector<BufferRecord> buffers;    // by handle - 1

    // State.
    int maxTexture = 4096;
    int targetWidth = 1024, targetHeight = 768;
    bool alphaBlend = true;
    bool bilinear = true;
    uint32_t modulate = 0xFFFFFFFF;
    DeviceViewport viewport;
    M44 world, view, projection;
};

}  // namespace platform
