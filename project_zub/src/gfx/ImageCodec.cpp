#include "gfx/ImageCodec.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sys/ErrorManager.h"
#include "sys/Logger.h"

namespace {

// stb_image allocates through these: every block counts against the budget of
// the decode under way (set from the size the file declares), so that no
// header or chunk length can make it allocate more than that image needs.
thread_local size_t stbBudget = 0;
constexpr size_t kBlockHeader = 16;  // the block's size, keeping malloc's alignment

void* stbAllocate(size_t n) {
    if (n > stbBudget) return nullptr;
    char* base = static_cast<char*>(std::malloc(n + kBlockHeader));
    if (!base) return nullptr;
    stbBudget -= n;
    std::memcpy(base, &n, sizeof n);
    return base + kBlockHeader;
}

void stbFree(void* p) {
    if (!p) return;
    char* base = static_cast<char*>(p) - kBlockHeader;
    size_t n;
    std::memcpy(&n, base, sizeof n);
    stbBudget += n;
    std::free(base);
}

void* stbReallocate(void* p, size_t n) {
    if (!p) return stbAllocate(n);
    char* base = static_cast<char*>(p) - kBlockHeader;
    size_t old;
    std::memcpy(&old, base, sizeof old);
    if (n > old && n - old > stbBudget) return nullptr;
    char* moved = static_cast<char*>(std::realloc(base, n + kBlockHeader));
    if (!moved) return nullptr;
    stbBudget = stbBudget + old - n;
    std::memcpy(moved, &n, sizeof n);
    return moved + kBlockHeader;
}

}  // namespace

// stb_image, compiled here for PNG and TGA only, with every function private
// to this file.
#define STBI_MALLOC(n) stbAllocate(n)
#define STBI_REALLOC(p, n) stbReallocate(p, n)
#define STBI_FREE(p) stbFree(p)
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 16384
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

extern "C" {
#include <jpeglib.h>
// (jerror.h after jpeglib.h: its warning macros use libjpeg's types)
#include <jerror.h>
}

