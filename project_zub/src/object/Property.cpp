#include "object/Property.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "object/Packet.h"
#include "object/Replication.h"
#include "object/ResourceManager.h"
#include "util/Format.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(Property, ZubBase, u"Property")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyContainer, Property, u"PropertyContainer")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyInt, Property, u"PropertyInt")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertySecureInt, Property, u"PropertySecureInt")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyBool, Property, u"PropertyBool")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyFloat, Property, u"PropertyFloat")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyDouble, Property, u"PropertyDouble")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyUString, Property, u"PropertyUString")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyDWORD, Property, u"PropertyDWORD")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyUColor, PropertyDWORD, u"PropertyUColor")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyEnumBase, Property, u"PropertyEnumBase")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyClass, PropertyContainer, u"PropertyClass")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertySubObject, Property, u"PropertySubObject")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyPointer, Property, u"PropertyPointer")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyReferenceBase, Property, u"PropertyReferenceBase")
ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyRPCBase, Property, u"PropertyRPCBase")

// ---------------------------------------------------------------------------
// Text helpers

namespace property_text {

namespace {
std::string narrowTrimmed(std::u16string_view text) {
    WString w(text);
    trimString(w);
    return wideToNarrow(w);
}
}  // namespace

bool parseInt(std::u16string_view text, int64_t& out) {
    std::string s = narrowTrimmed(text);
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    if (b == e) return false;
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e;
}

bool parseDouble(std::u16string_view text, double& out) {
    std::string s = narrowTrimmed(text);
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    if (b == e) return false;
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e && std::isfinite(out);
}

WString formatFloat(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return narrowToWide(std::string_view(buf, r.ptr - buf));
}

WString formatDouble(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return narrowToWide(std::string_view(buf, r.ptr - buf));
}

}  // namespace property_text

using namespace property_text;

namespace {
bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
        if (x != y) return false;
    }
    return true;
}

WString trimmed(std::u16string_view text) {
    WString w(text);
    trimString(w);
    return w;
}

// A refused text: false, with what the property takes.
bool refuse(WString* why, WString what) {
    if (why) *why = std::move(what);
    return false;
}

// Float properties travel as half-precision numbers: nothing larger fits.
constexpr double kLargestHalf = 65504.0;

// "<registered class name> <uid>", or "null".
WString objectText(const ZubBase* o) {
    if (!o) return u"null";
    return formatString(u"%s %d", o->getClass()->getName(), o->objectUID);
}

// The object a text names: its UID as the last word.
ZubBase* objectFromText(std::u16string_view text) {
    WString t = trimmed(text);
    size_t space = t.find_last_of(u' ');
    std::u16string_view last =
        space == WString::npos ? std::u16string_view(t) : std::u16string_view(t).substr(space + 1);
    int64_t uid = 0;
    Replication* role = Replication::current();
    if (!parseInt(last, uid) || uid < 1 || uid > INT32_MAX || !role) return nullptr;
    return role->findObjectOrNull(static_cast<int32_t>(uid));
}
}  // namespace

// ---------------------------------------------------------------------------
// Property

bool Property::readText(std::u16string_view text, WString* why) {
    (void)text;
    return refuse(why, u"nothing: it has no text form");
}

void Property::fromString(std::u16string_view text) {
    if (trimmed(text).empty() && clear()) return;
    readText(text);
}

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer every property is a heap block of its own, so that
// a use after free is still caught.
void* Property::operator new(size_t size) { return ::operator new(size); }
void Property::operator delete(void* p, size_t) { ::operator delete(p); }
#else
namespace {
// Free lists by size class (16-byte steps). Blocks are kept for reuse rather
// than returned to the system; the pool only grows to the largest number of
// properties alive at once. Only the main thread builds properties, but the
// lists are per thread so that nothing needs a lock.
constexpr size_t kPoolStep = 16;
constexpr size_t kPoolClasses = 32;  // up to 512 bytes
struct FreeBlock {
    FreeBlock* next;
};
thread_local FreeBlock* freeLists[kPoolClasses] = {};
}  // namespace

