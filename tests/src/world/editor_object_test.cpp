// Editable objects: the proxy and the drawing order, picking, focus, the
// editor keys and drags, selection groups and copies.
#include <gtest/gtest.h>

#include "world/EditorProxy.h"
#include "world_test_support.h"

using namespace input_codes;
using worldtest::TestWorld;

namespace {

class Counting : public A99Object {
public:
    void onEdited() override {
        ++edits;
        A99Object::onEdited();
    }
    void renderObject() override {
        ++draws;
        A99Object::renderObject();
    }
    int edits = 0;
    int draws = 0;
};

class EditorObjectTest : public ::testing::Test {
protected:
    std::vector<ZubBase*> proxyOrder() {
        std::vector<ZubBase*> owners;
        for (ZubBase* c = world.proxyList->firstChild; c; c = c->nextSibling)
            owners.push_back(static_cast<EditorProxy*>(c)->getOwner());
        return owners;
    }
    TestWorld world;
};

class EditorModeTest : public EditorObjectTest {
protected:
    void SetUp() override { world.setEditing(true); }
    void key(ZubBase* target, int code, int mods = 0) {
        world.releaseKeys();
        world.pressKey(code, mods);
        ZubBase::sendEvent(EVENT_KEY, nullptr, target);
    }
    void drag(ZubBase* target, const V3& from, const V3& to, int heldKey = 0, int mods = 0) {
        world.releaseKeys();
        if (heldKey) world.input->keys[heldKey] = 0x80;
        world.input->modifierState = mods;
        world.context.prevMousePosition = from;
        world.context.mousePosition = to;
        world.context.mouseMovement = to - from;
        ZubBase::sendEvent(EVENT_DRAG, nullptr, target);
    }
};

}  // namespace

TEST_F(EditorObjectTest, OneRegisteredProxyDrawsTheObjectAndGoesWithIt) {
    Counting* o = world.place<Counting>();
    EditorProxy* p = o->getProxy();
    ASSERT_NE(p, nullptr);
    EXPECT_GT(p->objectUID, 0);
    EXPECT_EQ(p->getOwner(), o);
    o->construct();
    EXPECT_EQ(o->getProxy(), p);
    EXPECT_EQ(world.proxyList->countChildren(), 1);
    world.proxyList->render();
    o->render();  // the object itself draws nothing where it hangs
    EXPECT_EQ(o->draws, 1);
    // Replicated in again, it goes back into the list.
    world.proxyList->removeChild(p);
    o->netPostReplicate();
    EXPECT_EQ(p->parent, world.proxyList);
    const int32_t uid = p->objectUID;
    o->destroy();
    EXPECT_EQ(world.proxyList->countChildren(), 0);
    EXPECT_EQ(world.role->findObjectOrNull(uid), nullptr);
}

TEST_F(EditorObjectTest, DrawingOrder) {
    A99Object* a = world.place<A99Object>();
    A99Object* b = world.place<A99Object>();
    A99Object* c = world.place<A99Object>();
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{a, b, c}));
    a->placeAfter(b);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{b, a, c}));
    c->placeBefore(nullptr);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{c, b, a}));
    c->placeAfter(nullptr);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{b, a, c}));
    b->placeBefore(c);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{a, b, c}));
}

TEST_F(EditorObjectTest, AnotherProxyOfAnOwnerForgetsItWhenItGoes) {
    Counting* o = world.place<Counting>();
    EditorProxy* extra = EditorProxy::create();
    world.role->registerObject(extra, 0);
    extra->setOwner(o);
    world.proxyList->addChild(extra);
    o->destroy();
    EXPECT_EQ(extra->getOwner(), nullptr);
    world.proxyList->render();
    int skip = 0;
    EXPECT_EQ(world.proxyList->findObjectUnderMouse(skip), nullptr);
}

TEST_F(EditorObjectTest, EditedEventRunsOnEditedAndTellsReferrers) {
    Counting* o = world.place<Counting>();
    Hull* h = world.makeHull(o, {{0, 0, 0}, {10, 0, 0}});
    h->boundingRadius = 0.0f;
    o->edits = 0;
    o->requestEvent9();
    EXPECT_EQ(o->edits, 1);
    EXPECT_EQ(h->boundingRadius, 10.0f);  // the hull heard of it
}

TEST_F(EditorModeTest, PickingUsesTheEditorIcon) {
    A99Object* o = world.place<A99Object>(V3(100, 100, 0));
    world.context.mousePosition = V3(105, 95, 0);
    EXPECT_TRUE(o->isMouseInside());
    world.context.mousePosition = V3(130, 95, 0);
    EXPECT_FALSE(o->isMouseInside());
    EXPECT_EQ(o->pSkin, nullptr);
    EXPECT_EQ(world.findObjectUnderMouse(0), nullptr);
    world.context.mousePosition = V3(100, 100, 0);
    EXPECT_EQ(world.findObjectUnderMouse(0), o);
}

