#pragma once
// Properties: named, typed descriptors of an object's fields. An object
// declares them in addPropertiesTo; they write and read their field in a
// packet (level files, replication, editor copies), print and parse it (the
// editor), and each kind has its own class record so the editor can tell
// them apart.
//
// Object bodies are written and read through serialisation plans made from
// the same declarations (SerialPlan.h). A kind's packet encoding is therefore
// fixed: serialize is final in every kind, and the plan calls the same
// encodings (the Packet values and property_codec below).
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "object/ZubBase.h"
#include "util/Math.h"
#include "util/WString.h"

class Packet;
class RPC;
class PlanBuilder;

enum PropertyFlags : uint32_t {
    PROP_ARGUMENT = 0x04,       // an unnamed remote-call argument
    PROP_READONLY = 0x08,       // shown but not editable in the editor
    PROP_EDITOR_HIDDEN = 0x10,  // not listed by the editor; an action row lets its key go on after the call
    PROP_RESOURCE = 0x20,       // a pointer that names a skin resource and travels by name
    PROP_UNSIGNED = 0x40,       // an integer that travels unsigned
    PROP_HIDDEN = 0x80,         // not listed by the editor
    PROP_RAW_POINTER = 0x100,   // a pointer that stays a raw address in in-process copies
    PROP_NOT_NETWORK = 0x200,   // left out of network packets and level files
    PROP_NOT_COPY = 0x400,      // left out of in-process copies
};

class Property : public ZubBase {
    ZUB_DECLARE_CLASS(Property)
public:
    // `name` must outlive the property (a literal); use the WString form otherwise.
    Property(const char16_t* name, uint32_t flags) : flags(flags), nameRef(name) {}
    Property(WString name, uint32_t flags) : flags(flags), ownedName(std::move(name)), nameRef(nullptr) {}

    std::u16string_view getName() const { return nameRef ? std::u16string_view(nameRef) : ownedName; }

    // Objects serialise by building their property trees on the fly, many
    // thousands per network step: properties come from a recycling pool.
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size);

    // Writes or reads the field in the packet.
    virtual void serialize(Packet& p) { (void)p; }
    // The value as text.
    virtual WString toString() const { return {}; }
    // The one reader of a value's text form, for level descriptions, the
    // level editor's boxes and fromString: sets the value and returns true,
    // or leaves it as it was and returns false with `why` (when given) saying
    // what the property takes ("a whole number", "yes or no"). Surrounding
    // blanks are ignored except in text; kinds without a text form refuse
    // every text.
    virtual bool readText(std::u16string_view text, WString* why = nullptr);
    // Whether readText can set the kind at all.
    virtual bool hasTextForm() const { return false; }
    // readText without the reason, except that blank text clears the value
    // (0, No, null, the first choice: the editor's Delete) and a text longer
    // than its property holds is cut to length.
    virtual void fromString(std::u16string_view text);
    // Pointer and reference kinds: points the field at the object when its
    // class fits. Returns whether it was taken.
    virtual bool setObject(ZubBase* o) {
        (void)o;
        return false;
    }
    // Action kinds: the remote call they hold.
    virtual RPC* getRPC() { return nullptr; }

    // Whether the packet's kind leaves this property out.
    bool isExcludedFrom(const Packet& p) const;
    // Destroys each child whose flags share a bit with the mask, then recurses
    // into the others.
    void deleteChildrenByFlags(uint32_t mask);
    // Appends a child property and returns it.
    template <class P>
    P* add(P* child) {
        addChild(child);
        return child;
    }
    // The same with what the property does, in one line (a level's
    // designer reads it in the builder's class reference).
    template <class P>
    P* add(P* child, const char* meaning) {
        child->meaning = meaning;
        addChild(child);
        return child;
    }
    // The n-th child property (declaration order), or null.
    Property* child(int n) const;
    // The child property with that name, or null.
    Property* findChild(std::u16string_view name) const;

    // Sets the value that blank text stands for in fromString; false for
    // the kinds that read blank text like any other.
    virtual bool clear() { return false; }

    uint32_t flags;
    // What the property does, one line of UTF-8 text; null when its
    // declaration gives none.
    const char* meaning = nullptr;

