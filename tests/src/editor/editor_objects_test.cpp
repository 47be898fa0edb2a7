// Level objects placed, picked, moved, turned, scaled, mirrored, copied and
// deleted in a level opened for editing, by the editor's keys and the
// pointer only: every placeable class goes through the class list, and one
// object of each family through the pointer's drags. The edited level then
// plays on with what was changed.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "flow/GameServer.h"
#include "gfx/ContextBlender.h"
#include "gfx/Skin.h"
#include "object/Property.h"
#include "objects/animals/Frog.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Switch.h"
#include "objects/hints/TriggerHint.h"
#include "objects/pig/Piglet.h"
#include "objects/scenery/Fence.h"
#include "objects/scenery/HillsBackdrop.h"
#include "objects/scenery/Vegetation.h"
#include "util/KeyCodes.h"
#include "world/EditorObject.h"
#include "world/EditorProxy.h"

using editortest::EditorHarness;
using namespace input_codes;

namespace {

const V3 kPlace(-200.0f, 250.0f, 0.0f);
// Nothing of the starter level shows there.
const V3 kEmpty(-450.0f, 350.0f, 0.0f);

// The live objects of the class in the level's registry.
std::vector<EditorObject*> objectsOf(GameServer& server, const RuntimeClass* cls) {
    std::vector<EditorObject*> out;
    for (int32_t uid : server.objectMap.ascending())
        if (ZubBase* o = server.findObjectOrNull(uid); o && o->getClass() == cls && !o->bToBeDestroyed)
            out.push_back(static_cast<EditorObject*>(o));
    return out;
}

// Whether the object hangs in one of the controller's lists.
bool inALevelList(GameController& gc, const ZubBase* o) { return o->parent && o->parent->parent == gc.contextGame; }

}  // namespace

TEST(EditorObjects, EveryClassIsPlacedPickedMovedMirroredCopiedAndDeletedByTheEditorsKeys) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    const std::vector<const RuntimeClass*> classes = EditorObject::placeableClasses();
    ASSERT_GE(classes.size(), 40u);
    std::set<std::string> picked;
    for (const RuntimeClass* cls : classes) {
        SCOPED_TRACE(cls->getTypeName());
        EditorObject* o = h.place(cls, kPlace);
        ASSERT_NE(o, nullptr);
        // In the level: registered, in a list, drawn through its proxy, at
        // the pointer; edited, with the focus.
        EXPECT_TRUE(inALevelList(gc, o));
        ASSERT_NE(o->getProxy(), nullptr);
        EXPECT_EQ(o->getProxy()->parent, gc.proxyList);
        EXPECT_EQ(o->getProxy()->getOwner(), o);
        EXPECT_EQ(o->position, V3(-200.0f, 250.0f, 0.0f));
        EXPECT_EQ(h.panel().getEditedObject(), o);
        EXPECT_EQ(h.focus.getFocus(), o);
        ZubBaseReference alive;
        alive.set(o);

        // Picked where it shows: on its skin, or on its editor icon. Objects
        // that still wait for their construct action (an empty skin of
        // their own) show nothing yet.
        const bool waiting = o->pSkin && o->bOwnsSkin && !(o->pSkin->width > 0.0f && o->pSkin->height > 0.0f);
        const V3 pickAt = h.onScreen(o->pSkin ? o->boundingCentre : o->position);
        if (waiting) {
            // Their rows come up at once: the construct action is there.
            EXPECT_NE(h.row(u"construct"), nullptr);
        } else {
            h.clickAt(kEmpty);
            EXPECT_EQ(h.panel().getEditedObject(), nullptr);
            h.clickAt(pickAt);
            EXPECT_EQ(h.focus.getFocus(), o);
            EXPECT_EQ(h.panel().getEditedObject(), o);
            picked.insert(cls->getTypeName());
        }

        // The cursor keys move it a unit at a time; Ctrl+Z puts it back
        // where it was when it took the focus.
        const V3 start = o->position;
        h.key(KEY_RIGHT);
        h.key(KEY_UP);
        EXPECT_EQ(o->position, start + V3(1.0f, 1.0f, 0.0f));
        h.chord(KEY_Z);
        EXPECT_EQ(o->position, start);

        // Ctrl+F and Ctrl+G mirror it across its axes.
        const V3 scale = o->scale;
        h.chord(KEY_F);
        h.chord(KEY_G);
        EXPECT_EQ(o->scale, V3(-scale.x, -scale.y, scale.z));

        // Ctrl+V copies it beside itself and the copy takes the focus.
        const size_t count = objectsOf(h.server(), cls).size();
        h.chord(KEY_V);
        std::vector<EditorObject*> now = objectsOf(h.server(), cls);
        EditorObject* copy = nullptr;
        if (o->bUnduplicatable) {
            EXPECT_EQ(now.size(), count);
        } else {
            ASSERT_EQ(now.size(), count + 1);
            copy = now.back();
            EXPECT_EQ(h.focus.getFocus(), copy);
            EXPECT_EQ(copy->position, o->position + V3(10.0f, -10.0f, 0.0f));
            EXPECT_EQ(copy->scale, o->scale);
            ASSERT_NE(copy->getProxy(), nullptr);
            EXPECT_EQ(copy->getProxy()->getOwner(), copy);
            // Delete removes the copy; the panel empties with it.
            ZubBaseReference copyAlive;
            copyAlive.set(copy);
            h.key(KEY_DELETE);
            h.step();
            EXPECT_EQ(copyAlive.get(), nullptr);
            EXPECT_EQ(h.panel().getEditedObject(), nullptr);
        }
        // What cannot be picked yet stays (invisible until constructed).
        if (waiting) continue;
        h.clickAt(h.onScreen(o->pSkin ? o->boundingCentre : o->position));
        ASSERT_EQ(h.focus.getFocus(), o);
        const bool undeletable = o->bUndeletable;
        h.key(KEY_DELETE);
        h.step();
        if (undeletable) {
            EXPECT_EQ(alive.get(), o);
        } else {
            EXPECT_EQ(alive.get(), nullptr);
            EXPECT_EQ(h.panel().getEditedObject(), nullptr);
        }
    }
    // Everything but the few objects that wait for their construct action.
    EXPECT_GE(picked.size(), classes.size() - 6);
}

