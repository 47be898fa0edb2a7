// The editor panel's properties are part of every level file: their names,
// kinds and order, and the bytes of a panel's body, are locked here. A
// change to them is a change of the level-file format.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "editor/EditorPropertyClassWidget.h"
#include "editor/EditorPropertyPanel.h"
#include "editor/EditorPropertyReferenceWidget.h"
#include "editor/EditorPropertyTextWidget.h"
#include "flow/GameServer.h"
#include "flow/LevelHullList.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayMenu.h"
#include "gfx/ContextBlender.h"
#include "gfx/ZubGraphics.h"
#include "gui/GUIeditBox.h"
#include "gui/MenuButton.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "objects/devices/Springboard.h"
#include "objects/devices/Switch.h"
#include "objects/pig/Pig.h"
#include "objects/scenery/Decoration.h"
#include "objects/triggers/House.h"
#include "platform/RenderDevice.h"
#include "sys/Console.h"
#include "util/KeyCodes.h"
#include "util/Random.h"
#include "world/EditorObject.h"

namespace {

void listProperties(const Property* container, const std::string& prefix, std::vector<std::string>& out) {
    for (const Property* p : childrenOf<Property>(container)) {
        const std::string name = prefix + wideToNarrow(WString(p->getName()));
        out.push_back(name + ":" + wideToNarrow(p->getClass()->getName()));
        listProperties(p, name + ".", out);
    }
}

std::string hex(const Packet& p) {
    std::string s;
    for (int i = 0; i < p.length(); ++i)
        s += "0123456789abcdef"[p.data()[i] >> 4], s += "0123456789abcdef"[p.data()[i] & 15];
    return s;
}

}  // namespace

TEST(EditorPropertyPanel, LevelFilesKeepItsPropertiesAndTheirBytes) {
    EditorPropertyPanel panel;
    PropertyContainer* c = panel.createPropertyContainer();
    std::vector<std::string> names;
    listProperties(c, "", names);
    deleteObject(c);
    const std::vector<std::string> expected = {"objectUID:PropertyInt",
                                               "StateBase:PropertyContainer",
                                               "StateBase.state:PropertyInt",
                                               "StateBase.timeInState:PropertyDouble",
                                               "StateBase.stateLeft:PropertyDouble",
                                               "StateBase.stateGoto:PropertyInt",
                                               "bShowHulls:PropertyBool",
                                               "bShowBezierPaths:PropertyBool",
                                               "bShowTriggerAreas:PropertyBool",
                                               "editorCamera:PropertyContainer",
                                               "editorCamera.x:PropertyFloat",
                                               "editorCamera.y:PropertyFloat",
                                               "editorCamera.z:PropertyFloat",
                                               "levelName:PropertyUString",
                                               "showClassConstructors:PropertyRPCBase"};
    EXPECT_EQ(names, expected);
    // A new panel shows every editor view, stands half a screen in front
    // of the level and names no level.
    EXPECT_TRUE(panel.bShowHulls && panel.bShowBezierPaths && panel.bShowTriggerAreas);
    EXPECT_EQ(panel.editorCamera, V3(0.0f, 0.0f, -512.0f));
    EXPECT_EQ(panel.levelName, u"none");

    panel.objectUID = 42;
    panel.bShowHulls = false;
    panel.bShowTriggerAreas = false;
    panel.editorCamera = V3(1.5f, -2.0f, -256.0f);
    panel.levelName = u"a1";
    Packet p(Packet::FLAG_NETWORK | Packet::FLAG_RAW_CLASSES, 256);
    panel.netSerialize(p);
    EXPECT_EQ(hex(p), "0000000000000000000002003e00c000dc025c0cfbfcfdfe00");

    p.rewindToRead();
    EditorPropertyPanel copy;
    copy.objectUID = 42;
    copy.netSerialize(p);
    EXPECT_FALSE(p.failed());
    EXPECT_FALSE(copy.bShowHulls || copy.bShowTriggerAreas);
    EXPECT_TRUE(copy.bShowBezierPaths);
    EXPECT_EQ(copy.editorCamera, panel.editorCamera);
    EXPECT_EQ(copy.levelName, u"a1");
}

// ---------------------------------------------------------------------------
// The panel at work, in a level opened for editing.

