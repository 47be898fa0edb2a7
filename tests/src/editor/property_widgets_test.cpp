// The rows of the property panel, over an object that declares one property
// of every kind: which row each kind gets (by its own class record), what
// never gets a row, how the tree is laid out, opened and closed, and how the
// rows edit (typing, clicks, actions, the jump into a held object), each
// change reaching the object as an "edited" event.
#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

#include "EditorHarness.h"
#include "editor/EditorPropertyBoolWidget.h"
#include "editor/EditorPropertyClassWidget.h"
#include "editor/EditorPropertyGroupWidget.h"
#include "editor/EditorPropertyRPCWidget.h"
#include "editor/EditorPropertyReferenceWidget.h"
#include "editor/EditorPropertySubObjectWidget.h"
#include "editor/EditorPropertyTextWidget.h"
#include "gfx/Skin.h"
#include "object/Property.h"
#include "object/PropertyArray.h"
#include "object/RPC.h"
#include "util/KeyCodes.h"

using editortest::EditorHarness;
using namespace input_codes;

namespace {

// An object with a property of every kind.
class Sample : public ZubBase {
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"count", 0, &count));
        c->add(new PropertyFloat(u"speed", 0, &speed));
        c->add(new PropertyDouble(u"delay", 0, &delay));
        c->add(new PropertyUString(u"title", 0, &title));
        c->add(new PropertyDWORD(u"mask", 0, &mask));
        c->add(new PropertyUColor(u"tint", 0, &tint));
        c->add(new PropertyEnum(u"kind", 0, &kind, 3, kKinds));
        c->add(new PropertySecureInt(u"secure", 0, &secure));
        c->add(new PropertyBool(u"on", 0, &on));
        c->add(new PropertyBool(u"fixed", PROP_READONLY, &fixed));
        c->add(new PropertyPointer(u"link", 0, &link, &ZubBase::classRecord));
        c->add(new PropertyReference(u"ref", 0, &ref, &ZubBase::classRecord));
        c->add(new PropertyPointer(u"skin", PROP_RESOURCE, &skin, &Skin::classRecord));
        c->add(new PropertyArray<float>(u"values", 0, &values, &valueCount));
        c->add(new PropertySubObject(u"inner", 0, &inner));
        PropertyContainer* group = c->add(new PropertyContainer(u"group", 0));
        group->add(new PropertyInt(u"hidden", PROP_HIDDEN, &count));
        PropertyContainer* deeper = group->add(new PropertyContainer(u"deeper", 0));
        deeper->add(new PropertyInt(u"deep", 0, &deep));
        deeper->add(new PropertyInt(u"gone", PROP_EDITOR_HIDDEN, &deep));
        c->add(new PropertyRPC<RPCGotoState>(u"goto", 0, this));
        c->add(new PropertyInt(u"last", 0, &deep));
    }
    bool onEvent(ZubEvent& ev) override {
        if (ev.code == EVENT_EDITED) ++edits;
        return ZubBase::onEvent(ev);
    }

    static constexpr const char16_t* kKinds[3] = {u"small", u"middle", u"large"};
    int32_t count = 3, kind = 1, secure = 7, deep = 0, valueCount = 2;
    float speed = 1.5f;
    double delay = 0.25;
    WString title = u"t";
    uint32_t mask = 0xabc, tint = 0xff00ff00u;
    bool on = false, fixed = false;
    ZubBase* link = nullptr;
    ZubBaseReference ref;
    Skin* skin = nullptr;
    std::vector<float> values{1.0f, 2.0f};
    ZubBase inner;
    int edits = 0;
};

template <class W>
bool is(EditorPropertyWidget* w) {
    return w && typeid(*w) == typeid(W);
}

std::vector<EditorPropertyWidget*> childRows(EditorPropertyWidget* w) {
    std::vector<EditorPropertyWidget*> out;
    for (ZubBase* c : childrenOf(w))
        if (auto* r = dynamic_cast<EditorPropertyWidget*>(c)) out.push_back(r);
    return out;
}

}  // namespace

TEST(PropertyWidgets, EachKindGetsItsRowAndFlaggedPropertiesNone) {
    EditorHarness h;
    h.edit(h.houseLevel());
    Sample sample;
    h.panel().setEditedObject(&sample);
    for (const char16_t* text : {u"count", u"speed", u"delay", u"title", u"mask", u"tint", u"kind", u"secure",
                                 u"objectUID", u"StateBase.state"})
        EXPECT_TRUE(is<EditorPropertyTextWidget>(h.row(text))) << wideToNarrow(WString(text));
    for (const char16_t* ref : {u"link", u"ref", u"skin"}) EXPECT_TRUE(is<EditorPropertyReferenceWidget>(h.row(ref)));
    EXPECT_TRUE(is<EditorPropertyBoolWidget>(h.row(u"on")));
    EXPECT_TRUE(is<EditorPropertySubObjectWidget>(h.row(u"inner")));
    EXPECT_TRUE(is<EditorPropertyGroupWidget>(h.row(u"group")));
    EXPECT_TRUE(is<EditorPropertyGroupWidget>(h.topRow()));
    EXPECT_TRUE(is<EditorPropertyRPCWidget>(h.row(u"goto")));
    EXPECT_EQ(childRows(h.row(u"goto")).size(), 2u);
    // An array is shown, not edited.
    EXPECT_TRUE(is<EditorPropertyWidget>(h.row(u"values")));
    EXPECT_EQ(h.valueOf(u"values"), u"[2]");
    // Flags 0x10 and 0x80 keep a property from the panel at any depth.
    EXPECT_EQ(h.row(u"group.hidden"), nullptr);
    EXPECT_NE(h.row(u"group.deeper.deep"), nullptr);
    EXPECT_EQ(h.row(u"group.deeper.gone"), nullptr);
    EXPECT_EQ(childRows(h.row(u"group")).size(), 1u);

    // A class property is a class row, not a plain group, though it is a
    // container.
    PropertyClass classes(0, &Sample::classRecord, u"Sample");
    EditorPropertyWidget* classRow = h.panel().makeWidget(&classes);
    EXPECT_TRUE(is<EditorPropertyClassWidget>(classRow));
    EXPECT_EQ(static_cast<EditorPropertyGroupWidget*>(classRow)->expanded, 0);
    deleteObject(classRow);
}

