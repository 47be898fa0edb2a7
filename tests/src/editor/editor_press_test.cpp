// A press that comes with a jump of the pointer (the pointer moved and the
// button went down in the same frame: a tap on a touch screen or a tablet,
// a remote desktop) takes hold of what it lands on and leaves it where it
// is: every drag of the editor goes by the pointer's movement after the
// press, never by the movement that brought the pointer there. Each case
// runs through the program's input dispatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "EditorHarness.h"
#include "editor/EditorGizmo.h"
#include "flow/GameServer.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayMenu.h"
#include "gfx/ContextBlender.h"
#include "gfx/Quad.h"
#include "gfx/Skin.h"
#include "gui/MenuButton.h"
#include "menu/ContextOptions.h"
#include "object/ResourceLookup.h"
#include "objects/animals/Frog.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Switch.h"
#include "objects/hints/TriggerHint.h"
#include "objects/pig/Piglet.h"
#include "objects/scenery/Decoration.h"
#include "objects/scenery/Vegetation.h"
#include "objects/triggers/House.h"
#include "objects/triggers/SaveProgressTrigger.h"
#include "util/KeyCodes.h"
#include "world/EditorObject.h"
#include "world/Terrain.h"

using editortest::EditorHarness;
using namespace input_codes;

namespace {

const V3 kPlace(-200.0f, 250.0f, 0.0f);
// Nothing of the starter level shows there.
const V3 kEmpty(-450.0f, 350.0f, 0.0f);
// Far from both, where the pointer was before it jumped.
const V3 kAway(420.0f, -330.0f, 0.0f);

template <class T>
T* firstOf(GameServer& server) {
    for (int32_t uid : server.objectMap.ascending())
        if (ZubBase* o = server.findObjectOrNull(uid); o && o->getClass() == &T::classRecord && !o->bToBeDestroyed)
            return static_cast<T*>(o);
    return nullptr;
}

// One object of six families placed one beside the other, and the level's
// own house where it stands; those that could not be placed are missing.
std::vector<EditorObject*> placeOneOfEachFamily(EditorHarness& h) {
    std::vector<EditorObject*> objects;
    V3 at = kPlace;
    for (const RuntimeClass* cls : {&Piglet::classRecord, &Apple::classRecord, &Switch::classRecord, &Frog::classRecord,
                                    &TriggerHint::classRecord, &Vegetation::classRecord}) {
        if (EditorObject* o = h.place(cls, at)) objects.push_back(o);
        at += V3(120.0f, 0.0f, 0.0f);
    }
    if (auto* house = firstOf<House>(h.server())) objects.push_back(house);
    return objects;
}

V3 pickPoint(EditorHarness& h, const EditorObject* o) { return h.onScreen(o->pSkin ? o->boundingCentre : o->position); }

// The angle of a point about another in [0, 2 pi).
double turnBetween(const V3& about, const V3& from, const V3& to) {
    double swept = std::atan2(to.y - about.y, to.x - about.x) - std::atan2(from.y - about.y, from.x - about.x);
    if (swept < 0.0) swept += 2.0 * M_PI;
    return swept;
}

}  // namespace

TEST(EditorPress, APressWithAJumpMovesWhatItLandsOnOnlyByTheMovementAfterIt) {
    EditorHarness h;
    h.edit(h.houseLevel());
    const std::vector<EditorObject*> objects = placeOneOfEachFamily(h);
    ASSERT_EQ(objects.size(), 7u);

    for (EditorObject* o : objects) {
        SCOPED_TRACE(o->getClass()->getTypeName());
        // Nothing selected, the pointer far away.
        h.clickAt(kEmpty);
        ASSERT_EQ(h.focus.getFocus(), nullptr);
        h.pointAt(kAway);
        const V3 start = o->position;
        const V3 at = pickPoint(h, o);

        // The jump and the press in one frame: it takes the focus, and stays.
        h.pressAt(at);
        EXPECT_EQ(h.focus.getFocus(), o);
        EXPECT_EQ(h.panel().getEditedObject(), o);
        EXPECT_EQ(o->position, start);
        // Then it follows the pointer by what the pointer moves.
        h.moveTo(at + V3(30.0f, -20.0f, 0.0f), 2);
        h.moveTo(at + V3(50.0f, 10.0f, 0.0f), 1);
        h.releaseButton();
        EXPECT_NEAR(o->position.x, start.x + 50.0f, 0.01f);
        EXPECT_NEAR(o->position.y, start.y + 10.0f, 0.01f);
        EXPECT_EQ(o->position.z, start.z);
    }
}