namespace image_codec {
namespace {

// The size a file declares against the limits and against what `size` bytes
// can hold at `pixelsPerByte` at most; false with the reason otherwise.
bool checkSize(int64_t w, int64_t h, size_t size, int64_t pixelsPerByte, std::string& reason) {
    if (w < 1 || h < 1 || w > MAX_DIMENSION || h > MAX_DIMENSION || w * h > MAX_PIXELS) {
        reason = "image size " + std::to_string(w) + "x" + std::to_string(h) + " out of range";
        return false;
    }
    if (w * h > static_cast<int64_t>(size) * pixelsPerByte) {
        reason = "image size " + std::to_string(w) + "x" + std::to_string(h) + " cannot come from " +
                 std::to_string(size) + " bytes";
        return false;
    }
    return true;
}

uint32_t little16(const uint8_t* p) { return p[0] | (static_cast<uint32_t>(p[1]) << 8); }
uint32_t big32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// What the bytes of a TGA or PNG file can hold, from its header (stb_image
// read the same header and accepted the size): raw TGA pixels take their
// bytes each, run-length packets at least one byte and a pixel for up to 128
// pixels; PNG rows are deflated at most 1032 to 1 into its image data chunks.
bool checkStbData(Format format, const uint8_t* data, size_t size, int64_t w, int64_t h, std::string& reason) {
    const int64_t pixels = w * h;
    if (format == Format::Png) {
        if (size < 33) return true;  // stb_image refuses it
        static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
        const int depth = data[24], type = data[25];
        const int64_t bits = static_cast<int64_t>(depth) * (type <= 6 ? kChannels[type] : 4);
        const int64_t raw = h * (1 + (w * bits + 7) / 8);
        // The image data chunks present (stb_image also cannot take an empty
        // one before any data).
        int64_t imageData = 0;
        for (size_t at = 8; at + 8 <= size;) {
            const uint32_t length = big32(data + at);
            const bool isData = std::memcmp(data + at + 4, "IDAT", 4) == 0;
            if (isData && length == 0 && imageData == 0) {
                reason = "an empty image data chunk";
                return false;
            }
            const size_t present = std::min<size_t>(length, size - at - 8);
            if (isData) imageData += static_cast<int64_t>(present);
            if (std::memcmp(data + at + 4, "IEND", 4) == 0 || present < length) break;
            at += 8 + static_cast<size_t>(length) + 4;
        }
        if (raw > imageData * 1032) {
            reason = "image size " + std::to_string(w) + "x" + std::to_string(h) + " cannot come from " +
                     std::to_string(size) + " bytes";
            return false;
        }
        return true;
    }
    // stb_image reads the bytes missing from a header as zeros: a file shorter
    // than the header holds no pixel of the size it claims.
    if (size < 18) {
        reason = "image size " + std::to_string(w) + "x" + std::to_string(h) + " cannot come from " +
                 std::to_string(size) + " bytes";
        return false;
    }
    const int type = data[2];
    const int64_t pixelBytes = (data[16] + 7) / 8;
    int64_t offset = 18 + data[0];
    if (data[1]) offset += static_cast<int64_t>(little16(data + 5)) * ((data[7] + 7) / 8);
    const int64_t available = static_cast<int64_t>(size) - offset;
    const int64_t needed = type >= 9 ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    if (needed > available) {
        reason = "image size " + std::to_string(w) + "x" + std::to_string(h) + " cannot come from " +
                 std::to_string(size) + " bytes";
        return false;
    }
    return true;
}

// stb_image's reason for the last failure; some of its failures give none.
std::string stbReason() {
    const char* why = stbi_failure_reason();
    return why && *why ? why : "not a valid TGA or PNG file";
}

// Whether any pixel of the rows has an alpha other than 0.
bool anyAlpha(const uint32_t* rows, size_t stride, int w, int h) {
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = rows + static_cast<size_t>(y) * stride;
        uint32_t seen = 0;
        for (int x = 0; x < w; ++x) seen |= row[x];
        if (seen >> 24) return true;
    }
    return false;
}

// A DecodedImage as the target: its pixel vector, rows side by side.
class DecodedTarget final : public ImageTarget {
public:
    explicit DecodedTarget(DecodedImage& image) : out(image) {}
    uint32_t* rows(int width, int height, size_t& stride) override {
        out.width = width;
        out.height = height;
        out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        stride = static_cast<size_t>(width);
        return out.pixels.data();
    }

private:
    DecodedImage& out;
};

// --- True-colour TGA, copied --------------------------------------------------
//
// A TGA file of type 2 (raw) or 10 (run-length), 24 or 32 bits a pixel and
// no colour map stores each pixel as the bytes B, G, R[, A]: the bytes of
// the ARGB word in this machine's memory (24-bit pixels take alpha 255).
// Raw rows and raw packets are copied, runs filled; a packet may continue
// into the next row. The pixels are those stb_image makes of the file.

bool isDirectTga(const uint8_t* data, size_t size) {
    return size >= 18 && data[1] == 0 && (data[2] == 2 || data[2] == 10) && (data[16] == 24 || data[16] == 32);
}

inline uint32_t tgaPixel(const uint8_t* p, int bytes) {
    if (bytes == 3)
        return 0xFF000000u | p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

// `n` pixels from `src` to `dst`; returns the OR of the words.
template <int BYTES>
uint32_t copyTgaPixels(uint32_t* dst, const uint8_t* src, int n) {
    uint32_t seen = 0;
    for (int i = 0; i < n; ++i) {
        const uint32_t v = tgaPixel(src + static_cast<size_t>(i) * BYTES, BYTES);
        dst[i] = v;
        seen |= v;
    }
    return seen;
}

// Decodes a file isDirectTga accepted, whose size checkSize and checkStbData
// passed, into rows `stride` words apart. False when the pixels end before
// the image does (stb_image reads zeros past the end of a run-length stream:
// its decoding takes over then).
template <int BYTES>
bool decodeDirectTga(const uint8_t* data, size_t size, uint32_t* rows, size_t stride, int w, int h, Alpha& alpha) {
    const uint8_t* p = data + 18 + data[0];
    const uint8_t* const end = data + size;
    if (p > end) return false;
    // Bit 5 of the descriptor: the first row is the top one.
    const bool topDown = (data[17] & 0x20) != 0;
    auto row = [&](int i) { return rows + static_cast<size_t>(topDown ? i : h - 1 - i) * stride; };
    uint32_t seen = 0;
    if (data[2] == 2) {
        const size_t rowBytes = static_cast<size_t>(w) * BYTES;
        if (static_cast<size_t>(end - p) / rowBytes < static_cast<size_t>(h)) return false;
        for (int y = 0; y < h; ++y, p += rowBytes) seen |= copyTgaPixels<BYTES>(row(y), p, w);
    } else {
        int x = 0, y = 0;
        uint32_t* dst = row(0);
        while (y < h) {
            if (p == end) return false;
            const int header = *p++;
            // A packet is cut where the image ends.
            const int64_t left = static_cast<int64_t>(h - y) * w - x;
            int count = static_cast<int>(std::min<int64_t>((header & 0x7F) + 1, left));
            if (header & 0x80) {
                if (end - p < BYTES) return false;
                const uint32_t v = tgaPixel(p, BYTES);
                p += BYTES;
                seen |= v;
                while (count > 0) {
                    const int n = std::min(count, w - x);
                    std::fill_n(dst + x, n, v);
                    count -= n;
                    if ((x += n) == w) {
                        x = 0;
                        if (++y < h) dst = row(y);
                    }
                }
            } else {
                if (end - p < static_cast<ptrdiff_t>(count) * BYTES) return false;
                while (count > 0) {
                    const int n = std::min(count, w - x);
                    seen |= copyTgaPixels<BYTES>(dst + x, p, n);
                    p += static_cast<size_t>(n) * BYTES;
                    count -= n;
                    if ((x += n) == w) {
                        x = 0;
                        if (++y < h) dst = row(y);
                    }
                }
            }
        }
    }
    alpha = BYTES == 3 ? Alpha::Opaque : (seen >> 24) != 0 ? Alpha::Used : Alpha::Unused;
    return true;
}

// --- libjpeg: errors --------------------------------------------------------

struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void jpegOutputMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    Logger::get().log(u"%s(): %s", "image_codec::jpeg", text);
}

// The progress monitor, called as the decoder reads a file's scans: a file
// with more scans than MAX_JPEG_SCANS is refused before the first scan past
// the limit is decoded.
void jpegProgress(j_common_ptr common) {
    const auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number <= MAX_JPEG_SCANS) return;
    auto* err = reinterpret_cast<JpegErrorManager*>(common->err);
    std::snprintf(err->message, sizeof err->message, "more than %d scans", MAX_JPEG_SCANS);
    std::longjmp(err->jump, 1);
}