TEST(EditorObjects, OneOfEachFamilyIsDraggedTurnedAndScaledWithThePointer) {
    EditorHarness h;
    h.edit(h.houseLevel());
    const RuntimeClass* families[] = {&Piglet::classRecord, &Apple::classRecord,       &Switch::classRecord,
                                      &Frog::classRecord,   &TriggerHint::classRecord, &Vegetation::classRecord};
    for (const RuntimeClass* cls : families) {
        SCOPED_TRACE(cls->getTypeName());
        EditorObject* o = h.place(cls, kPlace);
        ASSERT_NE(o, nullptr);
        auto pickPoint = [&] { return h.onScreen(o->pSkin ? o->boundingCentre : o->position); };

        // Dragged: it follows the pointer, and its rows show where it is.
        const V3 start = o->position;
        h.pointAt(pickPoint());
        h.dragTo(h.mouse + V3(60.0f, -40.0f, 0.0f));
        EXPECT_EQ(h.panel().getEditedObject(), o);
        EXPECT_NEAR(o->position.x, start.x + 60.0f, 0.01f);
        EXPECT_NEAR(o->position.y, start.y - 40.0f, 0.01f);
        EXPECT_EQ(h.valueOf(u"position.x"), PropertyFloat(u"", 0, &o->position.x).toString());

        // Turned with R held: by the angle the pointer swept about it.
        const V3 p = o->position, c = pickPoint(), end = p + V3(0.0f, 80.0f, 0.0f);
        h.pointAt(c);
        h.keys.insert(KEY_R);
        h.mouse = p + V3(80.0f, 0.0f, 0.0f);
        h.buttons[0] = true;
        h.step();
        h.mouseMoved = true;
        h.step();
        h.mouse = end;
        h.mouseMoved = true;
        h.step();
        h.buttons[0] = false;
        h.keys.erase(KEY_R);
        h.step();
        double swept = std::atan2(end.y - p.y, end.x - p.x) - std::atan2(c.y - p.y, c.x - p.x);
        if (swept < 0.0) swept += 2.0 * M_PI;
        EXPECT_NEAR(o->rotation.z, swept, 1e-3);
        EXPECT_GT(o->rotation.z, 0.5f);

        // Scaled with S held: dragged away from it, it grows evenly.
        const float before = std::fabs(o->scale.x);
        h.pointAt(pickPoint());
        h.keys.insert(KEY_S);
        h.dragTo(h.mouse + V3(10.0f, 10.0f, 0.0f), 1);
        h.dragTo(h.mouse + V3(40.0f, 40.0f, 0.0f), 4);
        h.keys.erase(KEY_S);
        h.step();
        EXPECT_GT(std::fabs(o->scale.x), before * 1.2f);
        EXPECT_FLOAT_EQ(o->scale.x, o->scale.y);
    }
}
