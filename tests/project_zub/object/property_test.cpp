#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/PropertyArray.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"

namespace {

const char16_t* const kColours[] = {u"red", u"green", u"blue"};

// One field of every kind that travels in packets.
class Sample : public ZubBase {
    ZUB_DECLARE_CLASS(Sample)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"count", 0, &count));
        c->add(new PropertyInt(u"serial", PROP_UNSIGNED, &serial));
        c->add(new PropertySecureInt(u"score", 0, &score));
        c->add(new PropertyBool(u"bOn", 0, &bOn));
        c->add(new PropertyBool(u"bFlag", 0, &bFlag));
        c->add(new PropertyFloat(u"speed", 0, &speed));
        c->add(new PropertyDouble(u"parTime", 0, &parTime));
        c->add(new PropertyUString(u"title", 0, &title));
        c->add(new PropertyDWORD(u"word", 0, &word));
        c->add(new PropertyUColor(u"color", 0, &color));
        c->add(new PropertyEnum(u"colour", 0, &colour, 3, kColours));
        addPropertyV3(c, u"position", 0, &position);
        c->add(new PropertyPointer(u"pOther", 0, &pOther, &Sample::classRecord));
        c->add(new PropertyPointer(u"pSkin", PROP_RESOURCE, &pSkin, &ZubBase::classRecord));
        c->add(new PropertyReference(u"friend", 0, &friendRef, &Sample::classRecord));
        c->add(new PropertyInt(u"segments", PROP_READONLY, &segments));
        c->add(new PropertyArray<float>(u"heights", 0, &heights, &segments));
        c->add(new PropertyArray<V3>(u"points", 0, &points, &segments));
        c->add(new PropertyInt(u"localOnly", PROP_NOT_NETWORK, &localOnly));
        c->add(new PropertyInt(u"notCopied", PROP_NOT_COPY, &notCopied));
    }
    int32_t count = 0, serial = 0, score = 0;
    bool bOn = false;
    uint8_t bFlag = 0;
    float speed = 0;
    double parTime = 0;
    WString title;
    uint32_t word = 0, color = 0;
    int32_t colour = 0;
    V3 position;
    Sample* pOther = nullptr;
    ZubBase* pSkin = nullptr;
    ZubBaseReference friendRef{this};
    int32_t segments = 0;
    std::vector<float> heights;
    std::vector<V3> points;
    int32_t localOnly = 0, notCopied = 0;
};
ZUB_IMPLEMENT_CLASS(Sample, ZubBase, 0x5a3c0001)

void fill(Sample& s, Sample* other, ZubBase* skin) {
    s.count = -1234;
    s.serial = 300000;
    s.score = 99;
    s.bOn = true;
    s.bFlag = 1;
    s.speed = 2.5f;
    s.parTime = 90.25;
    s.title = u"Gr\u00fcne Wiese \U0001F34E";
    s.word = 0xDEADBEEF;
    s.color = 0x80FF2010;
    s.colour = 2;
    s.position = V3(-100.5f, 64.0f, 0.25f);
    s.pOther = other;
    s.pSkin = skin;
    s.friendRef.set(other);
    s.segments = 3;
    s.heights = {1.0f, -2.0f, 0.5f};
    s.points = {V3(1, 2, 3), V3(-4, 5, -6), V3(0, 0, 1)};
    s.localOnly = 7;
    s.notCopied = 8;
}

// Every value as text, in declaration order.
std::vector<std::pair<std::string, std::string>> texts(ZubBase& o) {
    std::vector<std::pair<std::string, std::string>> out;
    std::unique_ptr<PropertyContainer> c(o.createPropertyContainer());
    std::function<void(Property*, const std::string&)> walk = [&](Property* p, const std::string& prefix) {
        for (ZubBase* ch = p->firstChild; ch; ch = ch->nextSibling) {
            auto* q = static_cast<Property*>(ch);
            std::string name = prefix + wideToNarrow(q->getName());
            if (q->firstChild) walk(q, name + ".");
            else out.emplace_back(name, wideToNarrow(q->toString()));
        }
    };
    walk(c.get(), "");
    return out;
}

