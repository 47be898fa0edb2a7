#include "object/SerialPlan.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <typeinfo>

#include "object/Packet.h"
#include "object/Property.h"
#include "object/PropertyArray.h"
#include "object/RPC.h"
#include "object/Replication.h"
#include "object/ZubBase.h"
#include "sys/Logger.h"
#include "util/Format.h"

static_assert(Packet::FLAG_NETWORK == 1 && Packet::FLAG_RAW_POINTERS == 2, "plan variants are indexed by flags & 3");

namespace {
std::recursive_mutex& planMutex() {
    static std::recursive_mutex m;
    return m;
}

// Plans live as long as the program: the class records point at them.
std::vector<std::unique_ptr<SerialPlan>>& allPlans() {
    static auto* plans = new std::vector<std::unique_ptr<SerialPlan>>;
    return *plans;
}

// The plans (or null: the property tree) of recently seen C++ types, so that
// finding an object's plan takes no virtual call. A type's answer never
// changes once its class's plan is made.
struct CachedPlan {
    const std::type_info* type = nullptr;
    const SerialPlan* plan = nullptr;
};
thread_local CachedPlan planCache[16];

CachedPlan& cachedPlan(const std::type_info* type) { return planCache[(reinterpret_cast<uintptr_t>(type) >> 4) & 15]; }

// The last type a pointer entry accepted for a required class: its objects
// need no walk up the class records.
struct AcceptedType {
    const std::type_info* type = nullptr;
    const RuntimeClass* required = nullptr;
};
thread_local AcceptedType lastAccepted;
}  // namespace

// Turns a property tree into plan entries; refuses (with the reason) what a
// plan cannot do.
class PlanBuilder {
public:
    PlanBuilder(SerialPlan& plan, const void* base, const void* object, size_t size)
        : plan(plan),
          base(reinterpret_cast<uintptr_t>(base)),
          begin(reinterpret_cast<uintptr_t>(object)),
          end(reinterpret_cast<uintptr_t>(object) + size) {}

    // The children of a group, in order; `excluded` holds the exclusion flags
    // of the group and its ancestors.
    bool walk(const Property* group, uint32_t excluded) {
        for (const ZubBase* c = group->firstChild; c; c = c->nextSibling) {
            const auto* prop = dynamic_cast<const Property*>(c);
            if (!prop) return refuse(u"a property group holds an object that is no property");
            if (!leaf(prop, excluded | (prop->flags & (PROP_NOT_NETWORK | PROP_NOT_COPY)))) return false;
        }
        return true;
    }

private:
    using Kind = SerialPlan::Kind;