void setupErrors(JpegErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.output_message = jpegOutputMessage;
    err.message[0] = '\0';
}

// --- libjpeg: the memory source ------------------------------------------------

const JOCTET kFakeEndOfImage[2] = {0xFF, JPEG_EOI};

void sourceInit(j_decompress_ptr) {}

boolean sourceFill(j_decompress_ptr cinfo) {
    // The data ran out: end the image here (libjpeg fills the rest) and warn.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kFakeEndOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void sourceSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    size_t n = static_cast<size_t>(count);
    while (n > src->bytes_in_buffer) {
        n -= src->bytes_in_buffer;
        sourceFill(cinfo);
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
}

void sourceTerm(j_decompress_ptr) {}

void setupSource(j_decompress_ptr cinfo, jpeg_source_mgr& src, const uint8_t* data, size_t size) {
    src.init_source = sourceInit;
    src.fill_input_buffer = sourceFill;
    src.skip_input_data = sourceSkip;
    src.resync_to_restart = jpeg_resync_to_restart;
    src.term_source = sourceTerm;
    src.next_input_byte = data;
    src.bytes_in_buffer = size;
    cinfo->src = &src;
}

// --- libjpeg: the memory destination ---------------------------------------------

struct MemoryDestination {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* out;
    size_t used;
};

constexpr size_t kDestinationStep = 64 * 1024;

void destinationInit(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    d->out->resize(kDestinationStep);
    d->used = 0;
    d->pub.next_output_byte = d->out->data();
    d->pub.free_in_buffer = d->out->size();
}

boolean destinationEmpty(j_compress_ptr cinfo) {
    // Called when the whole buffer is full.
    auto* d = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    d->used = d->out->size();
    d->out->resize(d->out->size() + kDestinationStep);
    d->pub.next_output_byte = d->out->data() + d->used;
    d->pub.free_in_buffer = d->out->size() - d->used;
    return TRUE;
}

void destinationTerm(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    d->out->resize(d->out->size() - d->pub.free_in_buffer);
}

// The decoder proper; on an error of the library it returns false with the
// library's message. Without a target it stops after the header, with the
// image's size in `w` and `h`. Only plain data lives in this frame across
// setjmp.
// `fileSize`: the whole file's size when `data` holds only its first bytes
// (only the header is read then); 0 when it is the whole file.
bool runJpegDecoder(const uint8_t* data, size_t size, ImageTarget* target, int& w, int& h, char* message,
                    size_t messageSize, size_t fileSize = 0) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    jpeg_source_mgr src;
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&progress, 0, sizeof progress);
    setupErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        std::snprintf(message, messageSize, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    setupSource(&cinfo, src, data, size);
    progress.progress_monitor = jpegProgress;
    cinfo.progress = &progress;
    jpeg_read_header(&cinfo, TRUE);
    // Every 8 x 8 block takes at least one bit (its DC code): a header that
    // declares more blocks than the file has bits belongs to a truncated or
    // made-up file, which libjpeg would fill up to the declared size.
    std::string reason;
    if (!checkSize(cinfo.image_width, cinfo.image_height, fileSize > 0 ? fileSize : size, 512, reason)) {
        std::snprintf(message, messageSize, "%s", reason.c_str());
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (!target) {
        w = static_cast<int>(cinfo.image_width);
        h = static_cast<int>(cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    // Four bytes B, G, R, A per pixel: ARGB words on this little-endian machine.
    cinfo.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    w = static_cast<int>(cinfo.output_width);
    h = static_cast<int>(cinfo.output_height);
    size_t stride = 0;
    uint32_t* rows = target->rows(w, h, stride);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(rows + static_cast<size_t>(cinfo.output_scanline) * stride);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// A JPEG file into the target (libjpeg writes alpha 255), or without one its
// header alone; false with the library's message.
bool decodeJpegInto(const uint8_t* data, size_t size, ImageTarget* target, int& w, int& h, std::string& reason,
                    size_t fileSize = 0) {
    if (!data || size == 0) {
        reason = "empty file";
        return false;
    }
    char message[JMSG_LENGTH_MAX + 64] = {};
    if (runJpegDecoder(data, size, target, w, h, message, sizeof message, fileSize)) return true;
    reason = message;
    return false;
}

bool decodeJpegInto(const uint8_t* data, size_t size, ImageTarget& target, std::string& reason) {
    int w = 0, h = 0;
    return decodeJpegInto(data, size, &target, w, h, reason);
}

bool runJpegEncoder(const uint32_t* argb, int width, int height, int quality, std::vector<uint8_t>& out, char* message,
                    size_t messageSize) {
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    MemoryDestination dest;
    std::memset(&cinfo, 0, sizeof cinfo);
    setupErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        std::snprintf(message, messageSize, "%s", err.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = destinationInit;
    dest.pub.empty_output_buffer = destinationEmpty;
    dest.pub.term_destination = destinationTerm;
    dest.out = &out;
    dest.used = 0;
    cinfo.dest = &dest.pub;
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(
            argb + static_cast<size_t>(cinfo.next_scanline) * static_cast<size_t>(width)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

Format detect(const uint8_t* data, size_t size) {
    if (!data || size == 0) return Format::Unknown;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return Format::Jpeg;
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 8 && std::memcmp(data, png, 8) == 0) return Format::Png;
    return Format::Tga;
}

bool tryDecodeJpeg(const uint8_t* data, size_t size, DecodedImage& out, std::string& reason) {
    out = DecodedImage{};
    DecodedTarget target(out);
    if (!decodeJpegInto(data, size, target, reason)) {
        out = DecodedImage{};
        return false;
    }
    out.alphaUsed = false;
    return true;
}

namespace {

// TGA and PNG; with `direct`, true-colour TGA files are copied without
// stb_image.
// The header of a TGA or PNG file: its size, checked against the limits and
// against what its bytes can hold.
// `fileSize` 0: the bytes are the whole file, and what they hold is checked
// against the header; otherwise they are its first bytes, and only the
// header is read.
bool readTgaOrPngHeader(Format format, const uint8_t* data, size_t size, int& w, int& h, int& channels,
                        std::string& reason, size_t fileSize = 0) {
    if (!data || size == 0 || size > static_cast<size_t>(INT32_MAX)) {
        reason = "empty file";
        return false;
    }
    stbBudget = size_t(1) << 20;  // reading the header
    stbi__g_failure_reason = nullptr;
    if (!stbi_info_from_memory(data, static_cast<int>(size), &w, &h, &channels)) {
        reason = stbReason();
        return false;
    }
    if (fileSize > 0) return checkSize(w, h, fileSize, INT32_MAX, reason);
    return checkSize(w, h, size, INT32_MAX, reason) && checkStbData(format, data, size, w, h, reason);
}

bool decodeTgaOrPng(Format format, const uint8_t* data, size_t size, ImageTarget& target, Alpha& alpha,
                    std::string& reason, bool direct) {
    int w = 0, h = 0, channels = 0;
    if (!readTgaOrPngHeader(format, data, size, w, h, channels, reason)) return false;
    size_t stride = 0;
    uint32_t* rows = nullptr;
    if (direct && format == Format::Tga && isDirectTga(data, size)) {
        rows = target.rows(w, h, stride);
        if (data[16] == 32 ? decodeDirectTga<4>(data, size, rows, stride, w, h, alpha)
                           : decodeDirectTga<3>(data, size, rows, stride, w, h, alpha))
            return true;
    }
    // Enough for the file, the deflated rows at 16 bits, the image as read and
    // its four-channel copy.
    stbBudget = 2 * size + 24 * static_cast<size_t>(w) * static_cast<size_t>(h) + (size_t(1) << 20);
    stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 4);
    if (!rgba) {
        reason = stbReason();
        return false;
    }
    if (!rows) rows = target.rows(w, h, stride);
    for (int y = 0; y < h; ++y) {
        const stbi_uc* p = rgba + static_cast<size_t>(y) * static_cast<size_t>(w) * 4;
        uint32_t* row = rows + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w; ++x, p += 4)
            row[x] = (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[0]) << 16) |
                     (static_cast<uint32_t>(p[1]) << 8) | static_cast<uint32_t>(p[2]);
    }
    stbi_image_free(rgba);
    // stb_image gives alpha 255 to an image without an alpha channel.
    if (channels == 2 || channels == 4) alpha = anyAlpha(rows, stride, w, h) ? Alpha::Used : Alpha::Unused;
    else alpha = Alpha::Opaque;
    return true;
}

bool decodeAny(const uint8_t* data, size_t size, ImageTarget& target, Alpha& alpha, std::string& reason, bool direct) {
    // (libjpeg writes alpha 255.)
    alpha = Alpha::Opaque;
    const Format format = detect(data, size);
    if (format != Format::Jpeg) return decodeTgaOrPng(format, data, size, target, alpha, reason, direct);
    return decodeJpegInto(data, size, target, reason);
}

bool decodeImage(const uint8_t* data, size_t size, DecodedImage& out, std::string& reason, bool direct) {
    out = DecodedImage{};
    DecodedTarget target(out);
    Alpha alpha = Alpha::Opaque;
    if (!decodeAny(data, size, target, alpha, reason, direct)) {
        out = DecodedImage{};
        return false;
    }
    out.alphaUsed = alpha == Alpha::Used;
    return true;
}

}  // namespace

bool tryDecode(const uint8_t* data, size_t size, DecodedImage& out, std::string& reason) {
    return decodeImage(data, size, out, reason, true);
}

bool tryDecodeThroughLibraries(const uint8_t* data, size_t size, DecodedImage& out, std::string& reason) {
    return decodeImage(data, size, out, reason, false);
}

bool tryDecodeInto(const uint8_t* data, size_t size, ImageTarget& target, Alpha& alpha, std::string& reason) {
    return decodeAny(data, size, target, alpha, reason, true);
}

bool tryReadSize(const uint8_t* data, size_t size, int& width, int& height, std::string& reason) {
    width = height = 0;
    const Format format = detect(data, size);
    int channels = 0;
    const bool read = format == Format::Jpeg ? decodeJpegInto(data, size, nullptr, width, height, reason)
                                             : readTgaOrPngHeader(format, data, size, width, height, channels, reason);
    if (read) return true;
    width = height = 0;
    return false;
}

bool tryReadSizeFromHead(const uint8_t* data, size_t size, size_t fileSize, int& width, int& height,
                         std::string& reason) {
    if (size >= fileSize) return tryReadSize(data, size, width, height, reason);
    width = height = 0;
    const Format format = detect(data, size);
    int channels = 0;
    const bool read = format == Format::Jpeg
                          ? decodeJpegInto(data, size, nullptr, width, height, reason, fileSize)
                          : readTgaOrPngHeader(format, data, size, width, height, channels, reason, fileSize);
    if (read) return true;
    width = height = 0;
    return false;
}

void readSize(const uint8_t* data, size_t size, std::u16string_view name, int& width, int& height) {
    std::string reason;
    if (tryReadSize(data, size, width, height, reason)) return;
    Logger::get().log(u"%s(): %s", "image_codec::readSize", name);
    if (detect(data, size) == Format::Jpeg) ZUB_ERROR(u"JPEG decode failed: %s", reason);
    ZUB_ERROR(u"Image decode failed: %s", reason);
}

void decodeJpeg(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out) {
    std::string reason;
    if (!tryDecodeJpeg(data, size, out, reason)) {
        Logger::get().log(u"%s(): %s", "image_codec::decodeJpeg", name);
        ZUB_ERROR(u"JPEG decode failed: %s", reason);
    }
}

void decode(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out) {
    std::string reason;
    if (tryDecode(data, size, out, reason)) return;
    Logger::get().log(u"%s(): %s", "image_codec::decode", name);
    if (detect(data, size) == Format::Jpeg) ZUB_ERROR(u"JPEG decode failed: %s", reason);
    ZUB_ERROR(u"Image decode failed: %s", reason);
}

void decodeInto(const uint8_t* data, size_t size, std::u16string_view name, ImageTarget& target, Alpha& alpha) {
    std::string reason;
    if (tryDecodeInto(data, size, target, alpha, reason)) return;
    Logger::get().log(u"%s(): %s", "image_codec::decodeInto", name);
    if (detect(data, size) == Format::Jpeg) ZUB_ERROR(u"JPEG decode failed: %s", reason);
    ZUB_ERROR(u"Image decode failed: %s", reason);
}

bool encodeJpeg(const uint32_t* argb, int width, int height, int quality, std::vector<uint8_t>& out) {
    out.clear();
    if (!argb || width <= 0 || height <= 0) return false;
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    char message[JMSG_LENGTH_MAX + 64] = {};
    if (!runJpegEncoder(argb, width, height, quality, out, message, sizeof message)) {
        out.clear();
        Logger::get().log(u"%s(): %s", "image_codec::encodeJpeg", message);
        return false;
    }
    return true;
}

}  // namespace image_codec