TEST(EditorPress, APressWithAJumpNeitherTurnsNorScalesWhatItLandsOn) {
    EditorHarness h;
    h.edit(h.houseLevel());
    EditorObject* o = h.place(&Apple::classRecord, kPlace);
    ASSERT_NE(o, nullptr);

    // R held: the turn is the angle swept about it after the press.
    h.clickAt(kEmpty);
    h.pointAt(kAway);
    const V3 p = h.onScreen(o->position), at = pickPoint(h, o);
    const float rotation = o->rotation.z;
    h.keys.insert(KEY_R);
    h.pressAt(at);
    EXPECT_EQ(h.focus.getFocus(), o);
    EXPECT_EQ(o->rotation.z, rotation);
    const V3 end = p + V3(0.0f, 80.0f, 0.0f);
    h.moveTo(end, 1);
    h.releaseButton();
    h.keys.erase(KEY_R);
    h.step();
    EXPECT_NEAR(o->rotation.z, turnBetween(p, at, end), 1e-3);

    // S held: the scale changes only with the movement after the press.
    h.clickAt(kEmpty);
    h.pointAt(kAway);
    const V3 scale = o->scale;
    h.keys.insert(KEY_S);
    h.pressAt(pickPoint(h, o));
    EXPECT_EQ(h.focus.getFocus(), o);
    EXPECT_EQ(o->scale, scale);
    h.moveTo(h.mouse + V3(10.0f, 10.0f, 0.0f), 1);
    h.moveTo(h.mouse + V3(40.0f, 40.0f, 0.0f), 4);
    h.releaseButton();
    h.keys.erase(KEY_S);
    h.step();
    EXPECT_GT(std::fabs(o->scale.x), std::fabs(scale.x) * 1.2f);
    EXPECT_FLOAT_EQ(o->scale.x, o->scale.y);
}

// S held, the press a hair beside the apple's centre: that is on its axes,
// so the first move scales nothing and the rest scale by the distance from
// there, whatever the zoom and the apple's own scale.
TEST(EditorPress, AScaleDragFromBesideTheCentreGrowsByTheWayItGoes) {
    struct Case {
        int zoomSteps;
        float scale;
    };
    for (const Case c : {Case{0, 1.0f}, Case{2, 1.0f}, Case{0, 3.0f}}) {
        SCOPED_TRACE(testing::Message() << "zoomed in " << c.zoomSteps << " steps, scale " << c.scale);
        EditorHarness h;
        h.edit(h.houseLevel());
        EditorObject* o = h.place(&Apple::classRecord, kPlace);
        ASSERT_NE(o, nullptr);
        o->setScale(c.scale, c.scale, 1.0f);
        const float eyeZ = h.controller().contextGame->camera->eye.z;
        for (int i = 0; i < c.zoomSteps; ++i) {
            h.pointAt(h.onScreen(o->position));
            h.wheel(-1);
        }
        EXPECT_FLOAT_EQ(h.controller().contextGame->camera->eye.z, eyeZ / static_cast<float>(1 << c.zoomSteps));
        h.clickAt(pickPoint(h, o));
        ASSERT_EQ(h.focus.getFocus(), o);
        const V3 centre = h.onScreen(o->position);

        h.keys.insert(KEY_S);
        h.pointAt(centre + V3(0.3f, 0.0f, 0.0f));
        h.pressAt(h.mouse);
        EXPECT_EQ(h.focus.getFocus(), o);
        h.moveTo(centre + V3(10.0f, 0.0f, 0.0f), 1);
        EXPECT_NEAR(o->scale.x, c.scale, c.scale * 1e-3f);
        h.moveTo(centre + V3(20.0f, 0.0f, 0.0f), 4);
        h.releaseButton();
        h.keys.erase(KEY_S);
        h.step();
        // Twice as far out: more than a fifth larger, less than twice.
        EXPECT_GT(o->scale.x, c.scale * 1.2f);
        EXPECT_LT(o->scale.x, c.scale * 2.0f);
        EXPECT_FLOAT_EQ(o->scale.x, o->scale.y);
    }
}