TEST_F(EditorModeTest, FocusRemembersThePositionAndEditsTheObject) {
    A99Object* o = world.place<A99Object>(V3(5, 6, 0));
    world.focus.setFocus(o);
    EXPECT_EQ(world.panel.getEditedObject(), o);
    EXPECT_EQ(world.panel.selectionPosition, V3(5, 6, 0));
    world.focus.setFocus(nullptr);
    EXPECT_EQ(world.panel.getEditedObject(), nullptr);
}

TEST_F(EditorModeTest, DeleteKeyRespectsUndeletable) {
    A99Object* o = world.place<A99Object>();
    o->bUndeletable = true;
    key(o, KEY_DELETE);
    EXPECT_FALSE(o->bToBeDestroyed);
    o->bUndeletable = false;
    key(o, KEY_DELETE);
    EXPECT_TRUE(o->bToBeDestroyed);
    // The object list's next walk deletes it; nothing of it stays registered.
    const int32_t uid = o->objectUID, proxyUid = o->getProxy()->objectUID;
    world.objectList->tick(0.0, 0.01);
    EXPECT_EQ(world.role->findObjectOrNull(uid), nullptr);
    EXPECT_EQ(world.role->findObjectOrNull(proxyUid), nullptr);
    EXPECT_EQ(world.proxyList->countChildren(), 0);
}

TEST_F(EditorModeTest, ArrowsMoveAndEditMirrorOnlyTransforms) {
    Counting* o = world.place<Counting>(V3(10, 10, 0));
    o->edits = 0;
    key(o, KEY_UP);
    key(o, KEY_LEFT);
    EXPECT_EQ(o->position, V3(9, 11, 0));
    EXPECT_EQ(o->edits, 2);
    key(o, KEY_F, 2);
    key(o, KEY_G, 2);
    EXPECT_EQ(o->scale, V3(-1, -1, 1));
    EXPECT_EQ(o->edits, 2);
    world.panel.selectionPosition = V3(10, 10, 0);
    key(o, KEY_Z, 2);
    EXPECT_EQ(o->position, V3(10, 10, 0));
    EXPECT_GE(o->edits, 3);
}

TEST_F(EditorModeTest, PeriodAndCommaChangeTheDrawingOrder) {
    A99Object* a = world.place<A99Object>();
    A99Object* b = world.place<A99Object>();
    A99Object* c = world.place<A99Object>();
    world.focus.hoverObject.set(c);
    key(a, KEY_PERIOD);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{b, c, a}));
    key(a, KEY_COMMA);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{b, a, c}));
    world.focus.hoverObject.set(nullptr);
    world.pressKey(KEY_RSHIFT, 1);
    world.input->keys[KEY_PERIOD] = 0x80;
    ZubBase::sendEvent(EVENT_KEY, nullptr, b);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{a, c, b}));
    // Nothing on the hero.
    world.hero = c;
    world.focus.hoverObject.set(a);
    key(c, KEY_PERIOD);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{a, c, b}));
    // Nothing under the mouse: after the hero.
    world.focus.hoverObject.set(nullptr);
    key(a, KEY_PERIOD);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{c, a, b}));
}

TEST_F(EditorModeTest, SkinKeysStepThroughTheSheet) {
    A99Object* o = world.place<A99Object>();
    o->setSkin(world.resources.findAs<Skin>(u"editor_symbols:3"));
    key(o, KEY_2);
    EXPECT_EQ(o->pSkin, world.resources.find(u"editor_symbols:4"));
    key(o, KEY_1);
    key(o, KEY_1);
    EXPECT_EQ(o->pSkin, world.resources.find(u"editor_symbols:2"));
    o->setSkin(world.resources.findAs<Skin>(u"editor_symbols:7"));
    key(o, KEY_2);  // no ":8": unchanged
    EXPECT_EQ(o->pSkin, world.resources.find(u"editor_symbols:7"));
}

TEST_F(EditorModeTest, RotationDragStaysInOneTurn) {
    A99Object* o = world.place<A99Object>();
    drag(o, {100, 0, 0}, {0, 100, 0}, KEY_R);
    EXPECT_NEAR(o->rotation.z, kPi * 0.5f, 1e-5f);
    drag(o, {100, 0, 0}, {0, -100, 0}, KEY_R);
    EXPECT_NEAR(o->rotation.z, 0.0f, 1e-5f);
    drag(o, {100, 0, 0}, {0, -100, 0}, KEY_R);
    EXPECT_NEAR(o->rotation.z, kPi * 1.5f, 1e-5f);
    drag(o, {100, 0, 0}, {0, 100, 0}, KEY_R);
    EXPECT_NEAR(o->rotation.z, 0.0f, 1e-5f);
}