class PropertyPackets : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorManager::bTestMode = true;
        RuntimeClassManager::getInstance().buildClassArray();
        role = new NetRole;
        skin = new ZubBase;
        resources.addResource(u"basketA:0", skin);
    }
    void TearDown() override {
        delete role;
        delete skin;
    }
    NetRole* role = nullptr;
    ZubBase* skin = nullptr;
    ResourceManager resources;
};

// Every kind through level files, network packets and in-process copies: the
// object read back prints as the original, but for the UID (which never
// travels in a body) and what the packet's kind leaves out.
TEST_F(PropertyPackets, EveryKindRoundTripsLeavingOutWhatThePacketExcludes) {
    for (uint32_t flags : {1u, 5u, 6u}) {
        Sample other, a, b;
        role->registerObject(&other, 0);
        role->registerObject(&a, 0);
        fill(a, &other, skin);
        Packet p(flags);
        a.netSerialize(p);
        p.rewindToRead();
        b.netSerialize(p);
        EXPECT_FALSE(p.failed());
        EXPECT_TRUE(p.atEnd());
        EXPECT_EQ(b.objectUID, -1);
        b.objectUID = a.objectUID;
        EXPECT_EQ(b.localOnly, (flags & Packet::FLAG_NETWORK) ? 0 : 7);
        EXPECT_EQ(b.notCopied, (flags & Packet::FLAG_RAW_POINTERS) ? 0 : 8);
        b.localOnly = a.localOnly;
        b.notCopied = a.notCopied;
        EXPECT_EQ(texts(b), texts(a)) << flags;
        EXPECT_EQ(b.title, a.title);
        role->unregisterObject(&other);
        role->unregisterObject(&a);
    }
}

TEST_F(PropertyPackets, ObjectBodyBytesAreFixed) {
    // A plain object: the state group, the check word, the end of the children.
    ZubBase plain;
    Packet p(5);
    plain.netSerialize(p);
    const std::vector<uint8_t> expected = {0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xFB, 0xFC, 0xFD, 0xFE, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(p.data(), p.data() + p.length()), expected);

    // A network packet carries no check word.
    Packet n(1);
    plain.netSerialize(n);
    EXPECT_EQ(n.length(), 11);

    // State values, and registered children by UID.
    ZubBase parent;
    parent.state = 3;
    parent.stateGoto = 3;
    parent.timeInState = 1.5;
    auto* c1 = new ZubBase;
    auto* c2 = new ZubBase;
    parent.addChild(c1);
    parent.addChild(c2);
    role->registerObject(c1, 70);
    role->registerObject(c2, 200);
    Packet q(5);
    parent.netSerialize(q);
    const std::vector<uint8_t> expected2 = {0x03, 0x00, 0x00, 0xC0, 0x3F, 0,    0,    0,    0,
                                            0x03, 0xFB, 0xFC, 0xFD, 0xFE, 0x46, 0xC8, 0x01, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(q.data(), q.data() + q.length()), expected2);
    role->unregisterObject(c1);
    role->unregisterObject(c2);
}

TEST_F(PropertyPackets, ChildrenAreReattachedAndNetworkPacketsSkipLocalChildren) {
    ZubBase source, copy;
    auto* registered = new ZubBase;
    auto* local = new ZubBase;
    source.addChild(local);
    source.addChild(registered);
    role->registerObject(registered, 0);
    Packet p(1);
    source.netSerialize(p);
    p.rewindToRead();
    copy.netSerialize(p);
    EXPECT_FALSE(p.failed());
    EXPECT_EQ(registered->parent, &copy);
    EXPECT_EQ(local->parent, &source);
    EXPECT_EQ(copy.countChildren(), 1);
    role->unregisterObject(registered);
}

std::unique_ptr<Packet> peerPacket(const std::vector<uint8_t>& bytes) {
    auto r = std::make_unique<Packet>(1, static_cast<int>(bytes.size()));
    r->writeBytes(bytes.data(), static_cast<int>(bytes.size()));
    r->rewindToRead();
    r->setFromPeer();
    return r;
}