namespace {

using editortest::EditorHarness;
using namespace input_codes;

int liveRows(const ZubBase* holder) {
    int n = 0;
    for (const ZubBase* c : childrenOf(holder)) n += c->bToBeDestroyed ? 0 : 1;
    return n;
}

std::vector<ZubBase*> levelLists(GameController& gc) {
    return {gc.bgList,        gc.bgEffectsList, gc.secretList,      gc.dangerAreaList, gc.objectList,
            gc.pigList,       gc.pigletList,    gc.houseList,       gc.explodableList, gc.cargoList,
            gc.appleList,     gc.sweetList,     gc.proxyList,       gc.appleGhostList, gc.hullList,
            gc.fgEffectsList, gc.weatherList,   gc.speechBubbleList};
}

}  // namespace

TEST(EditorPropertyPanel, TheSelectionFollowsPicksStaysForTheSameObjectAndEndsWithIt) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    EXPECT_TRUE(h.panel().isActive());
    auto* stone = static_cast<Decoration*>(h.place(&Decoration::classRecord, V3(-150.0f, 100.0f, 0.0f)));
    auto* crate = static_cast<Decoration*>(h.place(&Decoration::classRecord, V3(-300.0f, 100.0f, 0.0f)));
    ASSERT_NE(stone, nullptr);
    ASSERT_NE(crate, nullptr);
    const V3 onCrate = h.onScreen(crate->boundingCentre);

    // A press on nothing empties the panel; one on the crate shows it, and
    // remembers where it stood for Ctrl+Z.
    h.clickAt(V3(-450.0f, 350.0f, 0.0f));
    EXPECT_EQ(h.panel().getEditedObject(), nullptr);
    EXPECT_EQ(h.topRow(), nullptr);
    h.clickAt(onCrate);
    EXPECT_EQ(h.panel().getEditedObject(), crate);
    EXPECT_EQ(h.panel().selectionPosition, crate->position);
    EditorPropertyWidget* rows = h.topRow();
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(h.panel().layoutOrigin, h.panel().homePosition);

    // Selecting it again keeps its rows and an edit in progress.
    h.clickRow(u"position.y");
    auto* open = static_cast<EditorPropertyTextWidget*>(h.row(u"position.y"));
    ASSERT_TRUE(open->editing);
    h.panel().setEditedObject(crate);
    EXPECT_EQ(h.topRow(), rows);
    EXPECT_TRUE(open->editing);
    h.type(u"150\r");
    EXPECT_EQ(crate->position.y, 150.0f);

    // Nothing selected: the rows go at the next tick (they may be in the
    // middle of their own handler now).
    h.panel().setEditedObject(nullptr);
    EXPECT_EQ(h.topRow(), nullptr);
    EXPECT_EQ(rows->bToBeDestroyed, 1);
    h.step();
    EXPECT_EQ(h.panel().widgets->firstChild, nullptr);
    EXPECT_EQ(h.panel().propertyTrees->firstChild, nullptr);

    // The edited object deleted (Delete): the panel is empty in the frame
    // it goes, rows and property trees.
    h.clickAt(h.onScreen(crate->boundingCentre));
    ASSERT_EQ(h.panel().getEditedObject(), crate);

    // The pause menu opened over the level with the pointer on the stone:
    // a press on the menu, on an item or beside them, is the menu's, not
    // the level's beneath. The crate stays selected, with the focus, and
    // the Delete below acts on it.
    const V3 onStone = h.onScreen(stone->boundingCentre);
    h.pointAt(onStone);
    EXPECT_EQ(h.focus.getHover(), stone);
    h.key(KEY_ESCAPE);
    h.step(15);
    auto* menu = zub_cast<OverlayMenu>(h.server().gameRoot()->contextOverlay);
    ASSERT_NE(menu, nullptr);
    h.clickAt(onStone);
    EXPECT_EQ(h.focus.getFocus(), crate);
    // Its keys are its own too, and those of the options opened from it:
    // Delete, the arrow keys, Ctrl+V and the next skin leave the crate
    // where and as it is, and copy nothing.
    const V3 crateAt = crate->position;
    Skin* crateSkin = crate->pSkin;
    const int objects = h.server().objectCount();
    auto pressEditorKeys = [&] {
        for (int code : {KEY_DELETE, KEY_DOWN, KEY_RIGHT, KEY_2}) h.key(code);
        h.chord(KEY_V);
        h.step();
        EXPECT_FALSE(crate->bToBeDestroyed);
        EXPECT_EQ(crate->position, crateAt);
        EXPECT_EQ(crate->pSkin, crateSkin);
        EXPECT_EQ(h.server().objectCount(), objects);
    };
    pressEditorKeys();
    EXPECT_EQ(h.server().gameRoot()->contextOverlay, menu);
    // The options opened from it: a screen over the stack, as the program
    // opens them.
    const V3 options = menu->pOptions->cursorAnchor(0);
    h.clickAt(V3(options.x - 512.0f, options.y - 384.0f, 0.0f));
    EXPECT_EQ(h.services.optionsOpened, 1);
    auto* page = new Context;
    page->bDeleteWhenDone = 1;
    h.dialogs->pushContext(page);
    pressEditorKeys();
    page->done = 1;
    h.step();
    ASSERT_EQ(h.dialogs->getTop(), nullptr);
    EXPECT_EQ(h.server().gameRoot()->contextOverlay, menu);
    const V3 resume = menu->pResume->cursorAnchor(0);
    h.clickAt(V3(resume.x - 512.0f, resume.y - 384.0f, 0.0f));
    for (int i = 0; i < 10 && h.server().gameRoot()->contextOverlay; ++i) h.step();
    ASSERT_EQ(h.server().gameRoot()->contextOverlay, nullptr);
    EXPECT_EQ(h.focus.getFocus(), crate);
    EXPECT_EQ(h.panel().getEditedObject(), crate);

    ZubBaseReference alive;
    alive.set(crate);
    h.keys.insert(KEY_DELETE);
    h.step();
    h.keys.erase(KEY_DELETE);
    EXPECT_EQ(alive.get(), crate);
    h.step();
    EXPECT_EQ(alive.get(), nullptr);
    EXPECT_FALSE(stone->bToBeDestroyed);
    EXPECT_EQ(h.panel().getEditedObject(), nullptr);
    EXPECT_EQ(liveRows(h.panel().widgets) + liveRows(h.panel().propertyTrees), 0);
    EXPECT_EQ(h.panel().widgets->firstChild, nullptr);

    // Deleted through the role while shown: empty at once.
    House* house = gc.findHouse();
    h.panel().setEditedObject(house);
    house->destroy();
    EXPECT_EQ(h.panel().getEditedObject(), nullptr);
    EXPECT_EQ(h.topRow(), nullptr);
}

