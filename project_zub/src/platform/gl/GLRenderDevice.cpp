// The drawing device on OpenGL 3.3 core: one small shader program, one
// vertex array object per vertex buffer, sampler objects for the two filters.
//
// Differences from the device model that are bridged here:
// - matrices: the row-vector matrices are uploaded as they lie in memory,
//   which GLSL reads as their transpose, so "matrix * vector" in the shader
//   is the engine's "vector * matrix";
// - depth: the projection maps depth onto [0, 1]; a fixed correction maps it
//   onto OpenGL's [-1, 1];
// - viewport: given with a top-left origin, turned into OpenGL's bottom-left
//   one with the target height;
// - vertex colours: the ARGB word lies in memory as B, G, R, A bytes, which
//   the BGRA attribute format reads as they are;
// - discard: an upload orphans the buffer's storage (glBufferData) before
//   copying the vertices in.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/GLContext.h"
#include "platform/RenderDevice.h"

namespace platform {
namespace {

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aUV;
uniform mat4 uTransform;
out vec4 vColor;
out vec2 vUV;
void main() {
    gl_Position = uTransform * vec4(aPosition, 1.0);
    gl_PointSize = 1.0;
    vColor = aColor;
    vUV = aUV;
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vUV;
uniform sampler2D uTexture;
uniform int uTextured;
uniform vec4 uModulate;
out vec4 fragColor;
void main() {
    vec4 c = vColor * uModulate;
    if (uTextured != 0) c *= texture(uTexture, vUV);
    fragColor = c;
}
)";

GLenum glPrimitive(Primitive p) {
    switch (p) {
        case Primitive::PointList:
            return GL_POINTS;
        case Primitive::LineList:
            return GL_LINES;
        case Primitive::LineStrip:
            return GL_LINE_STRIP;
        case Primitive::TriangleList:
            return GL_TRIANGLES;
        case Primitive::TriangleStrip:
            return GL_TRIANGLE_STRIP;
        case Primitive::TriangleFan:
            return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

// Clears the error flags left by earlier calls, so that a check after a call
// sees only that call's errors.
void drainErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {}
}

void colorToFloats(uint32_t argb, float out[4]) {
    out[0] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(argb & 0xFF) / 255.0f;
    out[3] = static_cast<float>((argb >> 24) & 0xFF) / 255.0f;
}

bool compileShader(GLenum kind, const char* source, GLuint& out, std::string& error) {
    GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(s, sizeof log - 1, nullptr, log);
        error = std::string("shader compilation failed: ") + log;
        glDeleteShader(s);
        return false;
    }
    out = s;
    return true;
}

class GLRenderDevice : public RenderDevice {
public:
    GLRenderDevice();
    ~GLRenderDevice() override;

    bool init(std::string& error) override;
    const char* name() const override { return "OpenGL"; }
    void setTargetSize(int width, int height) override;
    int maxTextureSize() const override { return maxTexture_; }

    TextureHandle createTexture(int width, int height, const uint32_t* argb) override;
    void destroyTexture(TextureHandle texture) override;
    BufferHandle createVertexBuffer(int capacity) override;
    void uploadVertices(BufferHandle buffer, const Vertex* vertices, int count) override;
    void destroyVertexBuffer(BufferHandle buffer) override;

    void setTransform(TransformSlot slot, const M44& m) override;
    void setAlphaBlend(bool on) override;
    void setBilinearFilter(bool on) override;
    void setModulateColor(uint32_t argb) override;
    void setViewport(const DeviceViewport& v) override;
    void draw(BufferHandle buffer, TextureHandle texture, Primitive type, int first, int count) override;
    void clear(uint32_t argb, float depth, int stencil) override;
    bool readPixels(int x, int y, int width, int height, std::vector<uint32_t>& out) override;
    void flush() override;

private:
    struct Buffer {
        GLuint vbo = 0;
        GLuint vao = 0;
        int capacity = 0;  // vertices the storage holds
        int count = 0;     // vertices uploaded
    };

    void applyViewport();
    void releaseAll();

    bool ready_ = false;
    GLuint program_ = 0;
    GLint uTransform_ = -1, uTexture_ = -1, uTextured_ = -1, uModulate_ = -1;
    GLuint samplers_[2] = {0, 0};  // point, bilinear

    std::vector<Buffer> buffers_;   // by handle - 1
    std::vector<GLuint> textures_;  // by handle - 1 (0 = free)
    std::vector<BufferHandle> freeBuffers_;
    std::vector<TextureHandle> freeTextures_;