    bool leaf(const Property* prop, uint32_t excluded) {
        // Every kind's serialize is final: the kind alone says what it writes.
        if (dynamic_cast<const PropertyRPCBase*>(prop)) return true;
        if (auto* q = dynamic_cast<const PropertyContainer*>(prop)) return walk(q, excluded);
        if (auto* q = dynamic_cast<const PropertyInt*>(prop))
            return value(prop, excluded, (q->flags & PROP_UNSIGNED) ? SerialPlan::UINT : SerialPlan::INT, q->field,
                         sizeof(int32_t));
        if (auto* q = dynamic_cast<const PropertySecureInt*>(prop))
            return value(prop, excluded, SerialPlan::INT, q->field, sizeof(int32_t));
        if (auto* q = dynamic_cast<const PropertyBool*>(prop)) {
            if (q->boolField) return value(prop, excluded, SerialPlan::BOOL, q->boolField, sizeof(bool));
            return value(prop, excluded, SerialPlan::BYTE_BOOL, q->byteField, sizeof(uint8_t));
        }
        if (auto* q = dynamic_cast<const PropertyFloat*>(prop))
            return value(prop, excluded, SerialPlan::FLOAT16, q->field, sizeof(float));
        if (auto* q = dynamic_cast<const PropertyDouble*>(prop))
            return value(prop, excluded, SerialPlan::DOUBLE, q->field, sizeof(double));
        if (auto* q = dynamic_cast<const PropertyUString*>(prop))
            return value(prop, excluded, SerialPlan::STRING, q->field, sizeof(WString), q->maxLength);
        if (auto* q = dynamic_cast<const PropertyDWORD*>(prop))
            return value(prop, excluded, SerialPlan::DWORD, q->field, sizeof(uint32_t));
        if (auto* q = dynamic_cast<const PropertyEnumBase*>(prop))
            return value(prop, excluded, SerialPlan::ENUM, q->field, sizeof(int32_t), q->count, detail(prop));
        if (auto* q = dynamic_cast<const PropertySubObject*>(prop)) {
            // The member's own body follows; a missing one could only be
            // an object-dependent declaration.
            if (!q->object) return refuse(formatString(u"sub-object '%s' is missing", prop->getName()));
            return value(prop, excluded, SerialPlan::SUB_OBJECT, q->object, sizeof(ZubBase));
        }
        if (auto* q = dynamic_cast<const PropertyPointer*>(prop))
            return value(prop, excluded, SerialPlan::POINTER, q->field, sizeof(void*), static_cast<int32_t>(q->flags),
                         detail(prop, q->required, q->getter, q->setter));
        if (auto* q = dynamic_cast<const PropertyReferenceBase*>(prop))
            return value(prop, excluded, SerialPlan::REFERENCE, q->field, sizeof(ZubBaseReference),
                         static_cast<int32_t>(q->flags), detail(prop, q->required));
        if (auto* q = dynamic_cast<const PropertyArray<float>*>(prop))
            return array(q, excluded, SerialPlan::FLOAT_ARRAY);
        if (auto* q = dynamic_cast<const PropertyArray<V3>*>(prop)) return array(q, excluded, SerialPlan::V3_ARRAY);
        return refuse(formatString(u"property '%s' is of a kind without a plan (%s)", prop->getName(),
                                   prop->getClass()->getName()));
    }

    template <class T>
    bool array(const PropertyArray<T>* q, uint32_t excluded, Kind kind) {
        int32_t countOffset = 0;
        if (!offsetOf(q, q->count, sizeof(int32_t), countOffset)) return false;
        return value(q, excluded, kind, q->array, sizeof(std::vector<T>), countOffset, detail(q));
    }

    bool value(const Property* prop, uint32_t excluded, Kind kind, const void* field, size_t size, int32_t aux = 0,
               uint32_t detailIndex = 0) {
        SerialPlan::Entry e{kind, 1, 0, aux, detailIndex};
        if (!offsetOf(prop, field, size, e.offset)) return false;
        for (uint32_t v = 0; v < 4; ++v) {
            const bool left = ((v & Packet::FLAG_NETWORK) && (excluded & PROP_NOT_NETWORK)) ||
                              ((v & Packet::FLAG_RAW_POINTERS) && (excluded & PROP_NOT_COPY));
            if (!left) plan.variants[v].entries.push_back(e);
        }
        return true;
    }

    // The field's offset from the object's address, when the whole field
    // lies inside the object.
    bool offsetOf(const Property* prop, const void* field, size_t size, int32_t& offset) {
        const uintptr_t f = reinterpret_cast<uintptr_t>(field);
        if (!field || f < begin || f > end || size > end - f)
            return refuse(formatString(u"property '%s' is bound to a field outside the object", prop->getName()));
        offset = static_cast<int32_t>(static_cast<intptr_t>(f - base));
        return true;
    }

    uint32_t detail(const Property* prop, const RuntimeClass* required = nullptr, ZubBase* (*get)(void*) = nullptr,
                    void (*set)(void*, ZubBase*) = nullptr) {
        plan.details.push_back({WString(prop->getName()), required, get, set});
        return static_cast<uint32_t>(plan.details.size() - 1);
    }

    bool refuse(WString why) {
        plan.reason = std::move(why);
        return false;
    }

    SerialPlan& plan;
    const uintptr_t base;
    const uintptr_t begin;
    const uintptr_t end;
};

