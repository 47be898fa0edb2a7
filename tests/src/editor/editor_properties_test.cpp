// Every kind of property edited through its row in a level opened for
// editing, by clicks, typing and the rows' keys: numbers, texts, colours,
// enumerations, yes/no, references to objects, resources, actions and
// objects held inside others. Read-only rows and what a level object owns
// stay as they are. The edited level then plays on with the changes, also
// from the level file written from it.
#include <gtest/gtest.h>

#include "EditorHarness.h"
#include "editor/EditorPropertyBoolWidget.h"
#include "editor/EditorPropertyReferenceWidget.h"
#include "editor/EditorPropertyTextWidget.h"
#include "flow/GameServer.h"
#include "gfx/ContextBlender.h"
#include "gfx/Skin.h"
#include "gui/GUIeditBox.h"
#include "object/Property.h"
#include "objects/apples/Apple.h"
#include "objects/devices/Springboard.h"
#include "objects/devices/Switch.h"
#include "objects/hints/TriggerHint.h"
#include "objects/scenery/Decoration.h"
#include "util/KeyCodes.h"
#include "world/Hull.h"
#include "world/PhysPoint.h"

using editortest::EditorHarness;
using namespace input_codes;

namespace {

Skin* skin(std::u16string_view name) { return ResourceManager::active()->findAs<Skin>(name); }

template <class T>
T* nth(GameServer& server, int n) {
    for (int32_t uid : server.objectMap.ascending())
        if (auto* o = zub_cast<T>(server.findObjectOrNull(uid)); o && n-- == 0) return o;
    return nullptr;
}

}  // namespace

