#pragma once
// MD5 message digest (RFC 1321).
#include <cstddef>
#include <cstdint>

class Md5 {
public:
    Md5();
    // Adds `size` bytes; may be called any number of times.
    void update(const void* data, size_t size);
    // Writes the 16-byte digest. The object must be reset (assigned a fresh
    // Md5) before it is used again.
    void finish(uint8_t digest[16]);

private:
    void transform(const uint8_t block[64]);

    uint32_t state[4];
    uint64_t byteCount = 0;
    uint8_t buffer[64] = {};
};

void md5Digest(const void* data, size_t size, uint8_t digest[16]);

// True when the two 16-byte digests are equal.
bool md5Equal(const uint8_t* a, const uint8_t* b);

// MD5 of the four bytes of `prefix` in little-endian order followed by the
// buffer (the sealing of saved records and uploads).
void md5DigestWithPrefix(uint32_t prefix, const void* buf, size_t len, uint8_t digest[16]);