void SerialPlan::mergeRuns(std::vector<Entry>& list) {
    // Neighbouring fields of one plain kind that lie side by side in the
    // object (the members of a vector, a state's timers) become one entry.
    auto elementSize = [](Kind k) -> int32_t {
        switch (k) {
            case INT:
            case UINT:
            case DWORD:
                return 4;
            case FLOAT16:
                return sizeof(float);
            case DOUBLE:
                return sizeof(double);
            default:
                return 0;
        }
    };
    std::vector<Entry> merged;
    for (const Entry& e : list) {
        if (!merged.empty()) {
            Entry& run = merged.back();
            const int32_t size = elementSize(e.kind);
            if (size && run.kind == e.kind && run.count < 255 && e.offset == run.offset + run.count * size) {
                ++run.count;
                continue;
            }
        }
        merged.push_back(e);
    }
    list.swap(merged);
}

int32_t SerialPlan::mostBytes(const std::vector<Entry>& list, bool reading) {
    // Text goes through the packet's own checks but may use up to its
    // longest encoding (a length and at most BUFFERSIZE - 1 bytes) of the room.
    int64_t n = 0;
    for (const Entry& e : list) {
        switch (e.kind) {
            case INT:
                n += (reading ? 6 : 5) * e.count;
                break;
            case UINT:
            case POINTER:
                n += 5 * e.count;
                break;
            case FLOAT16:
                n += 2 * e.count;
                break;
            case DOUBLE:
            case DWORD:
                n += 4 * e.count;
                break;
            case BOOL:
            case BYTE_BOOL:
                n += 1;
                break;
            case STRING:
                n += 5 + Packet::BUFFERSIZE;
                break;
            default:
                break;
        }
    }
    return static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
}

template <class T>
const SerialPlan* SerialPlan::make(T* o, const RuntimeClass* c) {
    std::lock_guard<std::recursive_mutex> lock(planMutex());
    if (const SerialPlan* done = c->plan.load(std::memory_order_acquire)) return done;
    auto plan = std::make_unique<SerialPlan>();
    bool vary = false;
    for (const RuntimeClass* r = c; r; r = r->parent) vary |= r->bPropertiesVary;
    if (vary) {
        plan->reason = u"its properties vary by object";
    } else {
        PropertyContainer root(u"", 0);
        o->addPropertiesTo(&root);
        PlanBuilder builder(*plan, o, dynamic_cast<const void*>(o), c->objectSize);
        plan->usable = builder.walk(&root, 0);
    }
    if (!plan->usable) {
        for (Variant& v : plan->variants) v.entries.clear();
        plan->details.clear();
        Logger::get().log(u"%s(): %s keeps its property tree: %s", "SerialPlan::make", c->getTypeName(), plan->reason);
    }
    for (Variant& v : plan->variants) {
        mergeRuns(v.entries);
        v.writeBytes = mostBytes(v.entries, false);
        v.readBytes = mostBytes(v.entries, true);
    }
    const SerialPlan* made = plan.get();
    allPlans().push_back(std::move(plan));
    c->plan.store(made, std::memory_order_release);
    return made;
}

template <class T>
const SerialPlan* SerialPlan::find(T* o) {
    const std::type_info* type = &typeid(*o);
    CachedPlan& cached = cachedPlan(type);
    if (cached.type == type) return cached.plan;
    const RuntimeClass* c = o->getClass();
    const SerialPlan* found = nullptr;
    // An object of a type that has no record of its own has an unknown size
    // and perhaps other properties than its class: it keeps its tree.
    if (c->cppType == type) {
        const SerialPlan* plan = c->plan.load(std::memory_order_acquire);
        if (!plan) plan = make(o, c);
        if (plan->usable) found = plan;
    }
    cached = {type, found};
    return found;
}

const SerialPlan* SerialPlan::of(ZubBase* o) { return find(o); }
const SerialPlan* SerialPlan::of(RPC* rpc) { return find(rpc); }