TEST(EditorPress, APressWithAJumpDoesNotBendAPlant) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* plant = static_cast<SaveProgressTrigger*>(h.place(&SaveProgressTrigger::classRecord, kPlace));
    ASSERT_NE(plant, nullptr);
    // Built with its picture (as its construct row does), so that it shows.
    plant->construct(findResource<Quad>(u"flowers1:2"));
    h.step();
    ASSERT_NE(plant->pSkin, nullptr);
    h.clickAt(kEmpty);
    h.pointAt(kAway);
    const float bend = plant->baseBendAngle;
    const V3 p = h.onScreen(plant->position), at = pickPoint(h, plant);
    h.keys.insert(KEY_B);
    h.pressAt(at);
    EXPECT_EQ(h.focus.getFocus(), plant);
    EXPECT_EQ(plant->baseBendAngle, bend);
    const V3 end = p + V3(-60.0f, 60.0f, 0.0f);
    h.moveTo(end, 1);
    h.releaseButton();
    h.keys.erase(KEY_B);
    h.step();
    EXPECT_NEAR(plant->baseBendAngle, std::remainder(bend + turnBetween(p, at, end), 2.0 * M_PI), 1e-3);
}

TEST(EditorPress, APressWithAJumpOntoTheTerrainPaintsOnlyWhereThePointerMovesAfterwards) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* terrain = firstOf<Terrain>(h.server());
    ASSERT_NE(terrain, nullptr);
    // Where nothing else of the level lies over its editor icon.
    terrain->setPosition(-300.0f, 300.0f, 0.0f);
    h.clickAt(kEmpty);
    ASSERT_EQ(h.focus.getFocus(), nullptr);
    const std::vector<float> before = terrain->heights[0];

    // A held: the press gives the terrain the focus and paints nothing of
    // the way the pointer jumped.
    h.pointAt(h.onScreen(V3(100.0f, 450.0f, 0.0f)));
    h.keys.insert(KEY_A);
    h.step();
    h.pressAt(h.onScreen(terrain->position));
    ASSERT_EQ(h.focus.getFocus(), terrain);
    EXPECT_EQ(terrain->heights[0], before);
    // Moved from there, it paints from there.
    const V3 from = terrain->position, to = from + V3(32.0f, 40.0f, 0.0f);
    h.moveTo(h.onScreen(to), 1);
    h.releaseButton();
    h.keys.erase(KEY_A);
    h.step();
    V3 a, b;
    terrain->world2local(a, from);
    terrain->world2local(b, to);
    const int i1 = terrain->getIndexAtLocalX(a.x), i2 = terrain->getIndexAtLocalX(b.x);
    const int first = std::min(i1, i2), last = std::max(i1, i2);
    ASSERT_LT(first, last);
    for (int i = 0; i < static_cast<int>(before.size()); ++i) {
        if (i < first || i > last) {
            EXPECT_EQ(terrain->heights[0][i], before[i]) << i;
        } else {
            EXPECT_NE(terrain->heights[0][i], before[i]) << i;
        }
    }
}