// Typed text does not reach the level beneath the pause menu: with a row
// open for typing, Escape opens the menu, and "7" and Return typed under it
// leave the row open and the value as it was. Once the menu is gone the
// same typing sets the value.
TEST(EditorPropertyPanel, TextTypedUnderThePauseMenuDoesNotReachAnOpenRow) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* crate = static_cast<Decoration*>(h.place(&Decoration::classRecord, V3(-300.0f, 100.0f, 0.0f)));
    ASSERT_NE(crate, nullptr);
    h.clickAt(h.onScreen(crate->boundingCentre));
    ASSERT_EQ(h.panel().getEditedObject(), crate);
    h.clickRow(u"position.y");
    auto* open = static_cast<EditorPropertyTextWidget*>(h.row(u"position.y"));
    ASSERT_TRUE(open->editing);
    const float y = crate->position.y;
    ASSERT_NE(y, 7.0f);

    MyRootObject& root = *h.server().gameRoot();
    h.key(KEY_ESCAPE);
    ASSERT_NE(zub_cast<OverlayMenu>(root.contextOverlay), nullptr);
    h.step(15);
    h.type(u"7\r");
    h.step(15);
    EXPECT_EQ(crate->position.y, y);
    EXPECT_TRUE(open->editing);
    EXPECT_EQ(open->editBox->getText(), u"");
    h.key(KEY_ESCAPE);
    for (int i = 0; i < 10 && root.contextOverlay; ++i) h.step();
    ASSERT_EQ(root.contextOverlay, nullptr);

    h.type(u"7\r");
    EXPECT_EQ(crate->position.y, 7.0f);
}