[[gnu::always_inline]] inline void SerialPlan::runInline(void* object, Packet& p) const {
    char* const base = static_cast<char*>(object);
    const Variant& v = variants[p.flags & 3];
    const Entry* e = v.entries.data();
    const Entry* const last = e + v.entries.size();
    // The fast loops stop at the first error or where the room runs short;
    // from there the entries run one by one through the packet's checked
    // paths. After a read error the remaining entries still run, as the
    // property tree's do: they read nothing, and fields that depend on each
    // other (a count and its array) stay consistent.
    while (e != last) {
        if (!p.failed()) {
            // Away from the end of the packet, no entry checks the room.
            const int room = static_cast<int>((p.buffer + (p.bWriting ? p.capacity : p.size)) - p.cursor);
            if (p.bWriting) e = room >= v.writeBytes ? write<false>(base, e, last, p) : write<true>(base, e, last, p);
            else e = room >= v.readBytes ? read<false>(base, e, last, p) : read<true>(base, e, last, p);
        }
        if (e == last) break;
        runEntry(*e++, base, p);
    }
}

void SerialPlan::run(void* object, Packet& p) const { runInline(object, p); }

void SerialPlan::serializeProperties(ZubBase* o, Packet& p) {
    if (const SerialPlan* plan = find(o)) plan->runInline(o, p);
    else serializeByTree(o, p);
}

void SerialPlan::serializeByTree(ZubBase* o, Packet& p) {
    PropertyContainer props(u"", 0);
    o->addPropertiesTo(&props);
    props.serialize(p);
}

void SerialPlan::serializeArguments(RPC* rpc, Packet& p) {
    if (const SerialPlan* plan = find(rpc)) {
        plan->run(rpc, p);
        return;
    }
    PropertyContainer args(u"", 0);
    rpc->addPropertiesTo(&args);
    args.serialize(p);
}

namespace {
template <class T>
T* fieldAt(char* base, int32_t offset) {
    return reinterpret_cast<T*>(base + offset);
}
}  // namespace

// Plain values are written at the packet's fast paths on a cursor kept in a
// register (each case first makes sure its longest encoding fits); text goes
// through the packet. Returns the first entry left for the checked paths.
template <bool Checked>
const SerialPlan::Entry* SerialPlan::write(char* base, const Entry* e, const Entry* last, Packet& p) const {
    using namespace packet_detail;
    uint8_t* c = p.cursor;
    uint8_t* const end = p.buffer + p.capacity;
    for (; e != last; ++e) {
        const int n = e->count;
        if (n < 1) __builtin_unreachable();  // plans hold one field or more per entry
        switch (e->kind) {
            case INT: {
                if (Checked && end - c < 5 * n) break;
                const int32_t* v = fieldAt<int32_t>(base, e->offset);
                for (int k = 0; k < n; ++k) c = putInt(c, v[k]);
                continue;
            }
            case UINT: {
                if (Checked && end - c < 5 * n) break;
                int32_t* v = fieldAt<int32_t>(base, e->offset);
                for (int k = 0; k < n; ++k) {
                    if (v[k] < 0) {  // refused by the packet
                        p.cursor = c;
                        for (; k < n; ++k) p.doUInt(v[k]);
                        return e + 1;
                    }
                    c = putVarint(c, static_cast<uint32_t>(v[k]));
                }
                continue;
            }
            case FLOAT16: {
                if (Checked && end - c < 2 * n) break;
                const float* v = fieldAt<float>(base, e->offset);
                for (int k = 0; k < n; ++k) c = putHalf(c, v[k]);
                continue;
            }
            case DOUBLE: {
                if (Checked && end - c < 4 * n) break;
                const double* v = fieldAt<double>(base, e->offset);
                for (int k = 0; k < n; ++k) c = putDouble(c, v[k]);
                continue;
            }
            case DWORD: {
                if (Checked && end - c < 4 * n) break;
                const uint32_t* v = fieldAt<uint32_t>(base, e->offset);
                for (int k = 0; k < n; ++k) c = put32(c, v[k]);
                continue;
            }
            case POINTER: {
                // Raw, resource and numbered references go through the packet.
                if ((Checked && end - c < 5) || e->aux != 0 || p.bOwnObjectReferences) break;
                const ZubBase* o = details[e->detail].get(base + e->offset);
                if (o && o->objectUID < 0) break;  // refused by the packet
                c = putVarint(c, o ? static_cast<uint32_t>(o->objectUID) : 0u);
                continue;
            }
            case BOOL:
            case BYTE_BOOL: {
                if (Checked && end - c < 1) break;
                // One bit of the current bit byte, or of a new one at the cursor.
                const bool v =
                    e->kind == BOOL ? *fieldAt<bool>(base, e->offset) : *fieldAt<uint8_t>(base, e->offset) != 0;
                p.bitMask = static_cast<uint8_t>(p.bitMask << 1);
                ++p.bitIndex;
                if (p.bitMask == 0) {
                    *c = 0;
                    p.bitByte = c++;
                    p.bitMask = 1;
                    p.bitIndex = 0;
                }
                if (v) *p.bitByte |= p.bitMask;
                continue;
            }
            case STRING:
                p.cursor = c;
                p.doUString(*fieldAt<WString>(base, e->offset), e->aux);
                c = p.cursor;
                if (p.failed()) return e + 1;
                continue;
            case ENUM:
            case SUB_OBJECT:
            case REFERENCE:
            case FLOAT_ARRAY:
            case V3_ARRAY:
                break;  // through the packet's checked paths
        }
        break;
    }
    p.cursor = c;
    return e;
}