TEST_F(PropertyPackets, BadBodiesFromPeersFailWithoutHarm) {
    // A body that names its own object as its child.
    ZubBase target;
    role->registerObject(&target, 0);
    Packet w(1);
    target.netSerialize(w);
    std::vector<uint8_t> bytes(w.data(), w.data() + w.length() - 1);
    bytes.push_back(static_cast<uint8_t>(target.objectUID));
    bytes.push_back(0);
    auto r = peerPacket(bytes);
    target.netSerialize(*r);
    EXPECT_TRUE(r->failed());
    EXPECT_EQ(target.parent, nullptr);
    role->unregisterObject(&target);

    // Every truncation fails, and leaves the arrays as long as their count.
    Sample src, dst;
    fill(src, nullptr, nullptr);
    Packet full(1);
    src.netSerialize(full);
    const std::vector<uint8_t> all(full.data(), full.data() + full.length());
    dst.segments = 5;
    dst.heights.assign(5, 1.0f);
    for (size_t cut = 0; cut < all.size(); ++cut) {
        auto part = peerPacket(std::vector<uint8_t>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(cut)));
        dst.netSerialize(*part);
        EXPECT_TRUE(part->failed()) << cut;
        EXPECT_EQ(dst.heights.size(), static_cast<size_t>(dst.segments)) << cut;
        EXPECT_EQ(dst.points.size(), static_cast<size_t>(dst.segments)) << cut;
    }
}

// An enumeration value that is not below its count, arriving in a peer's
// packet or a level file, is refused: the packet fails and the field keeps
// its value; the last value is taken. Alike through the class's plan (an
// object's body) and the property's own serialize.
TEST_F(PropertyPackets, AnEnumerationValueFromOutsideMustBeBelowItsCount) {
    auto reader = [](const Packet& written) {
        auto r = std::make_unique<Packet>(written.flags, written.length());
        r->writeBytes(written.data(), written.length());
        r->rewindToRead();
        r->setErrorMode(Packet::ErrorMode::Report);
        return r;
    };
    for (uint32_t flags : {1u, 5u}) {
        for (int32_t sent : {2, 3, 4, -1}) {
            SCOPED_TRACE(testing::Message() << "flags " << flags << ", value " << sent);
            const bool taken = sent >= 0 && sent < 3;
            Sample src, dst;
            fill(src, nullptr, nullptr);
            src.colour = sent;
            Packet w(flags);
            src.netSerialize(w);
            auto r = reader(w);
            dst.colour = 1;
            dst.netSerialize(*r);
            EXPECT_EQ(r->failed(), !taken);
            EXPECT_EQ(dst.colour, taken ? sent : 1);
            if (!taken) {
                EXPECT_NE(r->errorText().find(u"'colour' is outside 0..2"), WString::npos);
            }

            int32_t in = sent, out = 1;
            PropertyEnum writer(u"colour", 0, &in, 3, kColours);
            PropertyEnum read(u"colour", 0, &out, 3, kColours);
            Packet pw(flags);
            writer.serialize(pw);
            auto pr = reader(pw);
            read.serialize(*pr);
            EXPECT_EQ(pr->failed(), !taken);
            EXPECT_EQ(out, taken ? sent : 1);
        }
    }
}

TEST_F(PropertyPackets, WrongClassInPointerIsRefused) {
    // A Sample body whose pOther names a plain object.
    ZubBase notASample;
    role->registerObject(&notASample, 0);
    Sample a, b;
    a.pOther = reinterpret_cast<Sample*>(&notASample);
    Packet w(1);
    a.netSerialize(w);
    auto r = peerPacket(std::vector<uint8_t>(w.data(), w.data() + w.length()));
    b.netSerialize(*r);
    EXPECT_TRUE(r->failed());
    EXPECT_EQ(b.pOther, nullptr);
    role->unregisterObject(&notASample);
}

namespace {
// A reference flagged raw: an in-process copy keeps naming the same object.
class RawHolder : public ZubBase {
    ZUB_DECLARE_CLASS(RawHolder)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyReference(u"pSample", PROP_RAW_POINTER, &sample, &Sample::classRecord));
    }
    ZubBaseReference sample{this};
};
ZUB_IMPLEMENT_CLASS(RawHolder, ZubBase, 0x5a3c0002)
}  // namespace