private:
    WString ownedName;
    const char16_t* nameRef;
};

class PropertyContainer : public Property {
    ZUB_DECLARE_CLASS(PropertyContainer)
public:
    using Property::Property;
    void serialize(Packet& p) final;
};

class PropertyInt : public Property {
    ZUB_DECLARE_CLASS(PropertyInt)
public:
    template <class N>
    PropertyInt(N name, uint32_t flags, int32_t* field) : Property(name, flags), field(field) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    int32_t* field;
};

class PropertySecureInt : public Property {
    ZUB_DECLARE_CLASS(PropertySecureInt)
public:
    template <class N>
    PropertySecureInt(N name, uint32_t flags, int32_t* field) : Property(name, flags), field(field) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    int32_t* field;
};

class PropertyBool : public Property {
    ZUB_DECLARE_CLASS(PropertyBool)
public:
    template <class N>
    PropertyBool(N name, uint32_t flags, bool* field) : Property(name, flags), boolField(field) {}
    template <class N>
    PropertyBool(N name, uint32_t flags, uint8_t* field) : Property(name, flags), byteField(field) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    bool get() const { return boolField ? *boolField : (*byteField != 0); }
    void set(bool v);

private:
    friend class PlanBuilder;  // reads the bound field for the serialisation plan
    bool* boolField = nullptr;
    uint8_t* byteField = nullptr;
};

class PropertyFloat : public Property {
    ZUB_DECLARE_CLASS(PropertyFloat)
public:
    template <class N>
    PropertyFloat(N name, uint32_t flags, float* field) : Property(name, flags), field(field) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    float* field;
};

class PropertyDouble : public Property {
    ZUB_DECLARE_CLASS(PropertyDouble)
public:
    template <class N>
    PropertyDouble(N name, uint32_t flags, double* field) : Property(name, flags), field(field) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    double* field;
};

class PropertyUString : public Property {
    ZUB_DECLARE_CLASS(PropertyUString)
public:
    template <class N>
    PropertyUString(N name, uint32_t flags, WString* field, int maxLength = -1)
        : Property(name, flags), field(field), maxLength(maxLength) {}
    void serialize(Packet& p) final;
    WString toString() const override { return *field; }
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    void fromString(std::u16string_view text) override;
    WString* field;
    int maxLength;
};

class PropertyDWORD : public Property {
    ZUB_DECLARE_CLASS(PropertyDWORD)
public:
    template <class N>
    PropertyDWORD(N name, uint32_t flags, uint32_t* field) : Property(name, flags), field(field) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    uint32_t* field;
};

// An ARGB colour.
class PropertyUColor : public PropertyDWORD {
    ZUB_DECLARE_CLASS(PropertyUColor)
public:
    using PropertyDWORD::PropertyDWORD;
};

// An integer with a fixed number of values, shown by name when a table of
// names is given. Values outside the range are refused when read or parsed.
class PropertyEnumBase : public Property {
    ZUB_DECLARE_CLASS(PropertyEnumBase)
public:
    template <class N>
    PropertyEnumBase(N name, uint32_t flags, int32_t* field, int count, const char16_t* const* names = nullptr)
        : Property(name, flags), field(field), count(count), names(names) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    int32_t* field;
    int count;
    const char16_t* const* names;
};
using PropertyEnum = PropertyEnumBase;

// A prototype object of a class, made with the class's create function, and
// its properties; the editor places it into the level.
class PropertyClass : public PropertyContainer {
    ZUB_DECLARE_CLASS(PropertyClass)
public:
    PropertyClass(uint32_t flags, const RuntimeClass* cls, WString name);
    ~PropertyClass() override;
    WString toString() const override { return cls ? cls->getName() : WString(); }
    // Hands the prototype over to the caller (the property no longer owns it).
    ZubBase* takePrototype();
    ZubBase* getPrototype() const { return prototype; }
    const RuntimeClass* cls;

private:
    ZubBase* prototype = nullptr;
};

// An object held inside another (by value or as a child holder); its body is
// written inline.
class PropertySubObject : public Property {
    ZUB_DECLARE_CLASS(PropertySubObject)
public:
    template <class N>
    PropertySubObject(N name, uint32_t flags, ZubBase* object) : Property(name, flags), object(object) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    ZubBase* object;
};