void* Property::operator new(size_t size) {
    const size_t c = (size + kPoolStep - 1) / kPoolStep;
    if (c < kPoolClasses) {
        if (FreeBlock* b = freeLists[c]) {
            freeLists[c] = b->next;
            return b;
        }
        return ::operator new(c* kPoolStep);
    }
    return ::operator new(size);
}

void Property::operator delete(void* p, size_t size) {
    if (!p) return;
    const size_t c = (size + kPoolStep - 1) / kPoolStep;
    if (c < kPoolClasses) {
        auto* b = static_cast<FreeBlock*>(p);
        b->next = freeLists[c];
        freeLists[c] = b;
        return;
    }
    ::operator delete(p);
}
#endif

bool Property::isExcludedFrom(const Packet& p) const {
    return ((p.flags & Packet::FLAG_NETWORK) && (flags & PROP_NOT_NETWORK)) ||
           ((p.flags & Packet::FLAG_RAW_POINTERS) && (flags & PROP_NOT_COPY));
}

void Property::deleteChildrenByFlags(uint32_t mask) {
    for (ObjectIterator it(this, ObjectIterator::INCLUDE_DISABLED); it; it.advance()) {
        Property* c = static_cast<Property*>(it.get());
        if (c->flags & mask) {
            removeChild(c);
            deleteObject(c);
        } else {
            c->deleteChildrenByFlags(mask);
        }
    }
}

Property* Property::child(int n) const {
    for (ZubBase* c = firstChild; c; c = c->nextSibling)
        if (n-- == 0) return static_cast<Property*>(c);
    return nullptr;
}

Property* Property::findChild(std::u16string_view n) const {
    for (Property* c : childrenOf<Property>(this))
        if (c->getName() == n) return c;
    return nullptr;
}

void PropertyContainer::serialize(Packet& p) {
    // After a read error the remaining properties still run: they read
    // nothing, but fields that depend on each other (a count and its array)
    // stay consistent.
    for (ZubBase* c = firstChild; c; c = c->nextSibling) {
        Property* prop = static_cast<Property*>(c);
        if (!prop->isExcludedFrom(p)) prop->serialize(p);
    }
}

// ---------------------------------------------------------------------------
// Numbers

void PropertyInt::serialize(Packet& p) {
    if (flags & PROP_UNSIGNED) p.doUInt(*field);
    else p.doInt(*field);
}

WString PropertyInt::toString() const {
    if (flags & PROP_UNSIGNED) return formatString(u"%u", static_cast<uint32_t>(*field));
    return formatString(u"%d", *field);
}

namespace {
// A 32-bit whole number; 0 or more for unsigned ones.
bool readInt32(std::u16string_view text, uint32_t flags, int32_t& field, WString* why) {
    const bool isUnsigned = (flags & PROP_UNSIGNED) != 0;
    int64_t v;
    if (!parseInt(text, v) || v > INT32_MAX || v < (isUnsigned ? 0 : INT32_MIN))
        return refuse(why, isUnsigned ? u"a whole number, 0 or more" : u"a whole number");
    field = static_cast<int32_t>(v);
    return true;
}
}  // namespace

bool PropertyInt::readText(std::u16string_view text, WString* why) { return readInt32(text, flags, *field, why); }

bool PropertyInt::clear() {
    *field = 0;
    return true;
}

void PropertySecureInt::serialize(Packet& p) { p.doInt(*field); }
WString PropertySecureInt::toString() const { return formatString(u"%d", *field); }
bool PropertySecureInt::readText(std::u16string_view text, WString* why) { return readInt32(text, flags, *field, why); }

bool PropertySecureInt::clear() {
    *field = 0;
    return true;
}

void PropertyBool::set(bool v) {
    if (boolField) *boolField = v;
    else *byteField = v ? 1 : 0;
}

