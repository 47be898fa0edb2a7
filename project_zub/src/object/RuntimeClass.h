#pragma once
// Class records and the class registry.
//
// Every class that can travel in a packet or be told apart at run time has one
// static RuntimeClass record: its registered name, its 32-bit class id, its
// create function and its parent record. Records register themselves from
// static initialisers; buildClassArray() then sorts them by class id, so every
// process of one build numbers the classes the same way. The registration
// macros also record the C++ type and its size, from which the class's
// serialisation plan is checked (see SerialPlan.h).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "util/WString.h"

class RuntimeClass;
class SerialPlan;

// The common base of everything that has a class record: ZubBase and RPC.
class ClassObject {
public:
    virtual ~ClassObject() = default;
    virtual const RuntimeClass* getClass() const = 0;
};

// The default class id of a name: h = h * 33 + c over its UTF-16 units, from 0.
constexpr uint32_t classIdOfName(std::u16string_view name) {
    uint32_t h = 0;
    for (char16_t c : name) h = h * 33u + static_cast<uint32_t>(c);
    return h;
}

class RuntimeClass {
public:
    using CreateFn = ClassObject* (*)();

    // A class registered under an explicit id; its name is "_" and the id in
    // eight lower-case hexadecimal digits.
    constexpr RuntimeClass(uint32_t id, CreateFn create, const RuntimeClass* parentRecord, const char* cppName,
                           size_t size = 0, const std::type_info* type = nullptr)
        : classId(id), createFn(create), parent(parentRecord), typeName(cppName), objectSize(size), cppType(type) {
        constexpr char hex[] = "0123456789abcdef";
        name[0] = u'_';
        for (int i = 0; i < 8; ++i) name[1 + i] = static_cast<char16_t>(hex[(id >> (28 - 4 * i)) & 15]);
        name[9] = 0;
    }

    // A class registered under a plain name (engine bases such as "RPC");
    // its id is the fold of that name.
    constexpr RuntimeClass(std::u16string_view plainName, CreateFn create, const RuntimeClass* parentRecord,
                           const char* cppName, size_t size = 0, const std::type_info* type = nullptr)
        : classId(classIdOfName(plainName)),
          createFn(create),
          parent(parentRecord),
          typeName(cppName),
          objectSize(size),
          cppType(type) {
        size_t n = plainName.size() < kMaxName - 1 ? plainName.size() : kMaxName - 1;
        for (size_t i = 0; i < n; ++i) name[i] = plainName[i];
        name[n] = 0;
    }

    RuntimeClass(const RuntimeClass&) = delete;
    RuntimeClass& operator=(const RuntimeClass&) = delete;

    bool isDerivedFrom(const RuntimeClass* other) const {
        for (const RuntimeClass* c = this; c; c = c->parent)
            if (c == other) return true;
        return false;
    }
    WString getName() const { return WString(name); }
    const char16_t* getNameData() const { return name; }
    // The C++ class name, for logs and debugging only.
    const char* getTypeName() const { return typeName; }
    ClassObject* create() const { return createFn ? createFn() : nullptr; }

    static constexpr size_t kMaxName = 48;

    uint32_t classId;
    CreateFn createFn;
    const RuntimeClass* parent;
    const char* typeName;
    int index = -1;  // position in the class array, set by buildClassArray
    char16_t name[kMaxName] = {};
    // sizeof and typeid of the C++ class that registered the record (0 and
    // null for records made by hand).
    size_t objectSize;
    const std::type_info* cppType;
    // Set by ZUB_PROPERTIES_VARY: the class's property declarations depend
    // on the object, so it never gets a serialisation plan.
    bool bPropertiesVary = false;
    // The class's serialisation plan, made on first use.
    mutable std::atomic<const SerialPlan*> plan{nullptr};
};

class RuntimeClassManager {
public:
    static RuntimeClassManager& getInstance() {
        static RuntimeClassManager instance;
        return instance;
    }

    // Called by the registration macros before main.
    void add(RuntimeClass* record);

