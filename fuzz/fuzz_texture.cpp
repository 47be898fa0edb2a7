// Image files and skin descriptions from arbitrary bytes, read the way a
// Texture reads its file and the description beside it. An image is either
// refused with a reason or decodes to a size within the limits and what its
// bytes can hold; a description either leaves the skins as they were or
// gives skins that all lie inside the image.
//
// Input: byte 0: texture flags (bits 0-3) and hq2x 2 (bit 4); then two bytes
// of description length (little-endian) and the description; the rest is
// the image file.
//
// Seeds: with ZUB_FUZZ_TEXTURE_SEEDS=<folder> the program writes its seed
// files into that folder and exits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "gfx/ImageCodec.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "sys/Logger.h"

namespace {

void writeSeed(const std::string& dir, const char* name, uint8_t flags, std::string_view description,
               const std::vector<uint8_t>& image) {
    std::vector<uint8_t> s{flags};
    fuzz::putChunk(s, description);
    s.insert(s.end(), image.begin(), image.end());
    fuzz::writeSeed(dir + "/" + name, s);
}

void writeSeeds(const std::string& dir) {
    std::vector<uint32_t> px(8 * 4);
    for (size_t i = 0; i < px.size(); ++i) px[i] = (i % 3 ? 0xFF000000u : 0u) | static_cast<uint32_t>(i * 0x0A0B0C);
    writeSeed(dir, "grid.tga.bin", 0, "[sheet]\ngrid=4,2,2,2,7\nanchor=1\n[skin3]\nrect=0,0,8,4\norigin=1,-1\n",
              fuzz::tga(8, 4, px, false));
    writeSeed(dir, "rects.tga-rle.bin", 1 | 0x10, "[skin0]\nrect=1,1,3,2\nanchor=9\n[skin1]\nrect=4,0,4,4\n",
              fuzz::tga(8, 4, px, true));
    writeSeed(dir, "count.png.bin", 8, "[sheet]\ncount=2\ngrid=2,1,4,4\n", fuzz::png(8, 4, px));
    std::vector<uint8_t> jpeg;
    if (!image_codec::encodeJpeg(px.data(), 8, 4, 50, jpeg)) std::exit(1);
    writeSeed(dir, "plain.jpg.bin", 2, "", jpeg);
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    if (const char* dir = std::getenv("ZUB_FUZZ_TEXTURE_SEEDS")) writeSeeds(dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    Logger::get().clearHistory();
    const int liveBefore = ZubBase::liveCount();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    const std::string_view description = in.chunk();
    const std::string_view file = in.rest();

    DecodedImage decoded;
    std::string why;
    if (!image_codec::tryDecode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), decoded, why)) {
        // What loading the texture reports as a fatal error.
        FUZZ_CHECK(!why.empty() && decoded.pixels.empty());
        return 0;
    }
    FUZZ_CHECK(decoded.width >= 1 && decoded.height >= 1 && decoded.width <= image_codec::MAX_DIMENSION &&
               decoded.height <= image_codec::MAX_DIMENSION);
    FUZZ_CHECK(static_cast<int64_t>(decoded.width) * decoded.height <= image_codec::MAX_PIXELS);
    FUZZ_CHECK(decoded.pixels.size() == static_cast<size_t>(decoded.width) * static_cast<size_t>(decoded.height));

    {
        MemoryImageFile image(std::move(decoded));
        Texture texture(&image, mode & 0x0F);
        texture.hq2x = (mode & 0x10) ? 2 : 1;
        FUZZ_CHECK(texture.getSkinCount() == 1);
        WString reason;
        if (!texture.trySkinDescription(description, reason)) {
            FUZZ_CHECK(!reason.empty() && texture.getSkinCount() == 1);
        } else {
            FUZZ_CHECK(texture.getSkinCount() >= 1 && texture.getSkinCount() <= Texture::MAX_SKINS);
            for (int i = 0; i < texture.getSkinCount(); ++i) {
                const Quad* q = texture.getSkin(i);
                FUZZ_CHECK(q && q->rectLeft >= 0 && q->rectTop >= 0 && q->rectRight <= texture.width &&
                           q->rectBottom <= texture.height && q->rectLeft < q->rectRight && q->rectTop < q->rectBottom);
            }
        }
        FUZZ_CHECK(texture.getHandle() == 0);  // no drawing device
    }
    FUZZ_CHECK(ZubBase::liveCount() == liveBefore);
    return 0;
}
