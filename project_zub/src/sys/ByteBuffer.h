#pragma once
// An owned block of bytes {data, size}. Deleting the buffer frees the bytes.
// An empty buffer has a null data pointer and size 0.
#include <cstddef>
#include <cstdint>
#include <string_view>

class ByteBuffer {
public:
    ByteBuffer() = default;
    // `size` zero bytes. A size that cannot be allocated is a fatal error.
    explicit ByteBuffer(size_t size);
    // A copy of `size` bytes at `source`.
    ByteBuffer(const void* source, size_t size);
    ~ByteBuffer();

    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Replaces the content with `size` zero bytes.
    void resize(size_t size);
    // Replaces the content with `size` bytes left as they are, for a caller
    // that writes every one of them next (a file read, an unpacked entry).
    void resizeForOverwrite(size_t size);
    // Replaces the content with a copy of `size` bytes at `source`.
    void assign(const void* source, size_t size);
    // Frees the bytes.
    void clear();

    bool empty() const { return size == 0; }
    std::string_view view() const { return {reinterpret_cast<const char*>(data), size}; }

    uint8_t* data = nullptr;
    size_t size = 0;
};
