// Vertex buffers on the null device: sizes, uploads, draws and the counters.
#include <gtest/gtest.h>

#include <memory>

#include "gfx/ImmediateDraw.h"
#include "gfx/Texture.h"
#include "gfx/VertexBuffer.h"
#include "gfx_test_support.h"
#include "sys/ErrorManager.h"

using namespace gfxtest;

namespace {

using VertexBufferTest = NullGraphicsTest;

TEST_F(VertexBufferTest, UploadReplacesTheDeviceCopyAndCounts) {
    VertexBuffer vb;
    vb.setSize(3);
    EXPECT_EQ(vb.size(), 3);
    EXPECT_EQ(vb[1].diffuse, 0xFFFFFFFFu);
    vb.set(0, 1, 2, 3, 0xFF112233, 0.5f, 0.25f);
    renderCounters.reset();
    vb.upload();
    EXPECT_EQ(renderCounters.vbufferWrites, 1);
    ASSERT_EQ(device->buffers.size(), 1u);
    EXPECT_EQ(device->buffers[0].vertices.size(), 3u);
    EXPECT_FLOAT_EQ(device->buffers[0].vertices[0].z, 3);
    EXPECT_EQ(device->buffers[0].vertices[0].diffuse, 0xFF112233u);
    vb.setSize(5);
    vb.upload();
    EXPECT_EQ(renderCounters.vbufferWrites, 2);
    EXPECT_EQ(device->buffers[0].vertices.size(), 5u);
    EXPECT_EQ(device->buffers[0].uploads, 2);
    EXPECT_EQ(device->buffers.size(), 1u);  // the same device buffer, refilled
}

TEST_F(VertexBufferTest, DrawTakesFirstAndCount) {
    VertexBuffer vb(6);
    for (int i = 0; i < 6; ++i) vb.set(i, static_cast<float>(i), 0, 0, 0xFF000000u + static_cast<uint32_t>(i), 0, 0);
    renderCounters.reset();
    device->resetRecords();
    vb.draw(nullptr, VertexBuffer::LINE_STRIP);  // uploads first: never uploaded
    EXPECT_EQ(renderCounters.vbufferWrites, 1);
    vb.draw(nullptr, VertexBuffer::TRIANGLE_FAN, 2, 3);
    vb.draw(nullptr, VertexBuffer::POINT_LIST, 4, -1);
    vb.draw(nullptr, VertexBuffer::LINE_LIST, 5, 10);  // clipped to what there is
    vb.draw(nullptr, VertexBuffer::LINE_LIST, 6);      // nothing from past the end
    EXPECT_EQ(renderCounters.vbufferWrites, 1);
    ASSERT_EQ(device->draws.size(), 4u);
    EXPECT_EQ(device->draws[0].type, platform::Primitive::LineStrip);
    EXPECT_EQ(device->draws[0].count, 6);
    EXPECT_EQ(device->draws[1].type, platform::Primitive::TriangleFan);
    EXPECT_EQ(device->draws[1].first, 2);
    EXPECT_EQ(device->draws[1].count, 3);
    EXPECT_EQ(device->draws[1].firstColor, 0xFF000002u);
    EXPECT_EQ(device->draws[2].type, platform::Primitive::PointList);
    EXPECT_EQ(device->draws[2].count, 2);
    EXPECT_EQ(device->draws[3].count, 1);
    EXPECT_EQ(device->draws[0].texture, 0u);
    EXPECT_EQ(renderCounters.verticesTotal, 6 + 3 + 2 + 1);
}

TEST_F(VertexBufferTest, TheSixPrimitiveTypesAndATexture) {
    std::unique_ptr<MemoryImageFile> img(makeImage(8, 8, [](int, int) { return 0xFFFFFFFFu; }));
    Texture tex(img.get());
    VertexBuffer vb(3);
    device->resetRecords();
    for (int t = 0; t < 6; ++t) vb.draw(&tex, t);
    ASSERT_EQ(device->draws.size(), 6u);
    for (int t = 0; t < 6; ++t) EXPECT_EQ(static_cast<int>(device->draws[t].type), t);
    EXPECT_EQ(device->draws[0].texture, tex.getHandle());
}

TEST(VertexBufferDeathTest, AnUnknownPrimitiveTypeIsFatal) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            VertexBuffer vb(3);
            vb.draw(nullptr, 6);
        },
        ::testing::ExitedWithCode(255), "Assertion failed");
}

TEST_F(VertexBufferTest, ReleaseFreesTheDeviceBuffer) {
    {
        VertexBuffer vb(4);
        vb.upload();
        ASSERT_TRUE(device->buffers[0].alive);
    }
    EXPECT_FALSE(device->buffers[0].alive);
}

TEST(VertexBufferNoDevice, CountsWithoutADevice) {
    renderCounters.reset();
    VertexBuffer vb(4);
    vb.upload();
    vb.draw(nullptr, VertexBuffer::TRIANGLE_STRIP);
    EXPECT_EQ(renderCounters.vbufferWrites, 1);
    EXPECT_EQ(renderCounters.verticesTotal, 0);
}

TEST_F(VertexBufferTest, LinesAndOutlinesAreUntexturedStrips) {
    device->resetRecords();
    drawLine(V3(0, 0, 0), V3(10, 0, 0), 0xFFFF0000, 0xFF00FF00);
    drawRectOutline(-5, 5, 5, -5, 0xFF0000FF);
    ASSERT_EQ(device->draws.size(), 2u);
    EXPECT_EQ(device->draws[0].type, platform::Primitive::LineList);
    EXPECT_EQ(device->draws[0].count, 2);
    EXPECT_EQ(device->draws[0].firstColor, 0xFFFF0000u);
    EXPECT_EQ(device->draws[1].type, platform::Primitive::LineStrip);
    EXPECT_EQ(device->draws[1].count, 5);
    EXPECT_EQ(device->draws[1].firstColor, 0xFF0000FFu);
    EXPECT_TRUE(device->draws[1].world == M44::identity());
    EXPECT_EQ(device->draws[1].modulate, 0xFFFFFFFFu);
}

}  // namespace