TEST(EditorPress, APressWithAJumpOntoTheRowsDoesNotMoveThem) {
    EditorHarness h;
    h.edit(h.houseLevel());
    EditorObject* o = h.place(&Apple::classRecord, kPlace);
    ASSERT_NE(o, nullptr);
    EditorPropertyWidget* handle = h.row(u"objectUID");
    ASSERT_NE(handle, nullptr);
    h.pointAt(kAway);
    const V3 origin = h.panel().layoutOrigin;
    const V3 at = EditorHarness::centreOf(handle);
    h.pressAt(at);
    EXPECT_EQ(h.panel().layoutOrigin, origin);
    h.moveTo(at + V3(-20.0f, 30.0f, 0.0f), 2);
    h.releaseButton();
    EXPECT_NEAR(h.panel().layoutOrigin.x, origin.x - 20.0f, 1e-3f);
    EXPECT_NEAR(h.panel().layoutOrigin.y, origin.y + 30.0f, 1e-3f);
    // The rows are still those of the object.
    EXPECT_EQ(h.panel().getEditedObject(), o);
}

TEST(EditorPress, APressOfTheMiddleButtonWithAJumpDoesNotPanTheView) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    const Camera& camera = *gc.contextGame->camera;
    h.pointAt(kAway);
    const V3 eye = camera.eye;
    h.pressAt(V3(-100.0f, 50.0f, 0.0f), 2);
    h.step();
    EXPECT_EQ(camera.eye, eye);
    // The world under the pointer at the press follows it afterwards.
    const V3 grabbed = gc.contextGame->mousePosition;
    h.moveTo(V3(0.0f, 0.0f, 0.0f), 2);
    h.releaseButton(2);
    EXPECT_NEAR(gc.contextGame->mousePosition.x, grabbed.x, 1e-3f);
    EXPECT_NEAR(gc.contextGame->mousePosition.y, grabbed.y, 1e-3f);

    // The resource picker's view likewise.
    EditorObject* o = h.place(&Decoration::classRecord, kPlace);
    ASSERT_NE(o, nullptr);
    h.chord(KEY_B);
    EditorGizmo& g = *h.panel().gizmo;
    ASSERT_EQ(h.dialogs->getTop(), &g);
    h.pointAt(kAway);
    const V3 pickerEye = g.camera->eye;
    h.pressAt(V3(100.0f, -50.0f, 0.0f), 2);
    h.step();
    EXPECT_EQ(g.camera->eye, pickerEye);
    const V3 held = g.mousePosition;
    h.moveTo(V3(0.0f, 0.0f, 0.0f), 2);
    h.releaseButton(2);
    EXPECT_NEAR(g.mousePosition.x, held.x, 1e-3f);
    EXPECT_NEAR(g.mousePosition.y, held.y, 1e-3f);
    h.key(KEY_ESCAPE);
}

