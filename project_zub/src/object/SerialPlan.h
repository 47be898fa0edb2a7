#pragma once
// Serialisation plans: a class's declared properties as a flat list of field
// encodings, so that writing or reading an object's body (or a remote call's
// arguments) builds no property objects.
//
// A class's plan is made once, from the first object of the class that
// serialises: its addPropertiesTo builds the property tree, and every leaf
// becomes an entry (kind, offset of the field from the object, the kind's
// data) in declaration order. Groups flatten into their leaves, action rows
// write nothing, and an embedded sub-object is an entry that writes the
// member's own body. The editor's property objects and the plan so come from
// one declaration, and every class gets its plan without code of its own.
//
// The rule a plan relies on: addPropertiesTo declares the same list, bound to
// the same fields, for every object of a class; nothing it declares may
// depend on the object's values or on outside state. A class that needs such
// declarations says so with ZUB_PROPERTIES_VARY(Class) beside its
// registration; it and the classes derived from it then build their property
// trees every time, as do classes with a field outside the object (a member
// of another object, a global), a property of a kind the plan does not know,
// or an object whose C++ type registered no class record of its own (its
// size is then unknown).
#include <cstdint>
#include <vector>

#include "util/WString.h"

class Packet;
class Property;
class RPC;
class RuntimeClass;
class ZubBase;

class SerialPlan {
public:
    // Writes or reads the object's properties: through its class's plan, or
    // through its property tree where the class has none.
    static void serializeProperties(ZubBase* o, Packet& p);
    // The same for a remote call's arguments (after its target).
    static void serializeArguments(RPC* rpc, Packet& p);
    // The properties through a property tree built for the call, as the
    // editor's objects do.
    static void serializeByTree(ZubBase* o, Packet& p);

    // The plan that serialises the object (made on first use), or null when
    // the object serialises through its property tree.
    static const SerialPlan* of(ZubBase* o);
    static const SerialPlan* of(RPC* rpc);

    // Writes or reads the object's fields as the plan lists them; `object`
    // is the address the plan was made from (the ZubBase or RPC pointer).
    void run(void* object, Packet& p) const;
    // Why the class keeps its property tree; empty when the plan is used.
    const WString& fallbackReason() const { return reason; }

    enum Kind : uint8_t {
        INT,
        UINT,
        BOOL,
        BYTE_BOOL,
        FLOAT16,
        DOUBLE,
        DWORD,
        STRING,
        ENUM,
        SUB_OBJECT,
        POINTER,
        REFERENCE,
        FLOAT_ARRAY,
        V3_ARRAY,
    };
    struct Entry {
        Kind kind;
        uint8_t count;    // plain kinds: fields of the kind side by side from the offset
        int32_t offset;   // of the field from the object
        int32_t aux;      // string: max length; enum: count; pointer: flags; array: offset of the count
        uint32_t detail;  // into details (enums, pointers, references, arrays)
    };
    // What the kinds that check what they read need: the property's name for
    // error texts, the required class, a pointer's accessors.
    struct Detail {
        WString name;
        const RuntimeClass* required = nullptr;
        ZubBase* (*get)(void*) = nullptr;
        void (*set)(void*, ZubBase*) = nullptr;
    };

private:
    friend class PlanBuilder;
    template <class T>
    static const SerialPlan* find(T* o);
    template <class T>
    static const SerialPlan* make(T* o, const RuntimeClass* c);
    // The fast loops; Checked: each entry first makes sure its encoding
    // fits, otherwise the room for the whole object was made sure of.
    template <bool Checked>
    const Entry* write(char* base, const Entry* e, const Entry* last, Packet& p) const;
    template <bool Checked>
    const Entry* read(char* base, const Entry* e, const Entry* last, Packet& p) const;
    void runInline(void* object, Packet& p) const;
    void runEntry(const Entry& e, char* base, Packet& p) const;
    static void mergeRuns(std::vector<Entry>& list);
    static int32_t mostBytes(const std::vector<Entry>& list, bool reading);

    bool usable = false;
    WString reason;
    // Entries for packets with and without FLAG_NETWORK and FLAG_RAW_POINTERS
    // (indexed by those two flag bits), each without the properties such
    // packets leave out, and the most bytes their fast loops can write and read.
    struct Variant {
        std::vector<Entry> entries;
        int32_t writeBytes = 0;
        int32_t readBytes = 0;
    };
    Variant variants[4];
    std::vector<Detail> details;
};