void PropertyBool::serialize(Packet& p) {
    bool v = get();
    p.doBool(v);
    if (!p.bWriting) set(v);
}

WString PropertyBool::toString() const { return get() ? u"Yes" : u"No"; }

bool PropertyBool::readText(std::u16string_view text, WString* why) {
    const WString t = trimmed(text);
    if (equalsNoCase(t, u"yes") || equalsNoCase(t, u"y") || equalsNoCase(t, u"true") || t == u"1") set(true);
    else if (equalsNoCase(t, u"no") || equalsNoCase(t, u"n") || equalsNoCase(t, u"false") || t == u"0") set(false);
    else return refuse(why, u"yes or no");
    return true;
}

bool PropertyBool::clear() {
    set(false);
    return true;
}

void PropertyFloat::serialize(Packet& p) { p.doFloat16(*field); }
WString PropertyFloat::toString() const { return formatFloat(*field); }
bool PropertyFloat::readText(std::u16string_view text, WString* why) {
    double v;
    if (!parseDouble(text, v) || std::fabs(v) > kLargestHalf)
        return refuse(why, u"a number of at most 65504 either way");
    *field = static_cast<float>(v);
    return true;
}

bool PropertyFloat::clear() {
    *field = 0.0f;
    return true;
}

void PropertyDouble::serialize(Packet& p) { p.doDouble(*field); }
WString PropertyDouble::toString() const { return formatDouble(*field); }
bool PropertyDouble::readText(std::u16string_view text, WString* why) {
    double v;
    if (!parseDouble(text, v)) return refuse(why, u"a number");
    *field = v;
    return true;
}

bool PropertyDouble::clear() {
    *field = 0.0;
    return true;
}

void PropertyUString::serialize(Packet& p) { p.doUString(*field, maxLength); }
bool PropertyUString::readText(std::u16string_view text, WString* why) {
    if (maxLength >= 0 && text.size() > static_cast<size_t>(maxLength))
        return refuse(why, formatString(u"a text of at most %d characters", maxLength));
    *field = WString(text);
    return true;
}

void PropertyUString::fromString(std::u16string_view text) {
    if (maxLength >= 0 && text.size() > static_cast<size_t>(maxLength)) text = text.substr(0, maxLength);
    readText(text);
}

void PropertyDWORD::serialize(Packet& p) { p.doDWORD(*field); }
WString PropertyDWORD::toString() const { return formatString(u"%08x", *field); }
bool PropertyDWORD::readText(std::u16string_view text, WString* why) {
    const WString t = trimmed(text);
    std::u16string_view v(t);
    if (v.size() > 1 && v[0] == u'#') v.remove_prefix(1);
    else if (v.size() > 2 && v[0] == u'0' && (v[1] == u'x' || v[1] == u'X')) v.remove_prefix(2);
    const WString what = u"up to eight hexadecimal digits";
    if (v.empty() || v.size() > 8) return refuse(why, what);
    uint32_t r = 0;
    for (char16_t c : v) {
        int d;
        if (c >= u'0' && c <= u'9') d = c - u'0';
        else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
        else return refuse(why, what);
        r = (r << 4) | static_cast<uint32_t>(d);
    }
    *field = r;
    return true;
}

bool PropertyDWORD::clear() {
    *field = 0;
    return true;
}

void property_codec::enumValue(Packet& p, int32_t& field, int count, std::u16string_view name) {
    int32_t v = field;
    p.doInt(v);
    if (p.bWriting) return;
    if (v < 0 || v >= count) {
        p.fail(formatString(u"value %d of '%s' is outside 0..%d", v, name, count - 1), "value < count",
               "PropertyEnum::serialize");
        return;
    }
    field = v;
}

void PropertyEnumBase::serialize(Packet& p) { property_codec::enumValue(p, *field, count, getName()); }

WString PropertyEnumBase::toString() const {
    if (names && *field >= 0 && *field < count && names[*field]) return names[*field];
    return formatString(u"%d", *field);
}