// A drag goes by all the movement after its press, the movement that comes
// in the press's own poll of the devices included: the press tells where it
// came, the pointer stands there for the press's frame (what the press lands
// on is what stands there), and what it moved after the press comes in the
// next frame. The movement that brought the pointer to the press is still
// left out.
namespace {

// From far away, the button goes down at `at` and the pointer moves along
// `path`: its first step in the press's poll, or in the poll after it.
void dragAlong(EditorHarness& h, const V3& at, const std::vector<V3>& path, bool firstStepInThePressFrame,
               int button = 0) {
    h.pointAt(kAway);
    if (firstStepInThePressFrame) {
        h.pressAndMove(at, path.front(), button);
        // A frame in which the devices tell nothing new.
        h.step();
    } else {
        h.pressAt(at, button);
        h.moveTo(path.front());
    }
    for (size_t i = 1; i < path.size(); ++i) h.moveTo(path[i]);
    h.releaseButton(button);
}

std::vector<V3> stepsFrom(const V3& at, const V3& step, int n) {
    std::vector<V3> path;
    for (int i = 1; i <= n; ++i) path.push_back(at + step * static_cast<float>(i));
    return path;
}

// From far away, the button goes down at `at` and the pointer moves along
// `path`: its last step in the release's poll, or in the poll before it.
void dragAndRelease(EditorHarness& h, const V3& at, const std::vector<V3>& path, bool lastStepWithTheRelease,
                    int button = 0) {
    h.pointAt(kAway);
    h.pressAt(at, button);
    for (size_t i = 0; i + 1 < path.size(); ++i) h.moveTo(path[i]);
    if (lastStepWithTheRelease) {
        h.moveAndRelease(path.back(), button);
    } else {
        h.moveTo(path.back());
        h.releaseButton(button);
    }
    h.step();
}

// From far away, the button goes down at `at`, the pointer moves to the end
// of `path` and the button goes up there, all in one poll (a flick); the
// keys held let go in the next poll (`letGo`), or after the flick's frames.
void flick(EditorHarness& h, const V3& at, const std::vector<V3>& path, bool letGo, int button = 0) {
    h.pointAt(kAway);
    h.released[button] = true;
    h.releasePoint[button] = path.back();
    h.pressAndMove(at, path.back(), button);
    if (letGo) h.keys.clear();
    h.releaseButton(button);
    h.step(2);
}

// A drag from `at` along `path` with `button`, done one of two ways
// (`otherWay`) that must come to the same: dragAlong, dragAndRelease or flick.
using Drag = void (*)(EditorHarness& h, const V3& at, const std::vector<V3>& path, bool otherWay, int button);

// What each kind of drag of the editor leaves, dragged by `drag` (unless
// `dragged` is false) one way or the other.

// R or S held, from `offset` beside the apple's grab point, `step` a move.
std::vector<float> turnedOrScaled(int key, const V3& offset, const V3& step, Drag drag, bool dragged, bool otherWay) {
    EditorHarness h;
    h.edit(h.houseLevel());
    EditorObject* o = h.place(&Apple::classRecord, kPlace);
    if (!o) return {};
    h.clickAt(kEmpty);
    const V3 at = pickPoint(h, o) + offset;
    h.keys.insert(key);
    if (dragged) drag(h, at, stepsFrom(at, step, 4), otherWay, 0);
    h.keys.erase(key);
    h.step();
    return {o->rotation.z, o->scale.x, o->scale.y, o->position.x, o->position.y};
}

// B held on a plant.
std::vector<float> bent(Drag drag, bool dragged, bool otherWay) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* plant = static_cast<SaveProgressTrigger*>(h.place(&SaveProgressTrigger::classRecord, kPlace));
    if (!plant) return {};
    plant->construct(findResource<Quad>(u"flowers1:2"));
    h.step();
    h.clickAt(kEmpty);
    const V3 at = pickPoint(h, plant);
    h.keys.insert(KEY_B);
    if (dragged) drag(h, at, stepsFrom(at, V3(-15.0f, 15.0f, 0.0f), 4), otherWay, 0);
    h.keys.erase(KEY_B);
    h.step();
    return {plant->baseBendAngle, plant->position.x, plant->position.y};
}

// A held on the terrain.
std::vector<float> painted(Drag drag, bool dragged, bool otherWay) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* terrain = firstOf<Terrain>(h.server());
    if (!terrain) return {};
    terrain->setPosition(-300.0f, 300.0f, 0.0f);
    h.clickAt(kEmpty);
    h.keys.insert(KEY_A);
    const V3 at = h.onScreen(terrain->position);
    if (dragged) drag(h, at, stepsFrom(at, V3(16.0f, 20.0f, 0.0f), 3), otherWay, 0);
    h.keys.erase(KEY_A);
    h.step();
    return terrain->heights[0];
}

// The property rows, taken by a row.
std::vector<float> rowsMoved(Drag drag, bool dragged, bool otherWay) {
    EditorHarness h;
    h.edit(h.houseLevel());
    if (!h.place(&Apple::classRecord, kPlace)) return {};
    EditorPropertyWidget* handle = h.row(u"objectUID");
    if (!handle) return {};
    const V3 at = EditorHarness::centreOf(handle);
    if (dragged) drag(h, at, stepsFrom(at, V3(-10.0f, 15.0f, 0.0f), 3), otherWay, 0);
    const V3 origin = h.panel().layoutOrigin;
    return {origin.x, origin.y};
}

// The level's view, by the middle button.
std::vector<float> viewPanned(Drag drag, bool dragged, bool otherWay) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    const V3 at(-100.0f, 50.0f, 0.0f);
    if (dragged) drag(h, at, stepsFrom(at, V3(20.0f, -10.0f, 0.0f), 3), otherWay, 2);
    h.step();
    const V3 eye = gc.contextGame->camera->eye;
    return {eye.x, eye.y, eye.z};
}