    // Sorts the records by class id into classArray and numbers them. Safe to
    // call again (a restart of the engine builds it anew). Sets bBadClasses
    // when two records share an id or a name, or a parent is not registered.
    void buildClassArray();

    // Lookups build the class array first when a registration came after it.
    const RuntimeClass* findById(uint32_t id);        // null when unknown
    const RuntimeClass* findByIndex(uint32_t index);  // null when out of range
    const RuntimeClass* findByName(std::u16string_view name);

    const std::vector<RuntimeClass*>& allRecords() const { return records; }

    std::vector<RuntimeClass*> classArray;
    bool bBadClasses = false;
    bool bBuilt = false;
    // Human-readable reasons for bBadClasses.
    std::vector<WString> problems;

private:
    std::vector<RuntimeClass*> records;
    // Recent answers of findById by the id's low bits (a level names its few
    // dozen classes thousands of times); emptied when the array is built.
    static constexpr uint32_t kRecentIds = 256;
    const RuntimeClass* recentById[kRecentIds] = {};
};

// Registration. Inside the class body: ZUB_DECLARE_CLASS(Class). In one
// source file: ZUB_IMPLEMENT_CLASS(Class, Parent, 0x12345678) for a class with
// a given id, ZUB_IMPLEMENT_NAMED_CLASS(Class, Parent, u"Name") for a class
// registered under a plain name. The _ABSTRACT variants register no create
// function. Parent is a C++ class with a class record, or void for a root.
#define ZUB_DECLARE_CLASS(Class)                                           \
public:                                                                    \
    static RuntimeClass classRecord;                                       \
    const RuntimeClass* getClass() const override { return &classRecord; } \
    static ClassObject* createInstance();                                  \
                                                                           \
public:

namespace zub_detail {
template <class P>
constexpr const RuntimeClass* parentRecord() {
    if constexpr (std::is_void_v<P>) return nullptr;
    else return &P::classRecord;
}
struct ClassRegistrar {
    explicit ClassRegistrar(RuntimeClass* r) { RuntimeClassManager::getInstance().add(r); }
};
struct PropertiesVary {
    explicit PropertiesVary(RuntimeClass* r) { r->bPropertiesVary = true; }
};
}  // namespace zub_detail

#define ZUB_CLASS_RECORD_(Class, Parent, first, create)                                                  \
    constinit RuntimeClass Class::classRecord{first,  create,        zub_detail::parentRecord<Parent>(), \
                                              #Class, sizeof(Class), &typeid(Class)};                    \
    static zub_detail::ClassRegistrar zubRegistrar_##Class{&Class::classRecord};

// For a class whose addPropertiesTo declares different properties (or binds
// them to different fields) depending on the object or on outside state: in
// its source file, beside its registration. Its objects and those of the
// classes derived from it always serialise through their property trees.
#define ZUB_PROPERTIES_VARY(Class) static zub_detail::PropertiesVary zubPropertiesVary_##Class{&Class::classRecord};

#define ZUB_IMPLEMENT_CLASS(Class, Parent, id)                   \
    ClassObject* Class::createInstance() { return new Class(); } \
    ZUB_CLASS_RECORD_(Class, Parent, static_cast<uint32_t>(id), &Class::createInstance)

#define ZUB_IMPLEMENT_CLASS_ABSTRACT(Class, Parent, id)      \
    ClassObject* Class::createInstance() { return nullptr; } \
    ZUB_CLASS_RECORD_(Class, Parent, static_cast<uint32_t>(id), nullptr)

#define ZUB_IMPLEMENT_NAMED_CLASS(Class, Parent, nameLiteral)    \
    ClassObject* Class::createInstance() { return new Class(); } \
    ZUB_CLASS_RECORD_(Class, Parent, std::u16string_view(nameLiteral), &Class::createInstance)

#define ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(Class, Parent, nameLiteral) \
    ClassObject* Class::createInstance() { return nullptr; }           \
    ZUB_CLASS_RECORD_(Class, Parent, std::u16string_view(nameLiteral), nullptr)