TEST(EditorPropertyPanel, F1ListsEveryPlaceableClassByNameAndItsPrototypesChangeNothing) {
    EditorHarness h;
    Console console;
    GameController& gc = h.edit(h.houseLevel());
    const int objects = h.server().objectCount();
    std::vector<int> lists;
    for (ZubBase* l : levelLists(gc)) lists.push_back(l->countChildren());
    const size_t resources = h.resources.entries().size();
    const uint32_t random = randomState;
    const int live = ZubBase::liveCount();

    h.key(KEY_F1);
    EditorPropertyWidget* list = h.topRow();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->property->getName(), u"CLASSES");
    // Every level-object class but the bare base, by registered name.
    std::vector<WString> expected;
    RuntimeClassManager& registry = RuntimeClassManager::getInstance();
    for (const RuntimeClass* c : registry.classArray)
        if (c->isDerivedFrom(&EditorObject::classRecord) && c != &EditorObject::classRecord)
            expected.push_back(c->getName());
    std::sort(expected.begin(), expected.end());
    std::vector<WString> shown;
    for (ZubBase* c : childrenOf(list)) {
        auto* row = dynamic_cast<EditorPropertyClassWidget*>(c);
        ASSERT_NE(row, nullptr);
        shown.push_back(WString(row->property->getName()));
        EXPECT_EQ(row->expanded, 0);
        for (ZubBase* inside : childrenOf(row)) EXPECT_TRUE(inside->bHidden);
    }
    EXPECT_EQ(shown, expected);
    // The console names them in the registry's order, with their indices.
    std::vector<std::string> lines;
    for (const WString& line : console.lines)
        if (line.find(u": _") != WString::npos) lines.push_back(wideToNarrow(line));
    ASSERT_EQ(lines.size(), expected.size());
    int previous = -1;
    for (const std::string& line : lines) {
        const int index = std::stoi(line);
        EXPECT_GT(index, previous);
        previous = index;
        EXPECT_EQ(line, wideToNarrow(formatString(u"%d: %s", index, registry.findByIndex(index)->getName())));
    }

    // Making one object of every class registered nothing, put nothing in
    // the level, found no resource and drew no random number; they go with
    // the list.
    EXPECT_EQ(h.server().objectCount(), objects);
    std::vector<int> after;
    for (ZubBase* l : levelLists(gc)) after.push_back(l->countChildren());
    EXPECT_EQ(after, lists);
    EXPECT_EQ(h.resources.entries().size(), resources);
    EXPECT_EQ(randomState, random);
    h.panel().setEditedObject(nullptr);
    h.step();
    EXPECT_EQ(ZubBase::liveCount(), live);
}

// The class list is the one rule's (EditorObject::isPlaceableClass), which
// the level builder's 'new' line, its class reference and its stress level
// go by too.
TEST(EditorPropertyPanel, F1ListsThePlaceableClassesOfTheOneRule) {
    EditorHarness h;
    h.edit(h.houseLevel());
    h.key(KEY_F1);
    EditorPropertyWidget* list = h.topRow();
    ASSERT_NE(list, nullptr);
    std::vector<std::string> shown, placeable;
    for (ZubBase* c : childrenOf(list)) {
        auto* row = dynamic_cast<EditorPropertyClassWidget*>(c);
        ASSERT_NE(row, nullptr);
        auto* entry = zub_cast<PropertyClass>(row->property);
        ASSERT_NE(entry, nullptr);
        shown.push_back(entry->cls->getTypeName());
    }
    for (const RuntimeClass* cls : EditorObject::placeableClasses()) placeable.push_back(cls->getTypeName());
    std::sort(shown.begin(), shown.end());
    std::sort(placeable.begin(), placeable.end());
    EXPECT_GE(placeable.size(), 50u);
    EXPECT_EQ(shown, placeable);
}