// The skin picker's view, by the middle button.
std::vector<float> pickerPanned(Drag drag, bool dragged, bool otherWay) {
    EditorHarness h;
    h.edit(h.houseLevel());
    if (!h.place(&Decoration::classRecord, kPlace)) return {};
    h.chord(KEY_B);
    EditorGizmo& g = *h.panel().gizmo;
    if (h.dialogs->getTop() != &g) return {};
    const V3 at(100.0f, -50.0f, 0.0f);
    if (dragged) drag(h, at, stepsFrom(at, V3(-20.0f, 10.0f, 0.0f), 3), otherWay, 2);
    h.step();
    const V3 eye = g.camera->eye;
    return {eye.x, eye.y, eye.z};
}

// One object of each family, each taken by a point of it and dragged by
// `drag` (its first way) along `n` steps of `step`: each moves by the whole
// way, and the point it was taken by stays under the pointer.
void expectEachFamilyMovedAllTheWay(Drag drag, const V3& step, int n) {
    EditorHarness h;
    h.edit(h.houseLevel());
    const std::vector<EditorObject*> objects = placeOneOfEachFamily(h);
    ASSERT_EQ(objects.size(), 7u);
    for (EditorObject* o : objects) {
        SCOPED_TRACE(o->getClass()->getTypeName());
        h.clickAt(kEmpty);
        const V3 start = o->position;
        const V3 grab = pickPoint(h, o);
        const V3 grabbedOffset = h.onScreen(start) - grab;
        drag(h, grab, stepsFrom(grab, step, n), true, 0);
        EXPECT_FALSE(h.input.isPointerHeld(0));
        EXPECT_NEAR(o->position.x, start.x + step.x * static_cast<float>(n), 0.01f);
        EXPECT_NEAR(o->position.y, start.y + step.y * static_cast<float>(n), 0.01f);
        const V3 offset = h.onScreen(o->position) - h.mouse;
        EXPECT_NEAR(offset.x, grabbedOffset.x, 0.01f);
        EXPECT_NEAR(offset.y, grabbedOffset.y, 0.01f);
    }
}

// What one kind of drag leaves, done both ways (`run(drag, otherWay)`): the
// same, and not nothing.
template <class Run>
void expectBothWaysAlike(Run run) {
    const std::vector<float> untouched = run(false, false);
    const std::vector<float> later = run(true, false);
    const std::vector<float> atOnce = run(true, true);
    ASSERT_EQ(later.size(), atOnce.size());
    EXPECT_NE(later, untouched);
    for (size_t i = 0; i < later.size(); ++i) EXPECT_NEAR(atOnce[i], later[i], 1e-3f) << i;
}

}  // namespace

TEST(EditorPress, ADragMovesWhatItHoldsByTheMovementInThePressesOwnFrameToo) {
    // Down, 10 on in the same frame, five more steps of 10: 60 in all.
    expectEachFamilyMovedAllTheWay(dragAlong, V3(10.0f, 0.0f, 0.0f), 6);
}

// Down, on and up within one poll of the devices: the movement still moves
// what the press took hold of.
TEST(EditorPress, AFlickMovesWhatItTookHoldOf) {
    EditorHarness h;
    h.edit(h.houseLevel());
    EditorObject* o = h.place(&Apple::classRecord, kPlace);
    ASSERT_NE(o, nullptr);
    h.clickAt(kEmpty);
    h.pointAt(kAway);
    const V3 start = o->position;
    const V3 at = pickPoint(h, o);
    h.pressAndMove(at, at + V3(15.0f, 5.0f, 0.0f));
    h.releaseButton();
    h.step();
    EXPECT_EQ(h.focus.getFocus(), o);
    EXPECT_NEAR(o->position.x, start.x + 15.0f, 0.01f);
    EXPECT_NEAR(o->position.y, start.y + 5.0f, 0.01f);
}