    M44 world_, view_, projection_;
    bool transformDirty_ = true;
    bool bilinear_ = true;
    bool alphaBlend_ = true;
    uint32_t modulate_ = 0xFFFFFFFF;
    bool modulateDirty_ = true;
    int lastTextured_ = -1;
    GLuint boundTexture_ = 0;
    DeviceViewport viewport_;
    int targetWidth_ = 0, targetHeight_ = 0;
    int maxTexture_ = 0;
};

GLRenderDevice::GLRenderDevice() : world_(M44::identity()), view_(M44::identity()), projection_(M44::identity()) {}

GLRenderDevice::~GLRenderDevice() {
    // Only while the context that owns the objects is still current.
    if (ready_ && glContextInfo().major > 0) releaseAll();
}

void GLRenderDevice::releaseAll() {
    for (Buffer& b : buffers_) {
        if (b.vao) glDeleteVertexArrays(1, &b.vao);
        if (b.vbo) glDeleteBuffers(1, &b.vbo);
        b = Buffer{};
    }
    for (GLuint& t : textures_) {
        if (t) glDeleteTextures(1, &t);
        t = 0;
    }
    if (samplers_[0]) glDeleteSamplers(2, samplers_);
    if (program_) glDeleteProgram(program_);
    program_ = 0;
    samplers_[0] = samplers_[1] = 0;
    ready_ = false;
}

bool GLRenderDevice::init(std::string& error) {
    GLContextInfo info = glContextInfo();
    if (info.major < 3 || (info.major == 3 && info.minor < 3) || !info.core) {
        char text[96];
        std::snprintf(text, sizeof text, "an OpenGL 3.3 core context is needed (have %d.%d%s)", info.major, info.minor,
                      info.core ? " core" : "");
        error = text;
        return false;
    }
    GLuint vs = 0, fs = 0;
    if (!compileShader(GL_VERTEX_SHADER, kVertexShader, vs, error)) return false;
    if (!compileShader(GL_FRAGMENT_SHADER, kFragmentShader, fs, error)) {
        glDeleteShader(vs);
        return false;
    }
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glLinkProgram(program_);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetProgramInfoLog(program_, sizeof log - 1, nullptr, log);
        error = std::string("shader linking failed: ") + log;
        glDeleteProgram(program_);
        program_ = 0;
        return false;
    }
    uTransform_ = glGetUniformLocation(program_, "uTransform");
    uTexture_ = glGetUniformLocation(program_, "uTexture");
    uTextured_ = glGetUniformLocation(program_, "uTextured");
    uModulate_ = glGetUniformLocation(program_, "uModulate");
    glUseProgram(program_);
    glUniform1i(uTexture_, 0);

    glGenSamplers(2, samplers_);
    for (int i = 0; i < 2; ++i) {
        GLint filter = i ? GL_LINEAR : GL_NEAREST;
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER, filter);
        // Texture coordinates beyond 0..1 repeat the texture (strips laid
        // along the terrain and paths count on it).
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, samplers_[bilinear_ ? 1 : 0]);

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTexture_ = maxSize > 0 ? maxSize : 2048;

    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    targetWidth_ = vp[2];
    targetHeight_ = vp[3];
    viewport_ = DeviceViewport{0, 0, targetWidth_, targetHeight_};

    // Painter's order: later draws lie on top; nothing is culled.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (alphaBlend_) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
    ready_ = true;
    transformDirty_ = modulateDirty_ = true;
    return true;
}

void GLRenderDevice::setTargetSize(int width, int height) {
    targetWidth_ = width;
    targetHeight_ = height;
    if (ready_) applyViewport();
}

TextureHandle GLRenderDevice::createTexture(int width, int height, const uint32_t* argb) {
    if (!ready_ || width <= 0 || height <= 0 || width > maxTexture_ || height > maxTexture_) return 0;
    drainErrors();
    GLuint t = 0;
    glGenTextures(1, &t);
    if (!t) return 0;
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    glBindTexture(GL_TEXTURE_2D, boundTexture_);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &t);
        return 0;
    }
    TextureHandle h;
    if (!freeTextures_.empty()) {
        h = freeTextures_.back();
        freeTextures_.pop_back();
        textures_[h - 1] = t;
    } else {
        textures_.push_back(t);
        h = static_cast<TextureHandle>(textures_.size());
    }
    return h;
}

void GLRenderDevice::destroyTexture(TextureHandle texture) {
    if (!ready_ || texture == 0 || texture > textures_.size() || !textures_[texture - 1]) return;
    GLuint& t = textures_[texture - 1];
    if (boundTexture_ == t) boundTexture_ = 0;
    glDeleteTextures(1, &t);
    t = 0;
    freeTextures_.push_back(texture);
}

BufferHandle GLRenderDevice::createVertexBuffer(int capacity) {
    if (!ready_) return 0;
    Buffer b;
    glGenVertexArrays(1, &b.vao);
    glGenBuffers(1, &b.vbo);
    glBindVertexArray(b.vao);
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    b.capacity = std::max(capacity, 1);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.capacity) * sizeof(Vertex), nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, diffuse)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
    glBindVertexArray(0);
    BufferHandle h;
    if (!freeBuffers_.empty()) {
        h = freeBuffers_.back();
        freeBuffers_.pop_back();
        buffers_[h - 1] = b;
    } else {
        buffers_.push_back(b);
        h = static_cast<BufferHandle>(buffers_.size());
    }
    return h;
}

