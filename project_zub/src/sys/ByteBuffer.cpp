#include "sys/ByteBuffer.h"

#include <cstring>
#include <new>
#include <utility>

#include "sys/ErrorManager.h"

namespace {
uint8_t* allocate(size_t size) {
    if (size == 0) return nullptr;
    uint8_t* p = new (std::nothrow) uint8_t[size];
    if (!p) ZUB_ERROR(u"Out of memory (%u bytes).", static_cast<unsigned long long>(size));
    return p;
}
}  // namespace

ByteBuffer::ByteBuffer(size_t n) : data(allocate(n)), size(n) {
    if (n) std::memset(data, 0, n);
}

ByteBuffer::ByteBuffer(const void* source, size_t n) : data(allocate(n)), size(n) {
    if (n) std::memcpy(data, source, n);
}

ByteBuffer::~ByteBuffer() { delete[] data; }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data(std::exchange(other.data, nullptr)), size(std::exchange(other.size, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        delete[] data;
        data = std::exchange(other.data, nullptr);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

void ByteBuffer::resize(size_t n) {
    uint8_t* p = allocate(n);
    if (n) std::memset(p, 0, n);
    delete[] data;
    data = p;
    size = n;
}

void ByteBuffer::resizeForOverwrite(size_t n) {
    if (n == size) return;
    uint8_t* p = allocate(n);
    delete[] data;
    data = p;
    size = n;
}

void ByteBuffer::assign(const void* source, size_t n) {
    uint8_t* p = allocate(n);
    if (n) std::memcpy(p, source, n);
    delete[] data;
    data = p;
    size = n;
}

void ByteBuffer::clear() {
    delete[] data;
    data = nullptr;
    size = 0;
}