TEST(EditorPress, TurningScalingAndBendingTakeTheMovementInThePressesOwnFrame) {
    // R and S on an apple; B on a plant.
    for (const int key : {KEY_R, KEY_S}) {
        SCOPED_TRACE(key == KEY_R ? "R" : "S");
        expectBothWaysAlike([key](bool drag, bool atOnce) {
            return turnedOrScaled(key, V3(), V3(12.0f, 9.0f, 0.0f), dragAlong, drag, atOnce);
        });
    }
    SCOPED_TRACE("B");
    expectBothWaysAlike([](bool drag, bool atOnce) { return bent(dragAlong, drag, atOnce); });
}

TEST(EditorPress, PaintingTheTerrainStartsWhereThePressCame) {
    expectBothWaysAlike([](bool drag, bool atOnce) { return painted(dragAlong, drag, atOnce); });
}

TEST(EditorPress, TheRowsAndThePansFollowTheMovementInThePressesOwnFrame) {
    SCOPED_TRACE("rows");
    expectBothWaysAlike([](bool drag, bool atOnce) { return rowsMoved(dragAlong, drag, atOnce); });
    SCOPED_TRACE("view");
    expectBothWaysAlike([](bool drag, bool atOnce) { return viewPanned(dragAlong, drag, atOnce); });
    SCOPED_TRACE("picker");
    expectBothWaysAlike([](bool drag, bool atOnce) { return pickerPanned(dragAlong, drag, atOnce); });
}

// The release, like the press, comes in its turn among the moves: the
// movement in the release's own poll of the devices, before the release,
// still moves what the drag holds (in a frame of its own, the button held),
// and the release comes in the frame after it, where the button went up.
TEST(EditorPress, TheMovementThatComesWithTheReleaseStillMovesWhatTheDragHolds) {
    // Down, two steps on, and the third with the release: 30 right and 15
    // down in all.
    expectEachFamilyMovedAllTheWay(dragAndRelease, V3(10.0f, -5.0f, 0.0f), 3);
}

TEST(EditorPress, TurningScalingBendingPaintingTheRowsAndThePansTakeTheMovementThatComesWithTheRelease) {
    for (const int key : {KEY_R, KEY_S}) {
        SCOPED_TRACE(key == KEY_R ? "R" : "S");
        // R turns by the angle swept about the apple: taken beside its
        // middle, every step up sweeps some.
        const bool turn = key == KEY_R;
        const V3 offset = turn ? V3(8.0f, 0.0f, 0.0f) : V3();
        const V3 step = turn ? V3(0.0f, 12.0f, 0.0f) : V3(12.0f, 9.0f, 0.0f);
        expectBothWaysAlike([&](bool drag, bool withTheRelease) {
            return turnedOrScaled(key, offset, step, dragAndRelease, drag, withTheRelease);
        });
        // The key let go in the poll after a flick still turns or scales
        // by the flick's movement: it was held when the pointer moved. (A
        // scale from the very centre would scale nothing: the flick starts
        // a step out.)
        const V3 flickOffset = turn ? offset : step;
        expectBothWaysAlike(
            [&](bool drag, bool letGo) { return turnedOrScaled(key, flickOffset, step, flick, drag, letGo); });
    }
    const std::pair<const char*, std::vector<float> (*)(Drag, bool, bool)> kinds[] = {
        {"B", bent}, {"terrain", painted}, {"rows", rowsMoved}, {"view", viewPanned}, {"picker", pickerPanned}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.first);
        const auto leaves = kind.second;
        expectBothWaysAlike(
            [leaves](bool drag, bool withTheRelease) { return leaves(dragAndRelease, drag, withTheRelease); });
    }
}