void GLRenderDevice::uploadVertices(BufferHandle buffer, const Vertex* vertices, int count) {
    if (!ready_ || buffer == 0 || buffer > buffers_.size() || !buffers_[buffer - 1].vbo) return;
    Buffer& b = buffers_[buffer - 1];
    count = std::max(count, 0);
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    // Discard: new storage for the whole buffer, then the vertices.
    b.capacity = std::max(b.capacity, count);
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(b.capacity) * static_cast<GLsizeiptr>(sizeof(Vertex));
    glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
    if (count > 0 && vertices)
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(count) * static_cast<GLsizeiptr>(sizeof(Vertex)),
                        vertices);
    b.count = vertices ? count : 0;
}

void GLRenderDevice::destroyVertexBuffer(BufferHandle buffer) {
    if (!ready_ || buffer == 0 || buffer > buffers_.size() || !buffers_[buffer - 1].vbo) return;
    Buffer& b = buffers_[buffer - 1];
    glDeleteVertexArrays(1, &b.vao);
    glDeleteBuffers(1, &b.vbo);
    b = Buffer{};
    freeBuffers_.push_back(buffer);
}

void GLRenderDevice::setTransform(TransformSlot slot, const M44& m) {
    switch (slot) {
        case TransformSlot::World:
            world_ = m;
            break;
        case TransformSlot::View:
            view_ = m;
            break;
        case TransformSlot::Projection:
            projection_ = m;
            break;
    }
    transformDirty_ = true;
}

void GLRenderDevice::setAlphaBlend(bool on) {
    if (on == alphaBlend_) return;
    alphaBlend_ = on;
    if (!ready_) return;
    if (on) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
}

void GLRenderDevice::setBilinearFilter(bool on) {
    if (on == bilinear_) return;
    bilinear_ = on;
    if (ready_) glBindSampler(0, samplers_[on ? 1 : 0]);
}

void GLRenderDevice::setModulateColor(uint32_t argb) {
    if (argb == modulate_) return;
    modulate_ = argb;
    modulateDirty_ = true;
}

void GLRenderDevice::setViewport(const DeviceViewport& v) {
    viewport_ = v;
    if (ready_) applyViewport();
}

void GLRenderDevice::applyViewport() {
    glViewport(viewport_.x, targetHeight_ - (viewport_.y + viewport_.height), viewport_.width, viewport_.height);
}

void GLRenderDevice::draw(BufferHandle buffer, TextureHandle texture, Primitive type, int first, int count) {
    if (!ready_ || buffer == 0 || buffer > buffers_.size() || !buffers_[buffer - 1].vao) return;
    const Buffer& b = buffers_[buffer - 1];
    if (first < 0 || count <= 0 || first >= b.count) return;
    count = std::min(count, b.count - first);

    glUseProgram(program_);
    if (transformDirty_) {
        // Depth from [0, 1] onto [-1, 1]: z' = 2z - w.
        M44 depth = M44::identity();
        depth.m[2][2] = 2.0f;
        depth.m[3][2] = -1.0f;
        const M44 all = world_ * view_ * projection_ * depth;
        glUniformMatrix4fv(uTransform_, 1, GL_FALSE, &all.m[0][0]);
        transformDirty_ = false;
    }
    if (modulateDirty_) {
        float c[4];
        colorToFloats(modulate_, c);
        glUniform4fv(uModulate_, 1, c);
        modulateDirty_ = false;
    }
    GLuint t = (texture > 0 && texture <= textures_.size()) ? textures_[texture - 1] : 0;
    const int textured = t ? 1 : 0;
    if (textured != lastTextured_) {
        glUniform1i(uTextured_, textured);
        lastTextured_ = textured;
    }
    if (t && t != boundTexture_) {
        glBindTexture(GL_TEXTURE_2D, t);
        boundTexture_ = t;
    }
    glBindVertexArray(b.vao);
    glDrawArrays(glPrimitive(type), first, count);
}

void GLRenderDevice::clear(uint32_t argb, float depth, int stencil) {
    if (!ready_) return;
    float c[4];
    colorToFloats(argb, c);
    glClearColor(c[0], c[1], c[2], c[3]);
    glClearDepth(depth);
    glClearStencil(stencil);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    // Only the viewport, as the drawing: the letterbox bars keep their black.
    glEnable(GL_SCISSOR_TEST);
    glScissor(viewport_.x, targetHeight_ - (viewport_.y + viewport_.height), viewport_.width, viewport_.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

bool GLRenderDevice::readPixels(int x, int y, int width, int height, std::vector<uint32_t>& out) {
    if (!ready_ || width <= 0 || height <= 0) return false;
    std::vector<uint32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(height));
    drainErrors();
    glFinish();
    glReadPixels(x, targetHeight_ - (y + height), width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    if (glGetError() != GL_NO_ERROR) return false;
    // OpenGL gives the bottom row first.
    out.resize(rows.size());
    const size_t w = static_cast<size_t>(width);
    for (int r = 0; r < height; ++r)
        std::memcpy(&out[static_cast<size_t>(r) * w], &rows[static_cast<size_t>(height - 1 - r) * w],
                    w * sizeof(uint32_t));
    return true;
}

void GLRenderDevice::flush() {
    if (ready_) glFlush();
}

}  // namespace

std::unique_ptr<RenderDevice> createGLRenderDevice() { return std::make_unique<GLRenderDevice>(); }

}  // namespace platform
