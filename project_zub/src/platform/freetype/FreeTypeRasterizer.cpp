// FontRasterizer on FreeType; family lookups through fontconfig.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FontRasterizer.h"
#include "platform/PlatformSystem.h"

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

std::atomic<int> configurationReads{0};

// The best match for a pattern: file and family; false when none.
bool matchFont(const std::string& pattern, std::string& file, std::string& matchedFamily) {
    std::lock_guard<std::mutex> guard(fontconfigLock());
    ++configurationReads;
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

int fontConfigurationReads() { return configurationReads.load(); }

namespace {

// What a remembered lookup depends on: the font file itself, and whatever a
// change to the installed fonts or to their configuration touches (the
// configuration files and folders, fontconfig's caches, which its tools
// rewrite when fonts come or go, and the usual font folders).
std::string fontStateKey(const std::string& fontFile) {
    const std::string home = getEnvironment("HOME");
    std::string configHome = getEnvironment("XDG_CONFIG_HOME");
    if (configHome.empty() && !home.empty()) configHome = home + "/.config";
    std::string cacheHome = getEnvironment("XDG_CACHE_HOME");
    if (cacheHome.empty() && !home.empty()) cacheHome = home + "/.cache";
    std::string dataHome = getEnvironment("XDG_DATA_HOME");
    if (dataHome.empty() && !home.empty()) dataHome = home + "/.local/share";
    std::vector<std::string> paths = {
        fontFile,           "/etc/fonts/fonts.conf", "/etc/fonts/conf.d", "/var/cache/fontconfig",
        "/usr/share/fonts", "/usr/local/share/fonts"};
    for (const char* variable : {"FONTCONFIG_FILE", "FONTCONFIG_PATH"}) paths.push_back(getEnvironment(variable));
    if (!configHome.empty()) paths.push_back(configHome + "/fontconfig");
    if (!cacheHome.empty()) paths.push_back(cacheHome + "/fontconfig");
    if (!dataHome.empty()) paths.push_back(dataHome + "/fonts");
    if (!home.empty()) paths.push_back(home + "/.fonts");
    std::string key;
    for (const std::string& path : paths) {
        FileStamp st;
        key += path;
        if (!path.empty() && fileStamp(path, st))
            key += ':' + std::to_string(st.device) + ':' + std::to_string(st.inode) + ':' + std::to_string(st.size) +
                   ':' + std::to_string(st.modifiedNs) + ':' + std::to_string(st.changedNs);
        key += ';';
    }
    return key;
}

// The memo file: a first line naming the format, then three lines per
// family: the family, the file found for it, and the state key then.
constexpr const char* kMemoHeader = "font lookups 1";

std::vector<std::string> memoLines(const std::string& memoPath) {
    std::string text;
    std::vector<std::string> lines;
    if (memoPath.empty() || !readWholeFile(memoPath, text, 1 << 16)) return lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (lines.empty() || lines[0] != kMemoHeader || (lines.size() - 1) % 3 != 0) lines.clear();
    return lines;
}

}  // namespace

std::string findFontFile(const std::string& family, const std::string& memoPath) {
    if (memoPath.empty() || family.find('\n') != std::string::npos) return findFontFile(family);
    std::vector<std::string> lines = memoLines(memoPath);
    for (size_t i = 1; i + 2 < lines.size(); i += 3) {
        if (lines[i] != family) continue;
        if (!lines[i + 1].empty() && isRegularFile(lines[i + 1]) && lines[i + 2] == fontStateKey(lines[i + 1]))
            return lines[i + 1];
        break;
    }
    const std::string file = findFontFile(family);
    if (file.empty() || memoPath.empty() || file.find('\n') != std::string::npos) return file;
    // Rewritten with this family's answer in place of its old one.
    std::string text = std::string(kMemoHeader) + '\n';
    for (size_t i = 1; i + 2 < lines.size(); i += 3)
        if (lines[i] != family) text += lines[i] + '\n' + lines[i + 1] + '\n' + lines[i + 2] + '\n';
    text += family + '\n' + file + '\n' + fontStateKey(file) + '\n';
    writeFileAtomically(memoPath, text);
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