bool PropertyEnumBase::readText(std::u16string_view text, WString* why) {
    const WString t = trimmed(text);
    if (names) {
        for (int i = 0; i < count; ++i)
            if (names[i] && equalsNoCase(t, names[i])) {
                *field = i;
                return true;
            }
    }
    int64_t v;
    if (!parseInt(t, v) || v < 0 || v >= count) return refuse(why, formatString(u"a number from 0 to %d", count - 1));
    *field = static_cast<int32_t>(v);
    return true;
}

bool PropertyEnumBase::clear() {
    if (count > 0) *field = 0;
    return true;
}

// ---------------------------------------------------------------------------
// Objects

PropertyClass::PropertyClass(uint32_t f, const RuntimeClass* c, WString name)
    : PropertyContainer(std::move(name), f), cls(c) {
    ClassObject* made = c ? c->create() : nullptr;
    if (made && c->isDerivedFrom(&ZubBase::classRecord)) {
        prototype = static_cast<ZubBase*>(made);
        prototype->addPropertiesTo(this);
    } else {
        delete made;
    }
}

PropertyClass::~PropertyClass() {
    // The properties point into the prototype: they go first.
    while (firstChild) deleteObject(firstChild);
    deleteObject(prototype);
}

ZubBase* PropertyClass::takePrototype() {
    ZubBase* p = prototype;
    prototype = nullptr;
    while (firstChild) deleteObject(firstChild);
    return p;
}

void property_codec::subObject(Packet& p, ZubBase* object) {
    if (!object) return;
    if (++p.depth > Packet::MAX_DEPTH)
        p.fail(u"objects nested too deeply", "depth <= MAX_DEPTH", "PropertySubObject::serialize");
    else object->netSerialize(p);
    --p.depth;
}

void PropertySubObject::serialize(Packet& p) { property_codec::subObject(p, object); }

WString PropertySubObject::toString() const { return object ? object->getClass()->getName() : WString(u"null"); }

bool PropertyPointer::accepts(const ZubBase* o) const {
    return !o || !required || o->getClass()->isDerivedFrom(required);
}

namespace {
// A pointer flagged raw reads back a raw address only from an in-process
// copy, whose objects are alive; from a file or a peer it names an object by
// UID like any other, and the object's class is checked.
bool readsRawAddress(const Packet& p, uint32_t flags) {
    return (flags & PROP_RAW_POINTER) && (p.flags & Packet::FLAG_RAW_POINTERS);
}
}  // namespace

void property_codec::pointer(Packet& p, void* field, uint32_t flags, const RuntimeClass* required,
                             ZubBase* (*get)(void*), void (*set)(void*, ZubBase*), std::u16string_view name) {
    ZubBase* o = get(field);
    if (flags & PROP_RAW_POINTER) p.doPointer(o);
    else if (flags & PROP_RESOURCE) p.doResourcePointer2(o);
    else p.doPointer2(o);
    if (p.bWriting || p.failed()) return;
    if (!readsRawAddress(p, flags) && o && required && !o->getClass()->isDerivedFrom(required)) {
        p.fail(formatString(u"'%s' names a %s, not a %s", name, o->getClass()->getName(), required->getName()),
               "object->getClass()->isDerivedFrom(required)", "PropertyPointer::serialize");
        return;
    }
    set(field, o);
}

void PropertyPointer::serialize(Packet& p) {
    property_codec::pointer(p, field, flags, required, getter, setter, getName());
}

WString PropertyPointer::toString() const {
    ZubBase* o = get();
    if (flags & PROP_RESOURCE) {
        ResourceManager* rm = ResourceManager::active();
        return o && rm ? rm->getResourceName(o) : WString();
    }
    return objectText(o);
}

