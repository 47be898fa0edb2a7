#pragma once
// Arrays of floats or vectors whose element count lives in an integer field
// of the same object, declared (and so serialised) before the array.
#include <cstdint>
#include <vector>

#include "object/Packet.h"
#include "object/Property.h"
#include "util/Format.h"
#include "util/Math.h"

class PropertyArrayBase : public Property {
    ZUB_DECLARE_CLASS(PropertyArrayBase)
public:
    // The largest element count a packet may set.
    static constexpr int32_t MAX_COUNT = 65536;

    template <class N>
    PropertyArrayBase(N name, uint32_t flags, int32_t* count) : Property(name, flags), count(count) {}
    WString toString() const override { return formatString(u"[%d]", *count); }

    // Writes or reads the elements of an array whose count field was written
    // or read before it.
    template <class T>
    static void serializeElements(Packet& p, std::vector<T>& array, int32_t& count, std::u16string_view name);

    int32_t* count;

private:
    // The element count for reading: checked against the limit and against
    // the bytes left, so a bad count never allocates more than the packet holds.
    static bool readableCount(Packet& p, int32_t count, int bytesPerElement, std::u16string_view name);
    static void element(Packet& p, float& v) { p.doFloat16(v); }
    static void element(Packet& p, V3& v) {
        p.doFloat16(v.x);
        p.doFloat16(v.y);
        p.doFloat16(v.z);
    }
};

template <class T>
class PropertyArray : public PropertyArrayBase {
public:
    template <class N>
    PropertyArray(N name, uint32_t flags, std::vector<T>* array, int32_t* count)
        : PropertyArrayBase(name, flags, count), array(array) {}

    void serialize(Packet& p) final { serializeElements(p, *array, *count, getName()); }

    std::vector<T>* array;
};

template <class T>
void PropertyArrayBase::serializeElements(Packet& p, std::vector<T>& array, int32_t& count, std::u16string_view name) {
    if (p.bWriting) {
        // The count field is what the reader trusts: write exactly that many.
        const int32_t n = count < 0 ? 0 : count;
        for (int32_t i = 0; i < n && !p.failed(); ++i) {
            T v = i < static_cast<int32_t>(array.size()) ? array[i] : T{};
            element(p, v);
        }
        return;
    }
    if (!readableCount(p, count, std::is_same_v<T, V3> ? 6 : 2, name)) {
        // Keep the count and every array sized by it in step for whoever
        // indexes them later.
        if (count >= 0 && count <= MAX_COUNT) {
            array.assign(count, T{});
        } else {
            count = 0;
            array.clear();
        }
        return;
    }
    array.assign(count, T{});
    for (int32_t i = 0; i < count && !p.failed(); ++i) element(p, array[i]);
}
