#pragma once
// The text cache of an atlas font: texts already laid out, with their vertex
// buffers. A text drawn again in the same colour is drawn from its buffer
// without laying it out or uploading it again. The cache is an optimisation
// only: a font draws the same with or without it.
//
// A cache is named after its font and pixel height ("%s%dpx"). Its flag
// chooses its size: with the flag it keeps up to 1024 texts (menus, HUD
// labels drawn every frame), without it 64; the least recently drawn text
// goes first when it is full.
//
// bEnabled is the graphics-wide switch; while it is off no font draws through
// its cache.
#include <cstdint>
#include <list>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "gfx/VertexBuffer.h"
#include "text/TextLayout.h"
#include "util/WString.h"

class TextCache {
public:
    static constexpr size_t LARGE = 1024;
    static constexpr size_t SMALL = 64;

    TextCache(std::u16string_view name, bool flag);
    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    struct Entry {
        TextLayout layout;
        // 0: the text pass, 1: the shadow pass; each refilled when its colour changes.
        VertexBuffer buffers[2];
        uint32_t bakedColour[2] = {0, 0};
        bool baked[2] = {false, false};
    };

    // The entry of a text drawn with these layout flags and this scale, made
    // the most recent; null when absent.
    Entry* find(std::u16string_view text, int flags, float scale);
    // Adds an entry (dropping the least recent one when full) and returns it.
    Entry* insert(std::u16string_view text, int flags, float scale, TextLayout&& layout);
    void clear();

    size_t size() const { return entries.size(); }
    size_t capacity() const { return bFlag ? LARGE : SMALL; }

    static bool bEnabled;

    WString name;
    bool bFlag = false;
    uint64_t hits = 0, misses = 0;

private:
    struct Key {
        WString text;
        int flags = 0;
        uint32_t scaleBits = 0;
        bool operator==(const Key& o) const { return flags == o.flags && scaleBits == o.scaleBits && text == o.text; }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };
    struct Node {
        Key key;
        std::unique_ptr<Entry> entry;
    };
    static Key makeKey(std::u16string_view text, int flags, float scale);

    std::list<Node> order;  // most recent first
    std::unordered_map<Key, std::list<Node>::iterator, KeyHash> entries;
};
