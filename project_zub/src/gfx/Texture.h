#pragma once
// A texture and its skin sheet.
//
// The image is loaded from a file (TGA, PNG, JPEG) or copied from a
// MemoryImageFile and placed at the top left of a canvas whose sides are the
// next powers of two (the real size); skins address it by texture
// coordinates against that real size. It is uploaded to the drawing device
// on first use.
//
// A file's bytes are read when the texture is made, and its size from the
// file's header (a file whose header is no supported image, or declares a
// size beyond the limits or beyond what its bytes can hold, is a fatal error
// then); its pixels are decoded on their first use: the upload, the canvas's
// pixels or the alpha flag asked for. A file damaged past its header is a
// fatal error at that first use, with the same message as a decode's
// (ImageCodec.h). With flag 8 the source image holds the file's bytes and
// decodes them on first use of its pixels, the canvas's first use among them.
//
// Flags:
//   1  forces the alpha flag: the image's alpha is kept even when it is 0
//      everywhere (without the flag an image whose alpha channel is absent or
//      unused is drawn opaque);
//   2  an image larger than the device allows is halved until it fits (the
//      device has no tiling; without the flag it is halved as well, and the
//      halving is logged);
//   4  with the small-texture simulation on (ZubGraphics::bSmallTextures),
//      allows 512-pixel real sizes instead of 256 (both times hq2x);
//   8  keeps the source image (getSourceImage) after the upload.
//
// Skin description. The skins come from a description file next to the
// image: the same stem with ".ini" (or else ".preload", same content). It is
// ini text (MemoryIniFile) in texture pixels, origin at the image's top left:
//
//   [sheet]
//   grid=cols,rows,cellW,cellH[,count]  ; optional: skins 0, 1, ... are the
//                                       ; grid's cells, row by row from the
//                                       ; top left (count: the first so many)
//   count=N                             ; optional: the number of skins
//                                       ; (default: the grid's count or the
//                                       ; highest [skinK] + 1, the larger)
//   anchor=A                            ; optional default anchor, keypad 1-9
//                                       ; (Skin::getAnchorPoint; default 5)
//   origin=ox,oy                        ; optional default origin adjustment
//   [skinK]                             ; K = 0 ... N-1; overrides a grid cell
//   rect=x,y,w,h                        ; the frame's pixel rectangle
//   anchor=A
//   origin=ox,oy                        ; added to the anchor point (x right,
//                                       ; y up, pixels)
//
// Every skin needs a rectangle (its own or a grid cell's) inside the image.
// Skin sizes and origins are the pixel values divided by the texture's hq2x
// factor. Without a description file the texture has exactly one skin, the
// whole image, centred. A description that breaks these rules is a fatal
// error naming the file.
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "engine-platform/RenderDevice.h"
#include "object/ZubBase.h"
#include "sys/ByteBuffer.h"
#include "sys/StoredBytes.h"
#include "util/WString.h"

class MemoryImageFile;
class Quad;
class Texture;
class ResourceManager;

namespace texture_detail {
// Makes the words of a vector without setting them: a canvas is written
// whole before anything reads it.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... A>
    void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
};
// The alpha flag of a texture, read like a bool: reading it decodes an image
// still waiting for its first use (whether the image uses its alpha is known
// from its pixels).
class AlphaFlag {
public:
    explicit AlphaFlag(const Texture* texture) : owner(texture) {}
    AlphaFlag(const AlphaFlag&) = delete;
    AlphaFlag& operator=(const AlphaFlag&) = delete;
    operator bool() const;
    AlphaFlag& operator=(bool v) {
        value = v;
        return *this;
    }

private:
    const Texture* owner;
    bool value = false;
};
}  // namespace texture_detail

class Texture : public ZubBase {
    ZUB_DECLARE_CLASS(Texture)
public:
    enum : int { FLAG_ALPHA = 1, FLAG_HALVE = 2, FLAG_ALLOW_512 = 4, FLAG_KEEP_SOURCE = 8 };
    static constexpr int MAX_SKINS = 4096;

