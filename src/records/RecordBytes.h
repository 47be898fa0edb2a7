#pragma once
#include <vector>
// Field-by-field little-endian writing and reading of the saved records, so
// that a file's bytes never depend on the compiler's layout or the host's byte
// order. Both sides work on a fixed block; running past its end is a
// programming error (a record's fields must add up to its size).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sys/ErrorManager.h"

class RecordWriter {
public:
    RecordWriter(uint8_t* data, size_t size) : data(data), size(size) {}

    void u8(uint8_t v) { *take(1) = v; }
    void u16(uint16_t v) { putLittle(v, 2); }
    void u32(uint32_t v) { putLittle(v, 4); }
    void i32(int32_t v) { putLittle(static_cast<uint32_t>(v), 4); }
    void i64(int64_t v) { putLittle(static_cast<uint64_t>(v), 8); }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putLittle(bits, 4);
    }
    void f64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        putLittle(bits, 8);
    }
    // Network (big-endian) order, for addresses.
    void u16be(uint16_t v) {
        uint8_t* p = take(2);
        p[0] = static_cast<uint8_t>(v >> 8);
        p[1] = static_cast<uint8_t>(v);
    }
    void u32be(uint32_t v) {
        uint8_t* p = take(4);
        for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
    }
    void bytes(const void* src, size_t n) {
        uint8_t* p = take(n);
        if (n) std::memcpy(p, src, n);
    }
    template <size_t N>
    void bytes(const char (&field)[N]) {
        bytes(field, N);
    }
    template <size_t N>
    void bytes(const uint8_t (&field)[N]) {
        bytes(field, N);
    }

    size_t position() const { return pos; }
    bool atEnd() const { return pos == size; }

private:
    uint8_t* take(size_t n) {
        ZUB_ASSERT(n <= size - pos);
        uint8_t* p = data + pos;
        pos += n;
        return p;
    }
    void putLittle(uint64_t v, size_t n) {
        uint8_t* p = take(n);
        for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    }

    uint8_t* data;
    size_t size;
    size_t pos = 0;
};

class RecordReader {
public:
    RecordReader(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t u8() { return *take(1); }
    uint16_t u16() { return static_cast<uint16_t>(getLittle(2)); }
    uint32_t u32() { return static_cast<uint32_t>(getLittle(4)); }
    int32_t i32() { return static_cast<int32_t>(static_cast<uint32_t>(getLittle(4))); }
    int64_t i64() { return static_cast<int64_t>(getLittle(8)); }
    float f32() {
        const uint32_t bits = static_cast<uint32_t>(getLittle(4));
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    double f64() {
        const uint64_t bits = getLittle(8);
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    uint16_t u16be() {
        const uint8_t* p = take(2);
        return static_cast<uint16_t>((p[0] << 8) | p[1]);
    }
    uint32_t u32be() {
        const uint8_t* p = take(4);
        return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
    }
    void bytes(void* dest, size_t n) {
        const uint8_t* p = take(n);
        if (n) std::memcpy(dest, p, n);
    }
    template <size_t N>
    void bytes(char (&field)[N]) {
        bytes(field, N);
    }
    template <size_t N>
    void bytes(uint8_t (&field)[N]) {
        bytes(field, N);
    }

    size_t position() const { return pos; }
    bool atEnd() const { return pos == size; }

private:
    const uint8_t* take(size_t n) {
        ZUB_ASSERT(n <= size - pos);
        const uint8_t* p = data + pos;
        pos += n;
        return p;
    }
    uint64_t getLittle(size_t n) {
        const uint8_t* p = take(n);
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint64_t{p[i]} << (8 * i);
        return v;
    }

    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};

// Makes a narrow text field read from a file safe to use as a C string: its
// last byte becomes a NUL. True when the field had to be changed.
template <size_t N>
bool terminateTextField(char (&field)[N]) {
    if (field[N - 1] == 0) return false;
    field[N - 1] = 0;
    return true;
}

// A whole record as its file image, and back. R has kRecordSize and the
// field-by-field write(RecordWriter&) / read(RecordReader&) pair.
template <class R>
std::vector<uint8_t> recordToBytes(const R& record) {
    std::vector<uint8_t> data(R::kRecordSize);
    RecordWriter out(data.data(), data.size());
    record.write(out);
    ZUB_ASSERT(out.atEnd());
    return data;
}

template <class R>
bool recordFromBytes(R& record, const uint8_t* data, size_t size) {
    if (size != R::kRecordSize) return false;
    RecordReader in(data, size);
    record.read(in);
    ZUB_ASSERT(in.atEnd());
    return true;
}
