#include "gfx/ImageCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "sys/ErrorManager.h"
#include "sys/Logger.h"

// stb_image, compiled here for PNG and TGA only, with every function private
// to this file.
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

void finishAlpha(DecodedImage& out, bool hasAlphaChannel) {
    out.alphaUsed = false;
    if (!hasAlphaChannel) return;
    for (uint32_t p : out.pixels) {
        if (p >> 24) {
            out.alphaUsed = true;
            return;
        }
    }
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
// library's message. Only plain data lives in this frame across setjmp.
bool runJpegDecoder(const uint8_t* data, size_t size, DecodedImage& out, char* message, size_t messageSize) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    jpeg_source_mgr src;
    std::memset(&cinfo, 0, sizeof cinfo);
    setupErrors(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        std::snprintf(message, messageSize, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    setupSource(&cinfo, src, data, size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > MAX_DIMENSION ||
        cinfo.image_height > MAX_DIMENSION) {
        std::snprintf(message, messageSize, "image size %ux%u out of range", cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // Four bytes B, G, R, A per pixel: ARGB words on this little-endian machine.
    cinfo.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width);
    const int h = static_cast<int>(cinfo.output_height);
    out.width = w;
    out.height = h;
    out.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            &out.pixels[static_cast<size_t>(cinfo.output_scanline) * static_cast<size_t>(w)]);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
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

void decodeJpeg(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out) {
    char message[JMSG_LENGTH_MAX + 64] = {};
    out = DecodedImage{};
    if (!data || size == 0) {
        Logger::get().log(u"%s(): %s", "image_codec::decodeJpeg", name);
        ZUB_ERROR(u"JPEG decode failed: %s", "empty file");
    }
    if (!runJpegDecoder(data, size, out, message, sizeof message)) {
        out = DecodedImage{};
        Logger::get().log(u"%s(): %s", "image_codec::decodeJpeg", name);
        ZUB_ERROR(u"JPEG decode failed: %s", message);
    }
    out.alphaUsed = false;
}

void decode(const uint8_t* data, size_t size, std::u16string_view name, DecodedImage& out) {
    const Format format = detect(data, size);
    if (format == Format::Jpeg) {
        decodeJpeg(data, size, name, out);
        return;
    }
    out = DecodedImage{};
    if (!data || size == 0 || size > static_cast<size_t>(INT32_MAX)) {
        Logger::get().log(u"%s(): %s", "image_codec::decode", name);
        ZUB_ERROR(u"Image decode failed: %s", "empty file");
    }
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 4);
    if (!rgba) {
        Logger::get().log(u"%s(): %s", "image_codec::decode", name);
        ZUB_ERROR(u"Image decode failed: %s", stbi_failure_reason());
    }
    out.width = w;
    out.height = h;
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    out.pixels.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const stbi_uc* p = rgba + 4 * i;
        out.pixels[i] = (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[0]) << 16) |
                        (static_cast<uint32_t>(p[1]) << 8) | static_cast<uint32_t>(p[2]);
    }
    stbi_image_free(rgba);
    finishAlpha(out, channels == 2 || channels == 4);
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