    Texture();
    // Loads the image file and its skin description (through the file
    // manager; both are recorded into the current archive in creation mode).
    Texture(int flags, std::u16string_view fileName);
    // A copy of the image, with one whole-image skin; hq2x is 1.
    explicit Texture(const MemoryImageFile* image, int flags = 0);
    ~Texture() override;

    int getSkinCount() const { return static_cast<int>(skins.size()); }
    // Skin n, or null when out of range.
    Quad* getSkin(int n) const;

    // Replaces the skins with those of a description (see above); `name`
    // is used in messages. Fatal when the description breaks the rules.
    void applySkinDescription(std::string_view text, std::u16string_view name);
    // The same, but false with the reason (the skins unchanged) instead.
    bool trySkinDescription(std::string_view text, WString& why);
    // Replaces the skins with one that covers the whole image.
    void setWholeImageSkin();

    // Maps the texture under `name` and each skin under "name:index".
    void registerSkins(ResourceManager& resources, std::u16string_view name);

    // The device texture, uploaded first when needed; 0 without a device.
    platform::TextureHandle getHandle();
    // Frees the device texture (it is made again on next use).
    void release();

    // With flag 8: the source image as loaded; otherwise null.
    const MemoryImageFile* getSourceImage() const { return sourceImage; }

    // The pixels of the power-of-two canvas when still held (before the
    // upload, or kept), else empty; decoded first when waiting for their
    // first use.
    using Canvas = std::vector<uint32_t, texture_detail::UninitialisedAllocator<uint32_t>>;
    const Canvas& canvasPixels() const {
        makePendingCanvas();
        return canvas;
    }

    // Whether the canvas waits for its first use (its file not decoded yet,
    // or with flag 8 its source not copied yet).
    bool isCanvasPending() const { return bCanvasPending; }
    // The image files decoded into a canvas so far, by every texture (the
    // first uses and the readings again for a new device).
    static uint64_t fileDecodeCount();

    static int nextPowerOfTwo(int n);

    int flags = 0;
    WString fileName;
    int width = 0, height = 0;              // image size in pixels
    int realWidth = 0, realHeight = 0;      // the power-of-two canvas
    int deviceWidth = 0, deviceHeight = 0;  // what was uploaded (after halving)
    int halvings = 0;
    int hq2x = 1;  // texture pixels per design unit
    texture_detail::AlphaFlag bHasAlpha{this};
    std::vector<Quad*> skins;  // owned

private:
    class CanvasTarget;
    friend class texture_detail::AlphaFlag;

    // The image's size, the canvas's and the device's for it (no halving yet).
    void setSizes(int w, int h);
    // Makes the canvas waiting for its first use; a texture is never a
    // constant object, only seen through const references.
    void makePendingCanvas() const {
        if (bCanvasPending) const_cast<Texture*>(this)->makeCanvas();
    }
    void makeCanvas();
    // Decodes the bytes of the image file into the canvas.
    void decodeCanvas(const uint8_t* data, size_t size);

    void setImage(const uint32_t* pixels, int w, int h, bool alphaUsed);
    // Sizes the canvas for a w x h image and clears the words around it;
    // the image's rows (realWidth words apart) are left to the caller.
    uint32_t* prepareCanvas(int w, int h);
    // The alpha flag from the image's; an image drawn opaque gets alpha 255
    // (`alreadyOpaque`: every pixel has it).
    void finishCanvas(bool alphaUsed, bool alreadyOpaque = false);
    // Reads the image file and decodes it straight into the canvas.
    void loadCanvas();
    bool reloadCanvas();
    void clearSkins();
    void loadDescription();
    // The image's size from the file's header.
    void readSizeFromHead(int& w, int& h);

    Canvas canvas;
    bool bCanvasPending = false;
    StoredBytes pendingFile;                 // the file's bytes until decoded
    MemoryImageFile* sourceImage = nullptr;  // owned (flag 8)
    platform::TextureHandle handle = 0;
    uint64_t deviceSerial = 0;
};