TEST(PropertyWidgets, TheTreeIsLaidOutIndentedAndClosesAtAnyDepth) {
    EditorHarness h;
    h.edit(h.houseLevel());
    Sample sample;
    h.panel().setEditedObject(&sample);
    EditorPropertyWidget* top = h.topRow();
    EditorPropertyWidget* deeper = h.row(u"group.deeper");
    EditorPropertyWidget* deep = h.row(u"group.deeper.deep");
    // 150 wide at the home position, each level 10 narrower and 10 further
    // in on the left; rows 10 high, one under the other.
    EXPECT_EQ(top->width, 150);
    EXPECT_EQ(h.row(u"count")->width, 140);
    EXPECT_EQ(deeper->width, 130);
    EXPECT_EQ(deep->width, 120);
    EXPECT_EQ(EditorHarness::centreOf(top), V3(412.0f, 369.0f, 0.0f));
    EXPECT_EQ(EditorHarness::centreOf(h.row(u"objectUID")), V3(417.0f, 359.0f, 0.0f));
    EXPECT_EQ(EditorHarness::centreOf(deep).x, 427.0f);
    EXPECT_EQ(EditorHarness::centreOf(deep).y, EditorHarness::centreOf(deeper).y - 10.0f);
    const float lastY = EditorHarness::centreOf(h.row(u"last")).y;
    EXPECT_EQ(EditorHarness::centreOf(h.row(u"goto")).y, lastY + 30.0f);

    // A closed group hides the rows at every depth below it, and the rows
    // after it move up by their height; opened again, a closed group below
    // it stays closed.
    h.clickRow(u"group.deeper");
    EXPECT_TRUE(deep->bHidden);
    EXPECT_EQ(EditorHarness::centreOf(h.row(u"last")).y, lastY + 10.0f);
    h.clickRow(u"group");
    EXPECT_TRUE(deeper->bHidden && deep->bHidden);
    EXPECT_EQ(EditorHarness::centreOf(h.row(u"last")).y, lastY + 20.0f);
    h.clickRow(u"group");
    EXPECT_FALSE(deeper->bHidden);
    EXPECT_TRUE(deep->bHidden);
    EXPECT_EQ(EditorHarness::centreOf(h.row(u"last")).y, lastY + 10.0f);

    // Dragging over the rows moves the whole tree.
    h.pointAt(EditorHarness::centreOf(h.row(u"objectUID")));
    h.dragTo(h.mouse + V3(-100.0f, -50.0f, 0.0f));
    EXPECT_EQ(h.panel().layoutOrigin, h.panel().homePosition + V3(-100.0f, -50.0f, 0.0f));
    EXPECT_EQ(EditorHarness::centreOf(top), V3(312.0f, 319.0f, 0.0f));
    // A new selection starts at home again.
    h.key(KEY_F3);
    EXPECT_EQ(EditorHarness::centreOf(h.topRow()), V3(412.0f, 369.0f, 0.0f));
}

TEST(PropertyWidgets, RowsEditTheirPropertyAndTellTheObject) {
    EditorHarness h;
    h.edit(h.houseLevel());
    Sample sample;
    h.panel().setEditedObject(&sample);

    // The kinds a level object seldom has, each parsed by its property;
    // every change reaches the object as an edit.
    h.editRow(u"mask", u"#00ff00ff");
    h.editRow(u"secure", u"-9");
    h.editRow(u"kind", u"large");
    EXPECT_EQ(sample.mask, 0x00ff00ffu);
    EXPECT_EQ(sample.secure, -9);
    EXPECT_EQ(sample.kind, 2);
    EXPECT_GE(sample.edits, 3);

    // Check rows toggle with a click, unless read-only.
    const int edits = sample.edits;
    h.clickRow(u"on");
    EXPECT_TRUE(sample.on);
    EXPECT_EQ(sample.edits, edits + 1);
    h.clickRow(u"fixed");
    EXPECT_FALSE(sample.fixed);
    EXPECT_EQ(sample.edits, edits + 1);

    // An action with arguments: typed into its rows, then Ctrl+X runs it.
    std::vector<EditorPropertyWidget*> args = childRows(h.row(u"goto"));
    ASSERT_EQ(args.size(), 2u);
    h.clickAt(EditorHarness::centreOf(args[0]));
    h.type(u"4\r");
    h.clickRow(u"goto");
    EXPECT_EQ(sample.state, 0);
    h.chord(KEY_X);
    EXPECT_EQ(sample.state, 4);

    // References are emptied by "null" or Delete.
    sample.link = &sample.inner;
    sample.ref.set(&sample.inner);
    h.editRow(u"link", u"null");
    h.clickRow(u"ref");
    h.key(KEY_DELETE);
    EXPECT_EQ(sample.link, nullptr);
    EXPECT_EQ(sample.ref.get(), nullptr);
}