template <bool Checked>
const SerialPlan::Entry* SerialPlan::read(char* base, const Entry* e, const Entry* last, Packet& p) const {
    using namespace packet_detail;
    const uint8_t* c = p.cursor;
    const uint8_t* const end = p.buffer + p.size;
    auto sync = [&] { p.cursor = p.buffer + (c - p.buffer); };
    for (; e != last; ++e) {
        const int n = e->count;
        if (n < 1) __builtin_unreachable();  // plans hold one field or more per entry
        switch (e->kind) {
            case INT: {
                if (Checked && end - c < 6 * n) break;
                int32_t* v = fieldAt<int32_t>(base, e->offset);
                for (int k = 0; k < n; ++k) {
                    if (!takeInt(c, v[k])) {  // bad data: the packet judges it
                        sync();
                        for (; k < n; ++k) p.doInt(v[k]);
                        return e + 1;
                    }
                }
                continue;
            }
            case UINT: {
                if (Checked && end - c < 5 * n) break;
                int32_t* v = fieldAt<int32_t>(base, e->offset);
                for (int k = 0; k < n; ++k) {
                    const uint8_t* at = c;
                    uint32_t u;
                    if (!takeVarint(at, u) || u > 0x7FFFFFFFu) {
                        sync();
                        for (; k < n; ++k) p.doUInt(v[k]);
                        return e + 1;
                    }
                    v[k] = static_cast<int32_t>(u);
                    c = at;
                }
                continue;
            }
            case FLOAT16: {
                if (Checked && end - c < 2 * n) break;
                float* v = fieldAt<float>(base, e->offset);
                for (int k = 0; k < n; ++k) v[k] = takeHalf(c);
                continue;
            }
            case DOUBLE: {
                if (Checked && end - c < 4 * n) break;
                double* v = fieldAt<double>(base, e->offset);
                for (int k = 0; k < n; ++k) v[k] = takeDouble(c);
                continue;
            }
            case DWORD: {
                if (Checked && end - c < 4 * n) break;
                uint32_t* v = fieldAt<uint32_t>(base, e->offset);
                for (int k = 0; k < n; ++k) v[k] = take32(c);
                continue;
            }
            case POINTER: {
                Replication* const role = Replication::current();
                if ((Checked && end - c < 5) || e->aux != 0 || p.bOwnObjectReferences || !role) break;
                const uint8_t* at = c;
                uint32_t uid;
                if (!takeVarint(at, uid) || uid > 0x7FFFFFFFu) break;
                ZubBase* o = nullptr;
                if (uid != 0) {
                    // An unknown object or one of another class: the
                    // packet's checked path reports it.
                    o = role->findObjectOrNull(static_cast<int32_t>(uid));
                    if (!o) break;
                    const RuntimeClass* required = details[e->detail].required;
                    const std::type_info* type = &typeid(*o);
                    if (required && (lastAccepted.type != type || lastAccepted.required != required)) {
                        if (!o->getClass()->isDerivedFrom(required)) break;
                        lastAccepted = {type, required};
                    }
                }
                details[e->detail].set(base + e->offset, o);
                c = at;
                continue;
            }
            case BOOL:
            case BYTE_BOOL: {
                if (Checked && end - c < 1) break;
                p.bitMask = static_cast<uint8_t>(p.bitMask << 1);
                ++p.bitIndex;
                if (p.bitMask == 0) {
                    p.bitByte = p.buffer + (c - p.buffer);
                    ++c;
                    p.bitMask = 1;
                    p.bitIndex = 0;
                }
                const bool v = (*p.bitByte & p.bitMask) != 0;
                if (e->kind == BOOL) *fieldAt<bool>(base, e->offset) = v;
                else *fieldAt<uint8_t>(base, e->offset) = v ? 1 : 0;
                continue;
            }
            case STRING:
                sync();
                p.doUString(*fieldAt<WString>(base, e->offset), e->aux);
                c = p.cursor;
                if (p.failed()) return e + 1;
                continue;
            case ENUM:
            case SUB_OBJECT:
            case REFERENCE:
            case FLOAT_ARRAY:
            case V3_ARRAY:
                break;  // through the packet's checked paths
        }
        break;
    }
    sync();
    return e;
}

