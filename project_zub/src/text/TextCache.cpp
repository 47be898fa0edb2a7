#include "text/TextCache.h"

#include <cstring>
#include <functional>

bool TextCache::bEnabled = true;

TextCache::TextCache(std::u16string_view n, bool flag) : name(n), bFlag(flag) {}

TextCache::~TextCache() = default;

size_t TextCache::KeyHash::operator()(const Key& k) const {
    size_t h = std::hash<std::u16string>()(k.text);
    h ^= static_cast<size_t>(k.flags) * 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h ^= static_cast<size_t>(k.scaleBits) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    return h;
}

TextCache::Key TextCache::makeKey(std::u16string_view text, int flags, float scale) {
    Key k;
    k.text.assign(text);
    k.flags = flags;
    std::memcpy(&k.scaleBits, &scale, sizeof k.scaleBits);
    return k;
}

TextCache::Entry* TextCache::find(std::u16string_view text, int flags, float scale) {
    auto it = entries.find(makeKey(text, flags, scale));
    if (it == entries.end()) {
        ++misses;
        return nullptr;
    }
    ++hits;
    order.splice(order.begin(), order, it->second);
    return it->second->entry.get();
}

TextCache::Entry* TextCache::insert(std::u16string_view text, int flags, float scale, TextLayout&& layout) {
    Key key = makeKey(text, flags, scale);
    auto found = entries.find(key);
    if (found != entries.end()) {
        order.erase(found->second);
        entries.erase(found);
    }
    while (entries.size() >= capacity() && !order.empty()) {
        entries.erase(order.back().key);
        order.pop_back();
    }
    Node node;
    node.key = key;
    node.entry = std::make_unique<Entry>();
    node.entry->layout = std::move(layout);
    order.push_front(std::move(node));
    entries.emplace(std::move(key), order.begin());
    return order.front().entry.get();
}

void TextCache::clear() {
    entries.clear();
    order.clear();
}