TEST_F(PropertyPackets, RawFlaggedReferencesAreClassCheckedFromFilesAndPeers) {
    ZubBase notASample;
    Sample sample;
    role->registerObject(&notASample, 0);
    role->registerObject(&sample, 0);
    for (ZubBase* named : {static_cast<ZubBase*>(&notASample), static_cast<ZubBase*>(&sample)}) {
        RawHolder a, b;
        a.sample.set(named);
        Packet w(1);
        a.netSerialize(w);
        auto r = peerPacket(std::vector<uint8_t>(w.data(), w.data() + w.length()));
        b.netSerialize(*r);
        EXPECT_EQ(r->failed(), named == &notASample);
        EXPECT_EQ(b.sample.get(), named == &sample ? named : nullptr);
    }
    // An in-process copy takes the address as it is.
    RawHolder a, b;
    a.sample.set(&sample);
    ObjectPacket copy;
    a.netSerialize(copy);
    copy.rewindToRead();
    b.netSerialize(copy);
    EXPECT_FALSE(copy.failed());
    EXPECT_EQ(b.sample.get(), &sample);
    role->unregisterObject(&notASample);
    role->unregisterObject(&sample);
}

TEST(PropertyText, EveryKindPrintsAndParsesItsValue) {
    ResourceManager resources;
    ZubBase skin;
    resources.addResource(u"basketA:0", &skin);
    Sample a, b;
    fill(a, nullptr, &skin);
    a.friendRef.set(nullptr);
    std::unique_ptr<PropertyContainer> from(a.createPropertyContainer());
    std::unique_ptr<PropertyContainer> to(b.createPropertyContainer());
    // Copy every leaf through its text form.
    std::function<void(Property*, Property*)> copy = [&](Property* s, Property* d) {
        for (ZubBase *x = s->firstChild, *y = d->firstChild; x && y; x = x->nextSibling, y = y->nextSibling) {
            auto* ps = static_cast<Property*>(x);
            auto* pd = static_cast<Property*>(y);
            if (ps->firstChild) copy(ps, pd);
            else pd->fromString(ps->toString());
        }
    };
    copy(from.get(), to.get());
    EXPECT_EQ(texts(a), texts(b));
    EXPECT_EQ(b.count, -1234);
    EXPECT_EQ(b.title, a.title);
    EXPECT_EQ(b.speed, 2.5f);
    EXPECT_EQ(b.pSkin, &skin);
    EXPECT_EQ(b.colour, 2);
    EXPECT_EQ(b.color, 0x80FF2010u);
    EXPECT_EQ(b.bFlag, 1);
}

TEST(PropertyText, FormsAndParsingRules) {
    int32_t i = 5;
    PropertyInt pi(u"i", 0, &i);
    for (const char16_t* ignored : {u"12abc", u"99999999999"}) pi.fromString(ignored);
    EXPECT_EQ(i, 5);
    pi.fromString(u"  -42 ");
    EXPECT_EQ(i, -42);
    pi.fromString(u"");  // the editor's Delete: cleared
    EXPECT_EQ(i, 0);
    int32_t u = -1;
    EXPECT_EQ(PropertyInt(u"u", PROP_UNSIGNED, &u).toString(), u"4294967295");

    float f = 0.1f;
    PropertyFloat pf(u"f", 0, &f);
    EXPECT_EQ(pf.toString(), u"0.1");
    pf.fromString(u"nan");
    EXPECT_EQ(f, 0.1f);

    bool b = false;
    PropertyBool pb(u"b", 0, &b);
    pb.fromString(u"yes");
    pb.fromString(u"maybe");
    EXPECT_EQ(pb.toString(), u"Yes");

    uint32_t w = 0;
    PropertyUColor pc(u"c", 0, &w);
    pc.fromString(u"#ff00ff00");
    EXPECT_EQ(w, 0xff00ff00u);
    pc.fromString(u"0x12");
    pc.fromString(u"xyz");
    EXPECT_EQ(pc.toString(), u"00000012");

    int32_t e = 0;
    PropertyEnum pe(u"e", 0, &e, 3, kColours);
    pe.fromString(u"BLUE");
    EXPECT_EQ(e, 2);
    pe.fromString(u"3");
    EXPECT_EQ(e, 2);
    pe.fromString(u"1");
    EXPECT_EQ(pe.toString(), u"green");
    EXPECT_EQ(PropertyEnum(u"n", 0, &e, 4).toString(), u"1");

    WString s = u"x";
    PropertyUString(u"s", 0, &s, 3).fromString(u"abcdef");
    EXPECT_EQ(s, u"abc");
}

