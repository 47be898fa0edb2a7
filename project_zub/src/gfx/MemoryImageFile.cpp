#include "gfx/MemoryImageFile.h"

#include <utility>

#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS(MemoryImageFile, FileData, u"MemoryImageFile")

MemoryImageFile::MemoryImageFile(int f, std::u16string_view name) : FileData(f, name) {
    // Decoded now unless the file's load was delayed.
    if (isLoaded()) decode();
}

MemoryImageFile::MemoryImageFile(std::u16string_view name, StoredBytes&& fileBytes) : stored(std::move(fileBytes)) {
    fileName = name;
}

MemoryImageFile::MemoryImageFile(int width, int height) {
    ZUB_ASSERT(width > 0 && height > 0 && width <= image_codec::MAX_DIMENSION && height <= image_codec::MAX_DIMENSION);
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    decoded = true;
}

MemoryImageFile::MemoryImageFile(DecodedImage&& img) {
    image = std::move(img);
    decoded = true;
    alphaKnown = true;
}

MemoryImageFile::~MemoryImageFile() = default;

void MemoryImageFile::decode() const {
    if (decoded) return;
    if (!loaded && !stored.empty()) {
        bytes = stored.take();
        loaded = true;
    }
    load();
    image_codec::decode(bytes.data, bytes.size, fileName, image);
    decoded = true;
    alphaKnown = true;
    // The pixels are what is kept; the file can be read again.
    bytes.clear();
    loaded = false;
}

int MemoryImageFile::getWidth() const {
    decode();
    return image.width;
}

int MemoryImageFile::getHeight() const {
    decode();
    return image.height;
}

const uint32_t* MemoryImageFile::pixels() const {
    decode();
    return image.pixels.data();
}

uint32_t* MemoryImageFile::pixels() {
    decode();
    alphaKnown = false;
    return image.pixels.data();
}

uint32_t MemoryImageFile::getPixel(int x, int y) const {
    decode();
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
    return image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
}

void MemoryImageFile::setPixel(int x, int y, uint32_t argb) {
    decode();
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    alphaKnown = false;
    image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] = argb;
}

bool MemoryImageFile::hasAlpha() const {
    decode();
    if (!alphaKnown) {
        image.alphaUsed = false;
        for (uint32_t p : image.pixels) {
            if (p >> 24) {
                image.alphaUsed = true;
                break;
            }
        }
        alphaKnown = true;
    }
    return image.alphaUsed;
}

void MemoryImageFile::purgePixels() {
    if (fileName.empty()) return;
    image = DecodedImage{};
    decoded = false;
    purge();
}

void MemoryImageFile::unpurge() { decode(); }