TEST_F(EditorModeTest, ScaleDragClampsKeepingTheSign) {
    Counting* o = world.place<Counting>();
    drag(o, {100, 100, 0}, {50, 50, 0}, KEY_S);
    EXPECT_NEAR(o->scale.x, 0.5f, 1e-6f);
    EXPECT_NEAR(o->scale.y, 0.5f, 1e-6f);
    EXPECT_GT(o->edits, 0);
    drag(o, {10, 10, 0}, {0, 0, 0}, KEY_S);  // a factor of exactly 0
    EXPECT_EQ(o->scale.x, -0.01f);
    EXPECT_EQ(o->scale.y, -0.01f);
    drag(o, {10, 10, 0}, {5, 5, 0}, KEY_S, 2);  // Ctrl: back to 1
    EXPECT_EQ(o->scale, V3(1, 1, 1));
    o->setScale(-1.0f, 1.0f, 1.0f);
    drag(o, {10, 10, 0}, {0.01f, 0.01f, 0}, KEY_S);
    EXPECT_EQ(o->scale.x, -0.01f);
    EXPECT_EQ(o->scale.y, 0.01f);
    o->setScale(1.0f, 1.0f, 1.0f);
    drag(o, {10, 10, 0}, {20, 15, 0}, KEY_S, 1);  // Shift: per axis
    EXPECT_NEAR(o->scale.x, 2.0f, 1e-6f);
    EXPECT_NEAR(o->scale.y, 1.5f, 1e-6f);
    o->setScale(1.0f, 1.0f, 1.0f);
    drag(o, {10, 10, 0}, {20, 15, 0}, KEY_S, 3);  // Alt: the axis moved along more
    EXPECT_NEAR(o->scale.x, 2.0f, 1e-6f);
    EXPECT_EQ(o->scale.y, 1.0f);
}

// A scale drag that starts a hair beside the object's centre: the hair is
// on the axis (a pixel or two on the screen, whatever the zoom and the
// object's scale), and the drag scales by how far it goes from there.
TEST_F(EditorModeTest, ScaleDragFromBesideTheCentreGrowsByTheWayItGoes) {
    Camera* camera = world.context.camera;
    const float eyeZ = camera->eye.z;
    // Zoomed in four times and out four times; the object at scale 1, 4 and
    // 0.25.
    for (const float zoom : {4.0f, 0.25f}) {
        for (const float start : {1.0f, 4.0f, 0.25f}) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << ", scale " << start);
            camera->eye.z = eyeZ / zoom;
            Counting* o = world.place<Counting>(V3(30.0f, -20.0f, 0.0f));
            o->setScale(start, start, 1.0f);
            const V3 centre = camera->worldToScreen(o->position);
            const auto at = [&](float dx) { return camera->screenToWorld(centre.x + dx, centre.y, 0.0f); };

            // From half a pixel beside the centre, 10 pixels out in one step:
            // nothing changes yet. Then to 20: the distance doubled.
            drag(o, at(0.5f), at(10.0f), KEY_S);
            EXPECT_NEAR(o->scale.x, start, start * 1e-4f);
            EXPECT_NEAR(o->scale.y, start, start * 1e-4f);
            drag(o, at(10.0f), at(20.0f), KEY_S, 1);
            EXPECT_NEAR(o->scale.x, start * 2.0f, start * 2e-3f);
            EXPECT_NEAR(o->scale.y, start, start * 1e-4f);

            // From a quarter of a pixel beside it, out in steps to 10
            // pixels: the step from on the axis counts for nothing, the rest
            // by their ratio (never more than 10 / 2 in all).
            o->setScale(start, start, 1.0f);
            float from = 0.25f;
            for (const float to : {3.0f, 5.0f, 7.5f, 10.0f}) {
                drag(o, at(from), at(to), KEY_S);
                from = to;
            }
            EXPECT_GT(o->scale.x, start * 1.2f);
            EXPECT_LE(o->scale.x, start * 5.0f);
            EXPECT_FLOAT_EQ(o->scale.x, o->scale.y);
            o->destroy();
        }
        // Scaled unlike along its axes, each axis has its own band: with
        // Shift, a pixel above the centre out to 10 is on the x axis and
        // scales nothing; 10 to 20 doubles y alone.
        for (const V3 start : {V3(4.0f, 0.25f, 1.0f), V3(0.25f, 4.0f, 1.0f)}) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << ", scale " << start.x << " x " << start.y);
            Counting* o = world.place<Counting>(V3(30.0f, -20.0f, 0.0f));
            o->setScale(start.x, start.y, 1.0f);
            const V3 centre = camera->worldToScreen(o->position);
            const auto above = [&](float dy) { return camera->screenToWorld(centre.x, centre.y + dy, 0.0f); };
            drag(o, above(1.0f), above(10.0f), KEY_S, 1);
            EXPECT_NEAR(o->scale.y, start.y, start.y * 1e-4f);
            drag(o, above(10.0f), above(20.0f), KEY_S, 1);
            EXPECT_NEAR(o->scale.x, start.x, start.x * 1e-4f);
            EXPECT_NEAR(o->scale.y, start.y * 2.0f, start.y * 2e-3f);
            o->destroy();
        }
    }
    camera->eye.z = eyeZ;
}

