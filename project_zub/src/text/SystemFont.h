#pragma once
// The system font: any Unicode text drawn from an installed outline font
// found by its family name ("Arial" finds a metric-compatible font). It
// serves the console and the atlas fonts' text flag 0x200 (typed player
// names, which may hold characters no glyph page has).
//
// Strings are rendered whole into textures (white, the coverage in the
// alpha), at a line height in design units (one texel per unit), and kept in
// a cache of the most recently drawn strings. Measuring uses the face's pen
// advances, so a string measures the same as it is laid out.
//
// The engine makes one system font after graphics and audio; active() is the
// most recently made one that is still alive.
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "util/WString.h"

class Texture;
namespace platform {
class FontRasterizer;
}

class SystemFont {
public:
    static constexpr size_t CAPACITY = 128;  // strings kept as textures

    // The family is looked up when the font is first used (asked whether it
    // is open, or to measure or draw): the lookup reads the system's whole
    // font configuration, several milliseconds, and most runs draw no
    // system-font text. A font that cannot be found or opened leaves the
    // system font closed (logged), and flag 0x200 then draws with the atlas
    // font itself.
    // With a memo path, the lookup's answer is kept there for the next run
    // (see platform::findFontFile).
    explicit SystemFont(std::u16string_view family = u"Arial", std::string memoPath = std::string());
    ~SystemFont();
    SystemFont(const SystemFont&) = delete;
    SystemFont& operator=(const SystemFont&) = delete;

    static SystemFont* active();

    bool isOpen() const {
        if (!bLookedUp) lookUp();
        return !file.empty();
    }

    // A string rendered at a line height: its texture and the texture
    // coordinates of the string's rectangle (width x height design units).
    struct Image {
        Texture* texture = nullptr;  // owned by the cache
        float width = 0, height = 0;
        float u1 = 1, v1 = 1;  // right and bottom texture coordinates (left and top are 0)
    };
    // Null when closed, for an empty string or a line height below 1. The
    // image stays valid until CAPACITY other strings have been rendered.
    const Image* render(std::u16string_view text, int lineHeight);

    // The pen advance of a string (sum of its characters' advances) in
    // design units; 0 when closed.
    float measure(std::u16string_view text, int lineHeight);

    // Where the letters of a string rendered at a line height stand: the
    // row under the ink of an 'H', counted from the top of the string's
    // image (its baseline as drawn); 0 when closed.
    int letterBottom(int lineHeight);

    // Whether the face has a glyph of its own for the character (render
    // leaves out characters it has none for); false when closed.
    bool hasGlyph(char32_t code);

    // Forgets every rendered string.
    void clear();
    size_t cachedStrings() const { return images.size(); }

    WString family;
    // The font file found for the family (empty: closed).
    const std::string& fileName() const {
        isOpen();
        return file;
    }
    // Whether the family has been looked up yet.
    bool lookedUp() const { return bLookedUp; }

private:
    void lookUp() const;

    platform::FontRasterizer* face(int lineHeight);
    int advanceOf(platform::FontRasterizer& f, int lineHeight, char32_t code);

    struct Node {
        WString text;
        int lineHeight = 0;
        Image image;
    };
    struct KeyHash {
        size_t operator()(const std::pair<WString, int>& k) const;
    };
    std::map<int, std::unique_ptr<platform::FontRasterizer>> faces;  // by line height
    std::unordered_map<uint64_t, int> advances;                      // (line height, code) -> pixels
    std::map<int, int> letterBottoms;                                // by line height
    std::list<Node> order;                                           // most recent first
    std::unordered_map<std::pair<WString, int>, std::list<Node>::iterator, KeyHash> images;
    SystemFont* previous;
    std::string memo;
    mutable std::string file;
    mutable bool bLookedUp = false;
};
