#pragma once
// A 32-bit ARGB image in memory: width x height words 0xAARRGGBB, rows one
// after the other from the top. It loads like a FileData with the same flags
// (flag 1: delayed until first use while the file manager allows it) and is
// decoded (TGA, PNG, JPEG) on first use of its pixels; the file's bytes are
// dropped once decoded. A blank image is made with (width, height).
//
// Purging frees the pixels of an image resource; unpurge (or any use of the
// pixels) reads and decodes the file again.
#include <cstdint>
#include <vector>

#include "gfx/ImageCodec.h"
#include "object/FileData.h"
#include "sys/StoredBytes.h"

class MemoryImageFile : public FileData {
    ZUB_DECLARE_CLASS(MemoryImageFile)
public:
    // An empty image (0 x 0).
    MemoryImageFile() { decoded = true; }
    MemoryImageFile(int flags, std::u16string_view fileName);
    // The image of a file whose bytes were read already (perhaps still
    // packed); unpacked and decoded on first use of its pixels (and read
    // again after a purge).
    MemoryImageFile(std::u16string_view fileName, StoredBytes&& fileBytes);
    // A blank image: every pixel 0 (transparent black).
    MemoryImageFile(int width, int height);
    // An image from decoded pixels.
    explicit MemoryImageFile(DecodedImage&& image);
    ~MemoryImageFile() override;

    int getWidth() const;
    int getHeight() const;
    // The pixels, decoded first when needed.
    const uint32_t* pixels() const;
    uint32_t* pixels();
    uint32_t getPixel(int x, int y) const;
    void setPixel(int x, int y, uint32_t argb);
    // Whether the image carries alpha: as decoded (DecodedImage::alphaUsed);
    // for a blank or changed image, whether any pixel's alpha is not 0.
    bool hasAlpha() const;

    bool isDecoded() const { return decoded; }
    // Frees the pixels (a file-backed image only; a blank one keeps them).
    void purgePixels();
    // Loads and decodes the pixels again when they were purged.
    void unpurge();

private:
    void decode() const;

    mutable DecodedImage image;
    mutable StoredBytes stored;  // the file's bytes as given, until decoded
    mutable bool decoded = false;
    mutable bool alphaKnown = false;  // image.alphaUsed holds for the pixels
};