TEST(EditorPropertyPanel, F2ShowsTheLevelF3TheEditorsSettingsOnlyInEditMode) {
    EditorHarness h;
    Console console;
    GameController& gc = h.edit(h.houseLevel());
    h.key(KEY_F2);
    EXPECT_EQ(h.panel().getEditedObject(), &gc);
    EXPECT_EQ(h.topRow()->property->getName(),
              formatString(u"%s (%08lx)", gc.getClass()->getName(), reinterpret_cast<uintptr_t>(&gc)));
    ASSERT_GE(console.lines.size(), 5u);
    EXPECT_EQ(console.lines.back(),
              formatString(u"Now editing %08lx (%s)", reinterpret_cast<uintptr_t>(&gc), gc.getClass()->getName()));
    EXPECT_TRUE(console.lines[console.lines.size() - 5].starts_with(u"getProperties(): "));
    h.key(KEY_F3);
    EXPECT_EQ(h.panel().getEditedObject(), &h.panel());
    h.clickRow(u"bShowHulls");
    EXPECT_FALSE(h.panel().bShowHulls);
    // Its action shows the class list, as F1 does.
    h.clickRow(u"showClassConstructors");
    h.chord(KEY_X);
    ASSERT_NE(h.topRow(), nullptr);
    EXPECT_EQ(h.topRow()->property->getName(), u"CLASSES");
    EXPECT_EQ(h.panel().getEditedObject(), nullptr);
    h.key(KEY_F3);

    // Out of edit mode the keys do nothing.
    h.server().bEditing = false;
    EXPECT_FALSE(h.panel().isActive());
    h.key(KEY_F2);
    h.key(KEY_F1);
    EXPECT_EQ(h.panel().getEditedObject(), &h.panel());
}

TEST(EditorPropertyPanel, TheWheelZoomsAboutThePointerAndTheMiddleButtonPansWithinLimits) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    const Camera& camera = *gc.contextGame->camera;
    ASSERT_EQ(camera.eye, V3(0.0f, 0.0f, -512.0f));
    h.pointAt(V3(200.0f, 100.0f, 0.0f));
    h.wheel(-1);
    EXPECT_EQ(camera.eye, V3(100.0f, 50.0f, -256.0f));
    EXPECT_EQ(h.panel().editorCamera, camera.eye);
    h.wheel(1);
    EXPECT_EQ(camera.eye, V3(0.0f, 0.0f, -512.0f));
    for (int i = 0; i < 8; ++i) h.wheel(-1);
    EXPECT_EQ(camera.eye.z, -25.0f);
    for (int i = 0; i < 12; ++i) h.wheel(1);
    EXPECT_EQ(camera.eye.z, -6400.0f);
    // Panning while turning the wheel keeps the limits too.
    h.buttons[2] = true;
    h.wheel(30);
    h.buttons[2] = false;
    h.step();
    EXPECT_EQ(camera.eye.z, -6400.0f);
    // Back at the design distance, the world under the pointer follows it.
    h.pointAt(V3());
    for (int i = 0; i < 4; ++i) h.wheel(-1);
    ASSERT_EQ(camera.eye.z, -400.0f);
    const V3 eye = camera.eye;
    const V3 grabbed = gc.contextGame->mousePosition;
    h.dragTo(V3(100.0f, -50.0f, 0.0f), 4, 2);
    EXPECT_NEAR(gc.contextGame->mousePosition.x, grabbed.x, 1e-3f);
    EXPECT_NEAR(gc.contextGame->mousePosition.y, grabbed.y, 1e-3f);
    EXPECT_NE(camera.eye, eye);

    // Out of edit mode the wheel leaves the camera alone.
    h.server().bEditing = false;
    const V3 kept = camera.eye;
    h.wheel(-1);
    EXPECT_EQ(camera.eye, kept);
}

TEST(EditorPropertyPanel, AtTheZoomLimitsTheWheelMovesNothingAndThePointStaysUnderThePointer) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    const Camera& camera = *gc.contextGame->camera;
    const Context& game = *gc.contextGame;
    // Off the middle, where a zoom about the pointer moves the eye sideways.
    h.pointAt(V3(300.0f, -200.0f, 0.0f));
    const V3 under = game.mousePosition;
    for (int notches : {1, -1}) {
        const float limit = notches > 0 ? -6400.0f : -25.0f;
        for (int i = 0; i < 14; ++i) {
            SCOPED_TRACE(i);
            const V3 eye = camera.eye;
            h.wheel(notches);
            h.step();
            // The same point of the world under the pointer at every step.
            EXPECT_NEAR(game.mousePosition.x, under.x, 0.05f);
            EXPECT_NEAR(game.mousePosition.y, under.y, 0.05f);
            // At the limit a step moves nothing.
            if (eye.z == limit) {
                EXPECT_EQ(camera.eye, eye);
            }
            EXPECT_EQ(h.panel().editorCamera, camera.eye);
        }
        EXPECT_EQ(camera.eye.z, limit);
    }
}

