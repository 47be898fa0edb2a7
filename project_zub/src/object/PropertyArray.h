#pragma once
// Arrays of floats or vectors whose element count lives in an integer field
// of the same object, declared (and so serialised) before the array.
#include <cstdint>
#include <vector>

#include "net/Packet.h"
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

    int32_t* count;

protected:
    // The element count for reading: checked against the limit and against
    // the bytes left, so a bad count never allocates more than the packet holds.
    bool readableCount(Packet& p, int bytesPerElement) const;
};

template <class T>
class PropertyArray : public PropertyArrayBase {
public:
    template <class N>
    PropertyArray(N name, uint32_t flags, std::vector<T>* array, int32_t* count)
        : PropertyArrayBase(name, flags, count), array(array) {}

    void serialize(Packet& p) override {
        if (p.bWriting) {
            // The count field is what the reader trusts: write exactly that many.
            const int32_t n = *count < 0 ? 0 : *count;
            for (int32_t i = 0; i < n && !p.failed(); ++i) {
                T v = i < static_cast<int32_t>(array->size()) ? (*array)[i] : T{};
                doElement(p, v);
            }
            return;
        }
        if (!readableCount(p, elementBytes())) {
            // Keep the count and every array sized by it in step for whoever
            // indexes them later.
            if (*count >= 0 && *count <= MAX_COUNT) {
                array->assign(*count, T{});
            } else {
                *count = 0;
                array->clear();
            }
            return;
        }
        array->assign(*count, T{});
        for (int32_t i = 0; i < *count && !p.failed(); ++i) doElement(p, (*array)[i]);
    }

    std::vector<T>* array;

private:
    static constexpr int elementBytes() { return std::is_same_v<T, V3> ? 6 : 2; }
    static void doElement(Packet& p, float& v) { p.doFloat16(v); }
    static void doElement(Packet& p, V3& v) {
        p.doFloat16(v.x);
        p.doFloat16(v.y);
        p.doFloat16(v.z);
    }
};