void SerialPlan::runEntry(const Entry& e, char* base, Packet& p) const {
    void* const f = base + e.offset;
    switch (e.kind) {
        case INT:
            for (int k = 0; k < e.count; ++k) p.doInt(static_cast<int32_t*>(f)[k]);
            break;
        case UINT:
            for (int k = 0; k < e.count; ++k) p.doUInt(static_cast<int32_t*>(f)[k]);
            break;
        case FLOAT16:
            for (int k = 0; k < e.count; ++k) p.doFloat16(static_cast<float*>(f)[k]);
            break;
        case DOUBLE:
            for (int k = 0; k < e.count; ++k) p.doDouble(static_cast<double*>(f)[k]);
            break;
        case DWORD:
            for (int k = 0; k < e.count; ++k) p.doDWORD(static_cast<uint32_t*>(f)[k]);
            break;
        case BOOL:
            p.doBool(*static_cast<bool*>(f));
            break;
        case BYTE_BOOL:
            p.doBool(*static_cast<uint8_t*>(f));
            break;
        case STRING:
            p.doUString(*static_cast<WString*>(f), e.aux);
            break;
        case ENUM:
            property_codec::enumValue(p, *static_cast<int32_t*>(f), e.aux, details[e.detail].name);
            break;
        case SUB_OBJECT:
            property_codec::subObject(p, static_cast<ZubBase*>(f));
            break;
        case POINTER: {
            const Detail& d = details[e.detail];
            property_codec::pointer(p, f, static_cast<uint32_t>(e.aux), d.required, d.get, d.set, d.name);
            break;
        }
        case REFERENCE: {
            const Detail& d = details[e.detail];
            property_codec::reference(p, *static_cast<ZubBaseReference*>(f), static_cast<uint32_t>(e.aux), d.required,
                                      d.name);
            break;
        }
        case FLOAT_ARRAY:
            PropertyArrayBase::serializeElements(p, *static_cast<std::vector<float>*>(f),
                                                 *reinterpret_cast<int32_t*>(base + e.aux), details[e.detail].name);
            break;
        case V3_ARRAY:
            PropertyArrayBase::serializeElements(p, *static_cast<std::vector<V3>*>(f),
                                                 *reinterpret_cast<int32_t*>(base + e.aux), details[e.detail].name);
            break;
    }
}