TEST(EditorPropertyPanel, ALevelOpensWhereTheEditorLeftItsCameraKeptInRange) {
    EditorHarness h;
    GameController& gc =
        h.edit(h.writeLevel([](LevelDraft& d) { d.controller().editor->editorCamera = V3(300.0f, 200.0f, -1024.0f); }));
    EXPECT_EQ(gc.contextGame->camera->eye, V3(300.0f, 200.0f, -1024.0f));
    GameController& close =
        h.edit(h.writeLevel([](LevelDraft& d) { d.controller().editor->editorCamera = V3(0.0f, 0.0f, 50.0f); }));
    EXPECT_EQ(close.contextGame->camera->eye, V3(0.0f, 0.0f, -25.0f));
    EXPECT_EQ(close.editor->editorCamera.z, -25.0f);
}

TEST(EditorPropertyPanel, InEditModeItDrawsTheGridTheLeaderAndTheShiftCircle) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    auto graphics = std::make_unique<ZubGraphics>();
    auto d = std::make_unique<platform::NullRenderDevice>();
    platform::NullRenderDevice* device = d.get();
    std::string error;
    ASSERT_TRUE(graphics->setDevice(std::move(d), error)) << error;
    auto count = [&](auto&& match) {
        device->resetRecords();
        h.manager->renderContext();
        int n = 0;
        for (const auto& r : device->draws) n += match(r) ? 1 : 0;
        return n;
    };
    auto grid = [](const platform::NullRenderDevice::DrawRecord& r) {
        return r.type == platform::Primitive::LineStrip && r.count == 5 &&
               r.firstColor == EditorPropertyPanel::GRID_COLOUR;
    };
    auto leader = [](const platform::NullRenderDevice::DrawRecord& r) {
        return r.type == platform::Primitive::LineList && r.firstColor == EditorPropertyPanel::LEADER_START_COLOUR;
    };
    auto circle = [](const platform::NullRenderDevice::DrawRecord& r) {
        return r.modulate == EditorPropertyPanel::SHIFT_COLOUR;
    };
    EXPECT_EQ(count(grid), 10);
    EXPECT_EQ(count(leader), 0);
    EXPECT_EQ(count(circle), 0);
    h.keys.insert(KEY_LSHIFT);
    h.step();
    EXPECT_EQ(count(circle), 1);
    h.keys.erase(KEY_LSHIFT);
    h.step();
    h.panel().setEditedObject(gc.findHouse());
    EXPECT_EQ(count(leader), 1);
    // A reference row to a drawn object: a line to it and a circle of its
    // size around it.
    auto circleOf = [](const platform::NullRenderDevice::DrawRecord& r) {
        return r.type == platform::Primitive::LineStrip && r.count == EditorPropertyReferenceWidget::CIRCLE_POINTS &&
               r.firstColor == EditorPropertyReferenceWidget::LINE_COLOUR;
    };
    auto line = [](const platform::NullRenderDevice::DrawRecord& r) {
        return r.type == platform::Primitive::LineList && r.firstColor == EditorPropertyReferenceWidget::LINE_COLOUR;
    };
    auto* lever = static_cast<Switch*>(h.place(&Switch::classRecord, V3(-250.0f, 150.0f, 0.0f)));
    ASSERT_NE(lever, nullptr);
    EXPECT_EQ(count(circleOf), 0);
    lever->target(0).set(gc.findHouse());
    lever->target(1).set(gc.getHero());
    EXPECT_EQ(count(circleOf), 2);
    EXPECT_EQ(count(line), 2);
    // Played, the level shows none of it.
    h.server().bEditing = false;
    h.keys.insert(KEY_LSHIFT);
    h.step();
    EXPECT_EQ(count(grid), 0);
    EXPECT_EQ(count(circle), 0);
}