TEST(EditorProperties, EachKindIsEditedThroughItsRowAndTheLevelPlaysOnWithIt) {
    EditorHarness h;
    GameController& gc = h.edit(h.houseLevel());
    Decoration* crate = static_cast<Decoration*>(h.place(&Decoration::classRecord, V3(-300.0f, 100.0f, 0.0f)));
    auto* apple = static_cast<Apple*>(h.place(&Apple::classRecord, V3(-150.0f, 250.0f, 0.0f)));
    ASSERT_TRUE(crate && apple);
    ASSERT_EQ(h.panel().getEditedObject(), apple);

    // Numbers: typed into the opened row and parsed by the property.
    h.clickRow(u"position.x");
    auto* x = dynamic_cast<EditorPropertyTextWidget*>(h.row(u"position.x"));
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(x->editing);
    EXPECT_EQ(x->rowHeight, 20);
    EXPECT_EQ(h.focus.getFocus(), x->editBox);
    EXPECT_EQ(x->editBox->getText(), u"");
    h.type(u"-120.5\r");
    EXPECT_FALSE(x->editing);
    EXPECT_EQ(x->rowHeight, 10);
    EXPECT_EQ(apple->position.x, -120.5f);
    EXPECT_EQ(h.valueOf(u"position.x"), u"-120.5");
    // Committed without typing: the value stays. Text it cannot parse: too.
    h.editRow(u"position.y", u"");
    EXPECT_EQ(apple->position.y, 250.0f);
    h.editRow(u"position.y", u"high");
    EXPECT_EQ(apple->position.y, 250.0f);
    // The row keeps what the property takes, as the level builder says it.
    auto* y = dynamic_cast<EditorPropertyTextWidget*>(h.row(u"position.y"));
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(y->refusal, u"a number of at most 65504 either way");
    h.editRow(u"position.y", u"70000");
    EXPECT_EQ(apple->position.y, 250.0f);
    EXPECT_EQ(y->refusal, u"a number of at most 65504 either way");
    // Delete clears: a number becomes 0.
    h.editRow(u"position.y", u"260");
    EXPECT_EQ(apple->position.y, 260.0f);
    h.clickRow(u"position.z");
    apple->position.z = 3.0f;
    h.key(KEY_DELETE);
    EXPECT_EQ(apple->position.z, 0.0f);

    // A colour, an enumeration by name, a yes/no by a click.
    h.editRow(u"color", u"ff8040c0");
    EXPECT_EQ(apple->color, 0xff8040c0u);
    h.editRow(u"material", u"wood");
    EXPECT_EQ(apple->material, 3);
    h.editRow(u"material", u"9");
    EXPECT_EQ(apple->material, 3);
    ASSERT_NE(dynamic_cast<EditorPropertyBoolWidget*>(h.row(u"bSuperApple")), nullptr);
    h.clickRow(u"bSuperApple");
    EXPECT_TRUE(apple->bSuperApple);

    // Resources: by name (what names no resource changes nothing).
    h.editRow(u"pSkin", u"apple:2");
    EXPECT_EQ(apple->pSkin, skin(u"apple:2"));
    h.editRow(u"pSkin", u"no such skin");
    EXPECT_EQ(apple->pSkin, skin(u"apple:2"));

    // Or the skin of the object under the pointer: Ctrl+G on the open row,
    // which is green over an object it takes.
    h.clickAt(h.onScreen(crate->boundingCentre));
    ASSERT_EQ(h.panel().getEditedObject(), crate);
    h.clickRow(u"pSkin");
    auto* skinRow = dynamic_cast<EditorPropertyReferenceWidget*>(h.row(u"pSkin"));
    ASSERT_NE(skinRow, nullptr);
    h.pointAt(h.onScreen(apple->boundingCentre));
    EXPECT_EQ(h.focus.getHover(), apple);
    skinRow->render();
    EXPECT_EQ(skinRow->color, EditorPropertyReferenceWidget::ACCEPT_COLOUR);
    h.chord(KEY_G);
    EXPECT_EQ(crate->pSkin, skin(u"apple:2"));
    // A row's frame is no resource (it goes with the row): refused.
    h.pointAt(EditorHarness::centreOf(h.row(u"objectUID")));
    skinRow->render();
    EXPECT_EQ(skinRow->color, EditorPropertyReferenceWidget::REJECT_COLOUR);
    h.chord(KEY_G);
    EXPECT_EQ(crate->pSkin, skin(u"apple:2"));

    // An action: Ctrl+X on "createHull" gives the crate a hull.
    EXPECT_EQ(crate->getHull(), nullptr);
    h.clickRow(u"createHull");
    h.chord(KEY_X);
    EXPECT_NE(crate->getHull(), nullptr);

    // References to objects: a switch takes the apple as its first target
    // (Ctrl+G over it), refuses the row under the pointer (red), and
    // Ctrl+F edits the target.
    auto* lever = static_cast<Switch*>(h.place(&Switch::classRecord, V3(-300.0f, 250.0f, 0.0f)));
    ASSERT_NE(lever, nullptr);
    h.clickRow(u"target1");
    auto* targetRow = dynamic_cast<EditorPropertyReferenceWidget*>(h.row(u"target1"));
    ASSERT_NE(targetRow, nullptr);
    h.pointAt(EditorHarness::centreOf(h.row(u"objectUID")));
    targetRow->render();
    EXPECT_EQ(targetRow->color, EditorPropertyReferenceWidget::REJECT_COLOUR);
    h.chord(KEY_G);
    EXPECT_EQ(lever->target(0).get(), nullptr);
    h.pointAt(h.onScreen(apple->boundingCentre));
    h.chord(KEY_G);
    EXPECT_EQ(lever->target(0).get(), apple);
    EXPECT_EQ(h.valueOf(u"target1"), PropertyReference(u"", 0, &lever->target(0), nullptr).toString());
    h.chord(KEY_F);
    EXPECT_EQ(h.panel().getEditedObject(), apple);
    EXPECT_EQ(h.focus.getFocus(), apple);

    // An object held inside another: Ctrl+F on its row edits it.
    h.clickRow(u"physPoint");
    h.chord(KEY_F);
    EXPECT_EQ(h.panel().getEditedObject(), &apple->physPoint);
    ASSERT_NE(h.row(u"objectUID"), nullptr);

    // The level's own properties (F2): a whole number, a double, an
    // enumeration by number; the editor's settings (F3): a text.
    h.key(KEY_F2);
    EXPECT_EQ(h.panel().getEditedObject(), &gc);
    h.editRow(u"applesNeeded", u"2");
    h.editRow(u"parTime", u"90.25");
    h.editRow(u"season", u"2");
    EXPECT_EQ(gc.applesNeeded, 2);
    EXPECT_EQ(gc.parTime, 90.25);
    EXPECT_EQ(gc.season, 2);
    // The level's contexts and lists are its own: their rows do not open,
    // but Ctrl+F still shows what they name.
    h.clickRow(u"contextGame");
    EXPECT_FALSE(dynamic_cast<EditorPropertyTextWidget*>(h.row(u"contextGame"))->editing);
    h.type(u"null\r");
    EXPECT_NE(gc.contextGame, nullptr);
    h.chord(KEY_F);
    EXPECT_EQ(h.panel().getEditedObject(), gc.contextGame);
    h.key(KEY_F3);
    h.editRow(u"levelName", u"Meadow");
    EXPECT_EQ(h.panel().levelName, u"Meadow");

    // The UID is the role's key to an object: its row never opens.
    h.clickAt(h.onScreen(apple->boundingCentre));
    const int32_t uid = apple->objectUID;
    h.editRow(u"objectUID", u"5");
    EXPECT_EQ(apple->objectUID, uid);

    // Out of edit mode the level runs on with the changes.
    h.server().bEditing = false;
    h.frame(50);
    EXPECT_EQ(apple->position, V3(-120.5f, 260.0f, 0.0f));
    EXPECT_EQ(apple->color, 0xff8040c0u);
    EXPECT_EQ(crate->pSkin, skin(u"apple:2"));
    EXPECT_EQ(lever->target(0).get(), apple);

    // And the level file written from it plays from the opening on, with
    // what was changed.
    const std::vector<uint8_t> level = h.server().writeLevel();
    h.services.bEditLevels = false;
    GameController& played = h.play(level);
    ASSERT_TRUE(h.playUntil(played, GameController::PLAYING, 1000));
    EXPECT_EQ(played.applesNeeded, 2);
    EXPECT_EQ(played.parTime, 90.25);
    EXPECT_EQ(played.season, 2);
    EXPECT_EQ(played.editor->levelName, u"Meadow");
    Switch* copy = nth<Switch>(h.server(), 0);
    ASSERT_NE(copy, nullptr);
    auto* target = zub_cast<Apple>(copy->target(0).get());
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->color, 0xff8040c0u);
    EXPECT_EQ(target->material, 3);
    EXPECT_TRUE(target->bSuperApple);
    Decoration* crateCopy = nth<Decoration>(h.server(), 0);
    ASSERT_NE(crateCopy, nullptr);
    EXPECT_NE(crateCopy->getHull(), nullptr);
    EXPECT_EQ(crateCopy->pSkin, skin(u"apple:2"));
}