// A pointer to an object of a required class (or a resource with
// PROP_RESOURCE). The field is reached through accessors so that any
// ZubBase-derived pointer type can be bound.
class PropertyPointer : public Property {
    ZUB_DECLARE_CLASS(PropertyPointer)
public:
    template <class N, class T>
    PropertyPointer(N name, uint32_t flags, T** field, const RuntimeClass* required)
        : Property(name, flags), field(field), required(required) {
        static_assert(std::is_base_of_v<ZubBase, T>);
        getter = [](void* f) -> ZubBase* { return *static_cast<T**>(f); };
        setter = [](void* f, ZubBase* o) { *static_cast<T**>(f) = static_cast<T*>(o); };
    }
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    bool setObject(ZubBase* o) override;
    ZubBase* get() const { return getter(field); }
    bool accepts(const ZubBase* o) const;

    void* field;
    const RuntimeClass* required;

private:
    friend class PlanBuilder;  // reads the bound field for the serialisation plan
    ZubBase* (*getter)(void*);
    void (*setter)(void*, ZubBase*);
};

class PropertyReferenceBase : public Property {
    ZUB_DECLARE_CLASS(PropertyReferenceBase)
public:
    template <class N>
    PropertyReferenceBase(N name, uint32_t flags, ZubBaseReference* field, const RuntimeClass* required)
        : Property(name, flags), field(field), required(required) {}
    void serialize(Packet& p) final;
    WString toString() const override;
    bool readText(std::u16string_view text, WString* why = nullptr) override;
    bool hasTextForm() const override { return true; }
    bool clear() override;
    bool setObject(ZubBase* o) override;
    bool accepts(const ZubBase* o) const;
    ZubBaseReference* field;
    const RuntimeClass* required;
};
using PropertyReference = PropertyReferenceBase;

// An action: a button in the editor that fires a remote call. Its children
// are the call's arguments.
class PropertyRPCBase : public Property {
    ZUB_DECLARE_CLASS(PropertyRPCBase)
public:
    using Property::Property;
    // An action is no value: it writes nothing, not even its arguments.
    void serialize(Packet& p) final { (void)p; }
};

// An action holding one call of class R, aimed at the target and meant for
// the server and the clients.
template <class R>
class PropertyRPC : public PropertyRPCBase {
public:
    template <class N>
    PropertyRPC(N name, uint32_t flags, ZubBase* target) : PropertyRPCBase(name, flags) {
        rpc.onServer = true;
        rpc.onClients = true;
        rpc.clientCallable = false;
        rpc.target = target;
        rpc.addPropertiesTo(this);
    }
    RPC* getRPC() override { return &rpc; }
    R rpc;
};

// An unnamed 32-bit remote-call argument.
PropertyDWORD* addPropertyDWORD(Property* container, uint32_t* field);
// A vector as the group "name" with the floats "x", "y" and "z" (and what
// it does, in one line).
PropertyContainer* addPropertyV3(Property* container, const char16_t* name, uint32_t flags, V3* v,
                                 const char* meaning = nullptr);

// The packet encodings of the kinds that are more than one Packet value;
// the properties and the serialisation plans both use them. `name` names the
// property in error texts.
namespace property_codec {
void enumValue(Packet& p, int32_t& field, int count, std::u16string_view name);
// An embedded object's body, one nesting level deeper.
void subObject(Packet& p, ZubBase* object);
// A pointer field reached through its accessors; flags are the property's.
void pointer(Packet& p, void* field, uint32_t flags, const RuntimeClass* required, ZubBase* (*get)(void*),
             void (*set)(void*, ZubBase*), std::u16string_view name);
void reference(Packet& p, ZubBaseReference& field, uint32_t flags, const RuntimeClass* required,
               std::u16string_view name);
}  // namespace property_codec

// Shared text helpers for the kinds.
namespace property_text {
bool parseInt(std::u16string_view text, int64_t& out);
bool parseDouble(std::u16string_view text, double& out);
WString formatFloat(float v);
WString formatDouble(double v);
}  // namespace property_text