bool PropertyPointer::readText(std::u16string_view text, WString* why) {
    const WString t = trimmed(text);
    if (t == u"null") {
        setter(field, nullptr);
        return true;
    }
    ZubBase* o = nullptr;
    if (flags & PROP_RESOURCE) {
        if (ResourceManager* rm = ResourceManager::active()) o = rm->find(t, false);
        if (!o) return refuse(why, u"the name of a skin resource");
    } else {
        o = objectFromText(t);
        if (!o) return refuse(why, u"an object's class and number");
    }
    if (!accepts(o)) return refuse(why, formatString(u"a %s, not a %s", required->getName(), o->getClass()->getName()));
    setter(field, o);
    return true;
}

bool PropertyPointer::clear() {
    setter(field, nullptr);
    return true;
}

bool PropertyPointer::setObject(ZubBase* o) {
    if (!accepts(o)) return false;
    setter(field, o);
    return true;
}

bool PropertyReferenceBase::accepts(const ZubBase* o) const {
    return !o || !required || o->getClass()->isDerivedFrom(required);
}

void property_codec::reference(Packet& p, ZubBaseReference& field, uint32_t flags, const RuntimeClass* required,
                               std::u16string_view name) {
    ZubBase* o = field.get();
    // A reference flagged raw names the same object in an in-process copy
    // (a copied follower keeps following the original's path); otherwise
    // a copy takes a copy of the object it names.
    if (flags & PROP_RAW_POINTER) p.doPointer(o);
    else p.doPointer2(o);
    if (p.bWriting || p.failed()) return;
    if (!readsRawAddress(p, flags) && o && required && !o->getClass()->isDerivedFrom(required)) {
        p.fail(formatString(u"'%s' names a %s, not a %s", name, o->getClass()->getName(), required->getName()),
               "object->getClass()->isDerivedFrom(required)", "PropertyReference::serialize");
        return;
    }
    field.set(o);
}

void PropertyReferenceBase::serialize(Packet& p) { property_codec::reference(p, *field, flags, required, getName()); }

WString PropertyReferenceBase::toString() const { return objectText(field->get()); }

bool PropertyReferenceBase::readText(std::u16string_view text, WString* why) {
    const WString t = trimmed(text);
    if (t == u"null") {
        field->set(nullptr);
        return true;
    }
    ZubBase* o = objectFromText(t);
    if (!o) return refuse(why, u"an object's class and number");
    if (!accepts(o)) return refuse(why, formatString(u"a %s, not a %s", required->getName(), o->getClass()->getName()));
    field->set(o);
    return true;
}

bool PropertyReferenceBase::clear() {
    field->set(nullptr);
    return true;
}

bool PropertyReferenceBase::setObject(ZubBase* o) {
    if (!accepts(o)) return false;
    field->set(o);
    return true;
}

// ---------------------------------------------------------------------------

PropertyDWORD* addPropertyDWORD(Property* container, uint32_t* field) {
    return container->add(new PropertyDWORD(u"", PROP_ARGUMENT, field));
}

PropertyContainer* addPropertyV3(Property* container, const char16_t* name, uint32_t flags, V3* v,
                                 const char* meaning) {
    PropertyContainer* g = container->add(new PropertyContainer(name, flags), meaning);
    g->add(new PropertyFloat(u"x", 0, &v->x));
    g->add(new PropertyFloat(u"y", 0, &v->y));
    g->add(new PropertyFloat(u"z", 0, &v->z));
    return g;
}

// ---------------------------------------------------------------------------
#include "object/PropertyArray.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PropertyArrayBase, Property, u"PropertyArrayBase")

bool PropertyArrayBase::readableCount(Packet& p, int32_t count, int bytesPerElement, std::u16string_view name) {
    if (p.failed()) return false;
    if (count < 0 || count > MAX_COUNT || static_cast<int64_t>(count) * bytesPerElement > p.remaining()) {
        p.fail(formatString(u"array '%s' has a bad count %d", name, count), "0 <= count <= MAX_COUNT",
               "PropertyArray::serialize");
        return false;
    }
    return true;
}
