#include "ClassReference.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "object/Property.h"
#include "object/ResourceManager.h"
#include "object/RuntimeClass.h"
#include "util/Format.h"
#include "world/EditorObject.h"

namespace levelbuild {

namespace {

const char* className(const RuntimeClass* c) { return c && c->getTypeName() ? c->getTypeName() : "object"; }

// "a Terrain", "an Area".
std::string aClass(const RuntimeClass* c) {
    const std::string name = className(c);
    return (std::string("AEIOU").find(name[0]) != std::string::npos ? "an " : "a ") + name;
}

std::string resourceKind(const RuntimeClass* required) {
    const std::string name = className(required);
    if (name == "Sound") return "a sound's name";
    if (name == "Skin") return "a skin, sheet:frame";
    return "a skin, sheet:frame, that is " + aClass(required);
}

std::vector<Property*> childProperties(const Property* p) {
    std::vector<Property*> out;
    for (ZubBase* c = p->firstChild; c; c = c->nextSibling)
        if (Property* child = zub_cast<Property>(c)) out.push_back(child);
    return out;
}

bool isGroup(const Property* p) { return zub_cast<PropertyContainer>(p) && !zub_cast<PropertyClass>(p); }

// What a description writes for the property's kind.
std::string typeOf(const Property* p) {
    if (auto* e = zub_cast<PropertyEnumBase>(p)) {
        std::string names;
        for (int k = 0; e->names && k < e->count; ++k)
            if (e->names[k]) names += (names.empty() ? "" : ", ") + wideToNarrow(e->names[k]);
        if (!names.empty()) return "one of " + names + ", or 0 to " + std::to_string(e->count - 1);
        return "a number from 0 to " + std::to_string(e->count - 1);
    }
    if (zub_cast<PropertyInt>(p) || zub_cast<PropertySecureInt>(p))
        return (p->flags & PROP_UNSIGNED) ? "whole number, 0 or more" : "whole number";
    if (zub_cast<PropertyBool>(p)) return "yes or no";
    if (zub_cast<PropertyFloat>(p) || zub_cast<PropertyDouble>(p)) return "number";
    if (auto* s = zub_cast<PropertyUString>(p))
        return s->maxLength >= 0 ? "text of at most " + std::to_string(s->maxLength) + " characters" : "text";
    if (zub_cast<PropertyUColor>(p)) return "colour 0xAARRGGBB";
    if (zub_cast<PropertyDWORD>(p)) return "hexadecimal, up to 8 digits";
    if (auto* ptr = zub_cast<PropertyPointer>(p))
        return (ptr->flags & PROP_RESOURCE) ? resourceKind(ptr->required) : "label of " + aClass(ptr->required);
    if (auto* ref = zub_cast<PropertyReferenceBase>(p)) return "label of " + aClass(ref->required);
    if (isGroup(p)) {
        const std::vector<Property*> members = childProperties(p);
        std::string names, kind;
        bool same = true;
        for (const Property* m : members) {
            names += " " + wideToNarrow(m->getName());
            const std::string t = typeOf(m);
            if (kind.empty()) kind = t;
            same &= t == kind;
        }
        if (same && !members.empty())
            return std::to_string(members.size()) + " " + (kind == "number" ? "numbers" : kind) + ":" + names;
        return "group:" + names;
    }
    return "not set in a description";
}

// The value as a description writes it.
std::string valueOf(const Property* p) {
    if (auto* b = zub_cast<PropertyBool>(p)) return b->get() ? "yes" : "no";
    if (auto* ptr = zub_cast<PropertyPointer>(p)) {
        const ZubBase* o = ptr->get();
        if (!o) return "none";
        if (ptr->flags & PROP_RESOURCE)
            if (ResourceManager* rm = ResourceManager::active(); rm && !rm->getResourceName(o).empty())
                return wideToNarrow(rm->getResourceName(o));
        return std::string("a ") + className(o->getClass());
    }
    if (auto* ref = zub_cast<PropertyReferenceBase>(p)) return ref->field && ref->field->get() ? "an object" : "none";
    if (zub_cast<PropertyUString>(p)) {
        const std::string s = wideToNarrow(p->toString());
        return s.empty() ? "\"\"" : "\"" + s + "\"";
    }
    if (zub_cast<PropertyDWORD>(p)) return wideToNarrow(p->toString());
    if (isGroup(p)) {
        std::string out;
        for (const Property* m : childProperties(p)) out += (out.empty() ? "" : " ") + valueOf(m);
        return out;
    }
    if (zub_cast<PropertyRPCBase>(p) || zub_cast<PropertySubObject>(p) || zub_cast<PropertyClass>(p)) return "";
    return wideToNarrow(p->toString());
}

PropertyDoc document(const Property* p, const std::string& name) {
    PropertyDoc d;
    d.name = name;
    d.type = typeOf(p);
    d.value = valueOf(p);
    d.meaning = p->meaning ? p->meaning : "";
    if (isGroup(p))
        for (const Property* m : childProperties(p)) d.members.push_back(wideToNarrow(m->getName()));
    return d;
}

// An action's arguments (unnamed: numbered from 1), and the action as one
// entry: its name with the argument kinds.
std::vector<PropertyDoc> arguments(const Property* action) {
    std::vector<PropertyDoc> out;
    int n = 0;
    for (const Property* a : childProperties(action)) out.push_back(document(a, std::to_string(++n)));
    return out;
}

bool sameRow(const PropertyDoc& a, const PropertyDoc& b) {
    return a.name == b.name && a.type == b.type && a.value == b.value && a.meaning == b.meaning;
}

// The object's properties by name: a name declared again (a class that
// declares its base's property anew) keeps its last declaration, at the
// place of its first.
ClassDoc documentClass(const RuntimeClass* cls) {
    ClassDoc doc;
    doc.cls = cls;
    doc.name = className(cls);
    std::unique_ptr<ClassObject> made(cls->create());
    auto* o = static_cast<EditorObject*>(made.get());
    PropertyContainer props(u"", 0);
    o->addPropertiesTo(&props);
    std::map<std::string, size_t> at;
    for (const Property* p : childProperties(&props)) {
        const std::string name = wideToNarrow(p->getName());
        if (name.empty()) continue;
        if (zub_cast<PropertyRPCBase>(p)) {
            PropertyDoc action = document(p, name);
            if (name == "construct") {
                doc.construct = arguments(p);
                continue;
            }
            for (const PropertyDoc& a : arguments(p)) action.members.push_back(a.type);
            auto it = std::find_if(doc.actions.begin(), doc.actions.end(),
                                   [&](const PropertyDoc& d) { return d.name == name; });
            if (it != doc.actions.end()) *it = action;
            else doc.actions.push_back(action);
            continue;
        }
        if (auto it = at.find(name); it != at.end()) {
            doc.properties[it->second] = document(p, name);
        } else {
            at[name] = doc.properties.size();
            doc.properties.push_back(document(p, name));
        }
    }
    return doc;
}

}  // namespace

std::vector<ClassDoc> documentClasses() {
    std::vector<ClassDoc> docs;
    for (const RuntimeClass* c : EditorObject::placeableClasses()) docs.push_back(documentClass(c));
    std::sort(docs.begin(), docs.end(), [](const ClassDoc& a, const ClassDoc& b) { return a.name < b.name; });
    // Each class leaves to its nearest placeable base what it has as the
    // base has it.
    std::map<const RuntimeClass*, const ClassDoc*> byClass;
    for (const ClassDoc& d : docs) byClass[d.cls] = &d;
    for (ClassDoc& d : docs) {
        const ClassDoc* base = nullptr;
        for (const RuntimeClass* c = d.cls->parent; c && !base; c = c->parent)
            if (auto it = byClass.find(c); it != byClass.end()) base = it->second;
        if (!base) continue;
        d.base = base->name;
        std::set<std::string> mine;
        for (const PropertyDoc& p : d.properties) {
            mine.insert(p.name);
            for (const PropertyDoc& b : base->properties)
                if (sameRow(p, b)) d.inherited.push_back(p.name);
        }
        for (const PropertyDoc& b : base->properties)
            if (!mine.count(b.name)) d.removed.push_back(b.name);
        // Actions as the base has them are the base's.
        std::vector<PropertyDoc> own;
        for (const PropertyDoc& a : d.actions)
            if (std::none_of(base->actions.begin(), base->actions.end(),
                             [&](const PropertyDoc& b) { return sameRow(a, b) && a.members == b.members; }))
                own.push_back(a);
        d.actions = std::move(own);
    }
    return docs;
}

std::string formatClassReference(const std::vector<ClassDoc>& classes, const std::vector<std::string>& only) {
    std::string out;
    if (only.empty())
        out +=
            "The classes a level description places with 'new <Class> [label]' (and changes with\n"
            "'edit <label>'): the arguments of each one's 'construct' line, then its properties, each\n"
            "as 'name (what a line gives it; its default)' with what it does below. A class lists\n"
            "what it adds to the class it is a kind of, and the properties whose default differs.\n"
            "Groups take their members' values in order or one by one ('position.x 5').\n";
    auto entry = [&](const PropertyDoc& p, const std::string& indent) {
        out += indent + p.name + " (" + p.type + (p.value.empty() ? "" : "; default " + p.value) + ")\n";
        if (!p.meaning.empty()) out += indent + "    " + p.meaning + "\n";
    };
    for (const ClassDoc& c : classes) {
        if (!only.empty() && std::find(only.begin(), only.end(), c.name) == only.end()) continue;
        out += "\n" + c.name + (c.base.empty() ? "" : ", a kind of " + c.base) + "\n";
        if (c.construct.empty()) {
            out += "  construct: none needed ('new' alone builds it)\n";
        } else {
            out += "  construct: " + std::to_string(c.construct.size()) + " arguments, in this order:\n";
            for (const PropertyDoc& a : c.construct) {
                out += "    " + a.name + ". " + a.type + "\n";
                if (!a.meaning.empty()) out += "         " + a.meaning + "\n";
            }
        }
        bool heading = false;
        for (const PropertyDoc& p : c.properties) {
            if (std::find(c.inherited.begin(), c.inherited.end(), p.name) != c.inherited.end()) continue;
            if (!heading) out += "  properties:\n";
            heading = true;
            entry(p, "    ");
        }
        for (const PropertyDoc& a : c.actions) {
            std::string args;
            for (const std::string& m : a.members) args += " <" + m + ">";
            out += "  action line: " + a.name + args + "\n";
            if (!a.meaning.empty()) out += "      " + a.meaning + "\n";
        }
        if (!c.base.empty()) {
            out += "  and every property of " + c.base;
            if (!c.removed.empty()) {
                out += " but";
                for (size_t i = 0; i < c.removed.size(); ++i) out += (i ? ", " : " ") + c.removed[i];
            }
            out += "\n";
        }
    }
    return out;
}

}  // namespace levelbuild