// The next press may come in the same poll as the last release: the
// release ends the drag where it was, and the press takes hold of what it
// lands on (the pointer's jump to it drags nothing).
TEST(EditorPress, APressThatComesWithTheLastReleaseTakesHoldOfWhatItLandsOn) {
    EditorHarness h;
    h.edit(h.houseLevel());
    const std::vector<EditorObject*> objects = placeOneOfEachFamily(h);
    ASSERT_EQ(objects.size(), 7u);
    EditorObject* first = objects[1];
    EditorObject* second = objects[2];
    h.clickAt(kEmpty);
    const V3 firstStart = first->position, secondStart = second->position;
    const V3 firstGrab = pickPoint(h, first), secondGrab = pickPoint(h, second);
    h.pointAt(kAway);
    h.pressAt(firstGrab);
    h.moveTo(firstGrab + V3(0.0f, 30.0f, 0.0f), 3);
    h.releaseAndPressAt(secondGrab);
    h.step();
    EXPECT_EQ(h.focus.getFocus(), second);
    EXPECT_EQ(h.panel().getEditedObject(), second);
    h.moveTo(secondGrab + V3(40.0f, 0.0f, 0.0f), 2);
    h.releaseButton();
    h.step();
    EXPECT_NEAR(first->position.x, firstStart.x, 0.01f);
    EXPECT_NEAR(first->position.y, firstStart.y + 30.0f, 0.01f);
    EXPECT_NEAR(second->position.x, secondStart.x + 40.0f, 0.01f);
    EXPECT_NEAR(second->position.y, secondStart.y, 0.01f);
}

// The keys act on the object picked once the pages opened over the level
// close: an apple picked, the pause menu (Escape), its "Options..." (the
// options page pushed as the program pushes it), then Escape twice back to
// the level. The panel shows the apple still, and the arrow keys, Ctrl+Z,
// the skin keys and Ctrl+V act on it (and Delete on the copy picked then).
TEST(EditorPress, TheKeysActOnThePickedObjectAgainOnceThePagesOverTheLevelClose) {
    EditorHarness h;
    h.edit(h.houseLevel());
    EditorObject* apple = h.place(&Apple::classRecord, kPlace);
    ASSERT_NE(apple, nullptr);
    h.clickAt(kEmpty);
    h.clickAt(pickPoint(h, apple));
    ASSERT_EQ(h.focus.getFocus(), apple);

    MyRootObject& root = *h.server().gameRoot();
    h.key(KEY_ESCAPE);
    auto* menu = zub_cast<OverlayMenu>(root.contextOverlay);
    ASSERT_NE(menu, nullptr);
    h.step(15);
    const V3 options = menu->pOptions->cursorAnchor(0);
    h.clickAt(V3(options.x - 512.0f, options.y - 384.0f, 0.0f));
    ASSERT_EQ(h.services.optionsOpened, 1);
    h.dialogs->pushContext(new ContextOptions(nullptr));
    h.step(15);
    h.key(KEY_ESCAPE);
    h.step();
    ASSERT_EQ(h.dialogs->getTop(), nullptr);
    ASSERT_NE(root.contextOverlay, nullptr);
    h.step(15);
    h.key(KEY_ESCAPE);
    for (int i = 0; i < 10 && root.contextOverlay; ++i) h.step();
    ASSERT_EQ(root.contextOverlay, nullptr);
    ASSERT_EQ(h.panel().getEditedObject(), apple);

    const V3 start = apple->position;
    h.key(KEY_RIGHT);
    h.key(KEY_UP);
    EXPECT_EQ(apple->position, start + V3(1.0f, 1.0f, 0.0f));
    h.chord(KEY_Z);
    EXPECT_EQ(apple->position, start);
    Skin* skin = apple->pSkin;
    h.key(KEY_2);
    EXPECT_NE(apple->pSkin, skin);
    h.key(KEY_1);
    EXPECT_EQ(apple->pSkin, skin);
    // Ctrl+V: a copy, picked; Delete takes it away again.
    const int objects = h.server().objectCount();
    h.chord(KEY_V);
    EXPECT_GT(h.server().objectCount(), objects);
    ZubBaseReference copy;
    copy.set(h.focus.getFocus());
    ASSERT_NE(copy.get(), nullptr);
    EXPECT_NE(copy.get(), apple);
    h.key(KEY_DELETE);
    h.step();
    EXPECT_EQ(copy.get(), nullptr);
    EXPECT_FALSE(apple->bToBeDestroyed);
}
