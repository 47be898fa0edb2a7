// FontRasterizer on FreeType; family lookups through fontconfig.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <cstring>
#include <mutex>

#include "platform/FontRasterizer.h"

namespace platform {

namespace {

class FreeTypeRasterizer : public FontRasterizer {
public:
    ~FreeTypeRasterizer() override {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }

    bool open(const std::string& path, int px, std::string& error) {
        if (px < 1 || px > 4096) {
            error = "pixel size out of range";
            return false;
        }
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            error = "FreeType could not start";
            return false;
        }
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
            face = nullptr;
            error = "cannot open font file '" + path + "'";
            return false;
        }
        if (!FT_IS_SCALABLE(face)) {
            error = "'" + path + "' is not a scalable font";
            return false;
        }
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px)) != 0) {
            error = "cannot set the pixel size of '" + path + "'";
            return false;
        }
        size = px;
        family = face->family_name ? face->family_name : "";
        const FT_Size_Metrics& m = face->size->metrics;
        faceMetrics.ascender = static_cast<int>((m.ascender + 63) >> 6);
        faceMetrics.descender = static_cast<int>((-m.descender + 63) >> 6);
        if (faceMetrics.descender < 0) faceMetrics.descender = 0;
        faceMetrics.lineHeight = faceMetrics.ascender + faceMetrics.descender;
        return true;
    }

    const FontFaceMetrics& metrics() const override { return faceMetrics; }
    int pixelSize() const override { return size; }
    const std::string& familyName() const override { return family; }

    bool hasGlyph(char32_t code) const override { return FT_Get_Char_Index(face, static_cast<FT_ULong>(code)) != 0; }

    bool renderGlyph(char32_t code, GlyphImage& out) override {
        out = GlyphImage();
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
        if (index == 0) return false;
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return false;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        out.width = static_cast<int>(bm.width);
        out.height = static_cast<int>(bm.rows);
        if (out.width <= 0 || out.height <= 0 || !bm.buffer) {
            out.width = out.height = 0;
            return true;
        }
        out.coverage.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
        for (int y = 0; y < out.height; ++y) {
            const unsigned char* row = bm.pitch >= 0
                                           ? bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch
                                           : bm.buffer + static_cast<ptrdiff_t>(out.height - 1 - y) * -bm.pitch;
            uint8_t* dst = &out.coverage[static_cast<size_t>(y) * static_cast<size_t>(out.width)];
            if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
                const int levels = bm.num_grays > 1 ? bm.num_grays - 1 : 255;
                for (int x = 0; x < out.width; ++x)
                    dst[x] = static_cast<uint8_t>(levels == 255 ? row[x] : (row[x] * 255 + levels / 2) / levels);
            } else if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                for (int x = 0; x < out.width; ++x) dst[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            } else {
                return false;
            }
        }
        return true;
    }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FontFaceMetrics faceMetrics;
    int size = 0;
    std::string family;
};

// fontconfig keeps process-wide state; lookups are rare (start-up, tools).
std::mutex& fontconfigLock() {
    static std::mutex m;
    return m;
}

// The best match for a pattern: file and family; false when none.
bool matchFont(const std::string& pattern, std::string& file, std::string& matchedFamily) {
    std::lock_guard<std::mutex> guard(fontconfigLock());
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return false;
    bool found = false;
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    if (pat) {
        FcConfigSubstitute(config, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pat, &result);
        if (match) {
            FcChar8* path = nullptr;
            FcChar8* fam = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
                file = reinterpret_cast<const char*>(path);
                found = true;
            }
            if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
                matchedFamily = reinterpret_cast<const char*>(fam);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
    }
    FcConfigDestroy(config);
    return found;
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::unique_ptr<FontRasterizer> openFontRasterizer(const std::string& path, int pixelSize, std::string& error) {
    auto r = std::make_unique<FreeTypeRasterizer>();
    if (!r->open(path, pixelSize, error)) return nullptr;
    return r;
}

std::string findFontFile(const std::string& family) {
    std::string file, matched;
    if (!matchFont(family, file, matched)) return std::string();
    return file;
}

std::string defaultGlyphFontFile() {
    static const char* const usual = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (isRegularFile(usual)) return usual;
    std::string file, matched;
    if (matchFont("DejaVu Sans:style=Book", file, matched) && matched == "DejaVu Sans") return file;
    return std::string();
}

}  // namespace platform