// Numbers print their shortest digits that read back to the same value (the
// editor's rows, the level descriptions and the builder's listings read them
// back): every float a packet can carry and every double, through the text
// and back, keeps its bits.
TEST(PropertyText, NumbersPrintTheShortestDigitsThatReadBackTheSameValue) {
    float f = 0;
    double d = 0;
    PropertyFloat pf(u"f", 0, &f);
    PropertyDouble pd(u"d", 0, &d);
    const std::pair<float, const char16_t*> floats[] = {
        {61.6073406997665316f, u"61.60734"}, {1.0f / 3.0f, u"0.33333334"}, {-65504.0f, u"-65504"}, {1e-7f, u"1e-07"}};
    for (const auto& [value, text] : floats) {
        f = value;
        EXPECT_EQ(pf.toString(), text);
    }
    const std::pair<double, const char16_t*> doubles[] = {{0.1 + 0.05, u"0.15000000000000002"},
                                                          {61.6073406997665316, u"61.60734069976653"}};
    for (const auto& [value, text] : doubles) {
        d = value;
        EXPECT_EQ(pd.toString(), text);
    }
    uint32_t bits = 0x9E3779B9u;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || std::fabs(v) > 65504.0f) continue;
        f = v;
        const WString text = pf.toString();
        f = 0;
        pf.fromString(text);
        EXPECT_EQ(std::memcmp(&f, &v, sizeof v), 0) << wideToNarrow(text);
        uint64_t wide = (static_cast<uint64_t>(bits) << 32) | (bits ^ 0x5bd1e995u);
        double w;
        std::memcpy(&w, &wide, sizeof w);
        if (!std::isfinite(w)) continue;
        d = w;
        const WString dtext = pd.toString();
        d = 0;
        pd.fromString(dtext);
        EXPECT_EQ(std::memcmp(&d, &w, sizeof w), 0) << wideToNarrow(dtext);
    }
}