TEST_F(EditorModeTest, MoveDragMovesTheGroup) {
    A99Object* a = world.place<A99Object>(V3(0, 0, 0));
    A99Object* b = world.place<A99Object>(V3(100, 0, 0));
    A99Object* c = world.place<A99Object>(V3(200, 0, 0));
    // Pointer moves with the second button over other objects build the group.
    world.releaseKeys();
    world.input->mouseButtons[1] = 1;
    world.focus.hoverObject.set(b);
    ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, a);
    world.focus.hoverObject.set(c);
    ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, a);
    ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, a);  // already in: no change
    EXPECT_EQ(a->nextSelected(), c);
    EXPECT_EQ(c->nextSelected(), b);
    EXPECT_EQ(b->nextSelected(), nullptr);
    drag(a, {0, 0, 0}, {5, 7, 0});
    EXPECT_EQ(a->position, V3(5, 7, 0));
    EXPECT_EQ(b->position, V3(105, 7, 0));
    EXPECT_EQ(c->position, V3(205, 7, 0));
    // With left Shift a member leaves the group.
    world.input->mouseButtons[1] = 1;
    world.input->keys[KEY_LSHIFT] = 0x80;
    ZubBase::sendEvent(EVENT_MOUSE_MOVE, nullptr, a);
    EXPECT_EQ(a->nextSelected(), b);
    world.input->mouseButtons[1] = 0;
    // Gaining the focus dissolves the group.
    world.focus.setFocus(a);
    EXPECT_EQ(a->nextSelected(), nullptr);
}

TEST_F(EditorModeTest, CopyMakesDeepCopiesBesideTheOriginal) {
    A99Object* o = world.place<A99Object>(V3(50, 60, 0));
    Hull* h = world.makeHull(o, {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, true);
    A99Object* after = world.place<A99Object>();
    key(o, KEY_V, 2);
    world.drain();
    ASSERT_EQ(world.objectList->countChildren(), 3);
    A99Object* copy = static_cast<A99Object*>(o->nextSibling);
    EXPECT_EQ(copy->position, V3(60, 50, 0));
    EXPECT_EQ(world.focus.getFocus(), copy);
    EXPECT_EQ(proxyOrder(), (std::vector<ZubBase*>{o, copy, after}));
    // A hull of its own, whole, in the hull list (and found by sweeps).
    Hull* ch = copy->getHull();
    ASSERT_TRUE(ch && ch != h);
    EXPECT_EQ(ch->owner(), copy);
    EXPECT_EQ(ch->parent, world.hullList);
    ASSERT_EQ(ch->segmentCount(), 3);
    EXPECT_EQ(ch->getSegment(0)->getHull(), ch);
    EXPECT_EQ(ch->getSegment(0)->getV1(), ch->getVertex(0));
    EXPECT_EQ(ch->getSegment(2)->next(), ch->getSegment(0));
    EXPECT_EQ(ch->pIndex, world.hullList);
}

TEST_F(EditorModeTest, CopySkipsUnduplicatableObjects) {
    A99Object* a = world.place<A99Object>();
    A99Object* b = world.place<A99Object>(V3(100, 0, 0));
    A99Object* c = world.place<A99Object>(V3(200, 0, 0));
    a->addToGroup(c);
    a->addToGroup(b);
    b->bUnduplicatable = true;
    key(a, KEY_V, 2);
    world.drain();
    EXPECT_EQ(world.objectList->countChildren(), 5);
    A99Object* aCopy = static_cast<A99Object*>(a->nextSibling);
    A99Object* cCopy = static_cast<A99Object*>(c->nextSibling);
    EXPECT_EQ(aCopy->nextSelected(), cCopy);
    EXPECT_EQ(cCopy->position, V3(210, -10, 0));
    a->bUnduplicatable = true;
    key(a, KEY_V, 2);
    EXPECT_EQ(world.objectList->countChildren(), 5);
}