// The one reader: each kind refuses what it cannot hold, says what it takes
// and keeps its value; blank text is refused (fromString clears instead).
TEST(PropertyText, ReadTextRefusesWithWhatEachKindTakes) {
    struct Case {
        Property* property;
        const char16_t* text;
        const char16_t* why;
    };
    int32_t i = 5, u = 6, secure = 7, e = 1;
    bool b = true;
    float f = 1.5f;
    double d = 2.5;
    uint32_t w = 0x11u;
    WString s = u"x";
    ZubBase* none = nullptr;
    ResourceManager resources;
    ZubBase skin;
    resources.addResource(u"basketA:0", &skin);
    PropertyInt pi(u"i", 0, &i);
    PropertyInt pu(u"u", PROP_UNSIGNED, &u);
    PropertySecureInt ps(u"secure", 0, &secure);
    PropertyBool pb(u"b", 0, &b);
    PropertyFloat pf(u"f", 0, &f);
    PropertyDouble pd(u"d", 0, &d);
    PropertyUColor pc(u"c", 0, &w);
    PropertyUString pt(u"s", 0, &s, 3);
    PropertyEnum pe(u"e", 0, &e, 3, kColours);
    PropertyPointer pp(u"p", PROP_RESOURCE, &none, &Property::classRecord);
    const Case cases[] = {
        {&pi, u"12abc", u"a whole number"},
        {&pi, u"99999999999", u"a whole number"},
        {&pi, u"  ", u"a whole number"},
        {&pu, u"-1", u"a whole number, 0 or more"},
        {&ps, u"1.5", u"a whole number"},
        {&pb, u"maybe", u"yes or no"},
        {&pf, u"70000", u"a number of at most 65504 either way"},
        {&pf, u"nan", u"a number of at most 65504 either way"},
        {&pd, u"inf", u"a number"},
        {&pc, u"123456789", u"up to eight hexadecimal digits"},
        {&pc, u"#xyz", u"up to eight hexadecimal digits"},
        {&pt, u"abcd", u"a text of at most 3 characters"},
        {&pe, u"purple", u"a number from 0 to 2"},
        {&pe, u"3", u"a number from 0 to 2"},
        {&pp, u"no such skin", u"the name of a skin resource"},
        {&pp, u"basketA:0", u"a Property, not a ZubBase"},
    };
    for (const Case& c : cases) {
        const WString before = c.property->toString();
        WString why;
        EXPECT_FALSE(c.property->readText(c.text, &why)) << wideToNarrow(c.text);
        EXPECT_EQ(why, c.why) << wideToNarrow(c.text);
        EXPECT_EQ(c.property->toString(), before) << wideToNarrow(c.text);
    }
    // What they take, with blanks around it.
    WString why = u"unchanged";
    EXPECT_TRUE(pu.readText(u" 2147483647 ", &why));
    EXPECT_EQ(u, 2147483647);
    EXPECT_TRUE(pb.readText(u"No", &why));
    EXPECT_FALSE(b);
    EXPECT_TRUE(pf.readText(u"-65504", &why));
    EXPECT_EQ(f, -65504.0f);
    EXPECT_TRUE(pe.readText(u"Blue", &why));
    EXPECT_EQ(e, 2);
    EXPECT_TRUE(pt.readText(u"", &why));
    EXPECT_EQ(s, u"");
    EXPECT_EQ(why, u"unchanged");
    // Kinds without a text form take nothing.
    PropertyContainer group(u"g", 0);
    EXPECT_FALSE(group.hasTextForm());
    EXPECT_FALSE(group.readText(u"1", &why));
    EXPECT_TRUE(pi.hasTextForm());
}

TEST(PropertyTree, DeleteChildrenByFlagsFiltersEveryLevel) {
    int32_t v = 0;
    PropertyContainer root(u"root", PROP_HIDDEN);  // the container itself is never filtered
    root.add(new PropertyInt(u"a", PROP_HIDDEN, &v));
    auto* g = root.add(new PropertyContainer(u"g", 0));
    g->add(new PropertyInt(u"b", 0, &v));
    g->add(new PropertyInt(u"c", PROP_EDITOR_HIDDEN, &v));
    root.add(new PropertyInt(u"d", 0, &v));
    root.deleteChildrenByFlags(PROP_HIDDEN | PROP_EDITOR_HIDDEN);
    EXPECT_EQ(root.countChildren(), 2);
    EXPECT_EQ(root.child(0)->getName(), u"g");
    EXPECT_EQ(g->countChildren(), 1);
    EXPECT_EQ(g->child(0)->getName(), u"b");
}

TEST(PropertyTree, PointerSetterAcceptsOnlyTheRequiredClass) {
    Sample s, other;
    ZubBase plain;
    PropertyPointer p(u"pOther", 0, &s.pOther, &Sample::classRecord);
    EXPECT_FALSE(p.setObject(&plain));
    EXPECT_TRUE(p.setObject(&other));
    EXPECT_EQ(s.pOther, &other);
}

TEST(PropertyTree, ClassPropertyHoldsAPrototype) {
    PropertyClass pc(0, &Sample::classRecord, u"Sample");
    ASSERT_NE(pc.getPrototype(), nullptr);
    EXPECT_EQ(pc.getPrototype()->getClass(), &Sample::classRecord);
    EXPECT_NE(pc.findChild(u"count"), nullptr);
    std::unique_ptr<ZubBase> taken(pc.takePrototype());
    EXPECT_EQ(pc.getPrototype(), nullptr);
    EXPECT_EQ(pc.countChildren(), 0);
}

}  // namespace
