// The resource picker: opened from a reference row (Ctrl+B) and from a
// level object itself, it shows every loaded resource of the reference's
// class, in name order, filters them by a typed prefix, zooms and pans
// within limits, and writes the one pressed into the reference; a press
// elsewhere closes it without a change.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "EditorHarness.h"
#include "Manifest.h"
#include "audio/Sound.h"
#include "editor/EditorGizmo.h"
#include "editor/EditorIconObject.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/Property.h"
#include "objects/devices/Springboard.h"
#include "objects/scenery/Decoration.h"
#include "util/KeyCodes.h"

using editortest::EditorHarness;
using namespace input_codes;

namespace {

std::vector<EditorIconObject*> iconsOf(const EditorGizmo& g) {
    std::vector<EditorIconObject*> out;
    for (ZubBase* c : childrenOf(g))
        if (auto* icon = dynamic_cast<EditorIconObject*>(c)) out.push_back(icon);
    return out;
}

std::vector<std::string> namesOf(const EditorGizmo& g) {
    std::vector<std::string> out;
    for (const EditorIconObject* icon : iconsOf(g)) out.push_back(wideToNarrow(icon->name));
    return out;
}

EditorIconObject* iconNamed(const EditorGizmo& g, std::u16string_view name) {
    for (EditorIconObject* icon : iconsOf(g))
        if (icon->name == name) return icon;
    return nullptr;
}

// The names the resource manager holds of a class, sorted.
std::vector<std::string> resourcesOf(const RuntimeClass* cls) {
    std::vector<std::string> out;
    for (const ResourceManager::Entry& e : ResourceManager::active()->entries())
        if (e.resource->getClass()->isDerivedFrom(cls)) out.push_back(wideToNarrow(e.name));
    std::sort(out.begin(), out.end());
    return out;
}

// Pans the picker (middle button) until the icon stands in the middle of
// the screen, and presses there.
void pressIcon(EditorHarness& h, EditorGizmo& g, const EditorIconObject* icon) {
    const V3 target = icon->drawable.position;
    const float s = -g.camera->eye.z / 512.0f;
    h.pointAt(V3());
    h.dragTo(V3((g.camera->eye.x - target.x) / s, (g.camera->eye.y - target.y) / s, 0.0f), 4, 2);
    h.pointAt(V3(0.0f, 0.0f, 0.0f));
    h.clickAt(V3(0.0f, 0.0f, 0.0f));
}

}  // namespace

TEST(EditorGizmo, AReferenceRowPicksASkinOrASoundFromEveryResourceOfItsClass) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* crate = static_cast<Decoration*>(h.place(&Decoration::classRecord, V3(-300.0f, 100.0f, 0.0f)));
    ASSERT_NE(crate, nullptr);
    Skin* before = crate->pSkin;
    EditorGizmo& g = *h.panel().gizmo;

    // Ctrl+B on the open skin row: every skin, in name order.
    h.clickRow(u"pSkin");
    h.chord(KEY_B);
    ASSERT_EQ(h.dialogs->getTop(), &g);
    EXPECT_EQ(g.clearColor, EditorGizmo::BACKGROUND);
    EXPECT_EQ(namesOf(g), resourcesOf(&Skin::classRecord));
    EXPECT_GT(iconsOf(g).size(), 300u);

    // Typing filters by a case-sensitive prefix; Backspace empties it.
    h.type(u"apple:");
    EXPECT_EQ(g.filter, u"apple:");
    int shown = 0;
    for (const EditorIconObject* icon : iconsOf(g)) {
        EXPECT_EQ(icon->drawable.bHidden != 0, !icon->name.starts_with(u"apple:")) << wideToNarrow(icon->name);
        shown += icon->drawable.bHidden ? 0 : 1;
    }
    EXPECT_GT(shown, 2);
    h.type(u"\b");
    h.type(u"pple");
    for (const EditorIconObject* icon : iconsOf(g)) EXPECT_TRUE(icon->drawable.bHidden) << wideToNarrow(icon->name);
    h.type(u"\b");
    EXPECT_EQ(g.filter, u"");
    for (const EditorIconObject* icon : iconsOf(g)) EXPECT_FALSE(icon->drawable.bHidden);

    // Zoom stops at 25 and 6400 units, also when panned with the wheel.
    for (int i = 0; i < 12; ++i) h.wheel(-1);
    EXPECT_EQ(g.camera->eye.z, -25.0f);
    for (int i = 0; i < 12; ++i) h.wheel(1);
    EXPECT_EQ(g.camera->eye.z, -6400.0f);
    h.buttons[2] = true;
    h.wheel(40);
    h.buttons[2] = false;
    h.step();
    EXPECT_EQ(g.camera->eye.z, -6400.0f);
    for (int i = 0; i < 4; ++i) h.wheel(-1);
    EXPECT_EQ(g.camera->eye.z, -400.0f);

    // A press on an icon writes its skin and closes the picker.
    const EditorIconObject* choice = iconNamed(g, u"apple:3");
    ASSERT_NE(choice, nullptr);
    pressIcon(h, g, choice);
    EXPECT_EQ(crate->pSkin, h.resources.find(u"apple:3"));
    EXPECT_EQ(h.dialogs->getTop(), nullptr);
    EXPECT_EQ(g.parent, nullptr);

    // Opened again for skins: the same icons, an empty filter, the camera
    // half a screen in front. A press on nothing (panned above the icons)
    // changes nothing.
    EditorIconObject* first = iconsOf(g).front();
    h.clickRow(u"pSkin");
    h.chord(KEY_B);
    ASSERT_EQ(h.dialogs->getTop(), &g);
    EXPECT_EQ(iconsOf(g).front(), first);
    EXPECT_EQ(g.filter, u"");
    EXPECT_EQ(g.camera->eye.z, -512.0f);
    h.pointAt(V3(0.0f, 0.0f, 0.0f));
    h.dragTo(V3(0.0f, -2000.0f, 0.0f), 4, 2);
    h.pointAt(V3(0.0f, 0.0f, 0.0f));
    for (const EditorIconObject* i : iconsOf(g)) ASSERT_FALSE(i->bHovered);
    h.clickAt(V3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(h.dialogs->getTop(), nullptr);
    EXPECT_EQ(crate->pSkin, h.resources.find(u"apple:3"));
    EXPECT_NE(crate->pSkin, before);

    // A sound reference: every sound of the manifest, shown as the editor's
    // icon; the one pressed becomes the crate's ambient sound.
    h.clickRow(u"pAmbientSound");
    h.chord(KEY_B);
    ASSERT_EQ(h.dialogs->getTop(), &g);
    std::vector<std::string> sounds;
    for (const content::Entry& e : content::manifest())
        if (e.kind == content::Kind::Sound) sounds.push_back(e.name);
    std::sort(sounds.begin(), sounds.end());
    std::vector<std::string> shownSounds = namesOf(g);
    EXPECT_EQ(shownSounds, sounds);
    Skin* icon = h.resources.findAs<Skin>(u"editor_icons:0");
    for (const EditorIconObject* i : iconsOf(g)) EXPECT_EQ(i->drawable.pSkin, icon);
    pressIcon(h, g, iconNamed(g, u"pop"));
    EXPECT_EQ(crate->pAmbientSound, h.resources.find(u"pop"));
    // The row shows it by name; Delete on the open row clears it.
    EXPECT_EQ(h.valueOf(u"pAmbientSound"), u"pop");
    h.clickRow(u"pAmbientSound");
    h.key(KEY_DELETE);
    EXPECT_EQ(crate->pAmbientSound, nullptr);
}

TEST(EditorGizmo, ALevelObjectOpensItForItsOwnSkinAndAnyClassShowsItsResources) {
    EditorHarness h;
    h.edit(h.houseLevel());
    auto* crate = static_cast<Decoration*>(h.place(&Decoration::classRecord, V3(-300.0f, 100.0f, 0.0f)));
    ASSERT_NE(crate, nullptr);
    EditorGizmo& g = *h.panel().gizmo;

    // Ctrl+B with the crate itself focused.
    ASSERT_EQ(h.focus.getFocus(), crate);
    h.chord(KEY_B);
    ASSERT_EQ(h.dialogs->getTop(), &g);
    EXPECT_EQ(g.editedObject.get(), crate);
    pressIcon(h, g, iconNamed(g, u"basketA:1"));
    EXPECT_EQ(crate->pSkin, h.resources.find(u"basketA:1"));
    // The press was the picker's: the crate keeps the focus and its keys.
    EXPECT_EQ(h.dialogs->getTop(), nullptr);
    EXPECT_EQ(h.focus.getFocus(), crate);
    EXPECT_EQ(h.panel().getEditedObject(), crate);
    const float x = crate->position.x;
    h.key(KEY_RIGHT);
    EXPECT_EQ(crate->position.x, x + 1.0f);

    // Textures: every texture of the manifest that the program loads.
    Texture* chosen = nullptr;
    PropertyPointer field(u"texture", PROP_RESOURCE, &chosen, &Texture::classRecord);
    g.setLabel(nullptr, &field, &Texture::classRecord);
    std::vector<std::string> textures;
    for (const content::Entry& e : content::manifest())
        if (e.kind == content::Kind::Texture && !e.frames.empty()) textures.push_back(e.name);
    std::sort(textures.begin(), textures.end());
    EXPECT_EQ(namesOf(g), textures);
    h.dialogs->pushContext(&g);
    pressIcon(h, g, iconNamed(g, u"bear"));
    EXPECT_EQ(chosen, h.resources.find(u"bear"));
}

TEST(EditorGizmo, AtTheZoomLimitsTheWheelMovesNothingAndThePointStaysUnderThePointer) {
    EditorHarness h;
    h.edit(h.houseLevel());
    ASSERT_NE(h.place(&Decoration::classRecord, V3(-300.0f, 100.0f, 0.0f)), nullptr);
    EditorGizmo& g = *h.panel().gizmo;
    h.chord(KEY_B);
    ASSERT_EQ(h.dialogs->getTop(), &g);
    h.pointAt(V3(-250.0f, 150.0f, 0.0f));
    const V3 under = g.mousePosition;
    for (int notches : {1, -1}) {
        const float limit = notches > 0 ? -6400.0f : -25.0f;
        for (int i = 0; i < 14; ++i) {
            SCOPED_TRACE(i);
            const V3 eye = g.camera->eye;
            h.wheel(notches);
            h.step();
            EXPECT_NEAR(g.mousePosition.x, under.x, 0.05f);
            EXPECT_NEAR(g.mousePosition.y, under.y, 0.05f);
            if (eye.z == limit) {
                EXPECT_EQ(g.camera->eye, eye);
            }
        }
        EXPECT_EQ(g.camera->eye.z, limit);
    }
    h.key(KEY_ESCAPE);
    EXPECT_EQ(h.dialogs->getTop(), nullptr);
}

TEST(EditorGizmo, IconsStandInNameOrderAtMostFortyUnitsLargeInRowsWithinTheMargins) {
    ResourceManager resources;
    std::vector<std::unique_ptr<Quad>> skins;
    auto add = [&](const char16_t* name, float w, float h, V3 origin = V3()) {
        auto& q = skins.emplace_back(std::make_unique<Quad>());
        q->width = w;
        q->height = h;
        q->origin = origin;
        resources.addResource(name, q.get());
    };
    add(u"c", 200.0f, 100.0f);
    add(u"a", 40.0f, 40.0f, V3(10.0f, -6.0f, 0.0f));
    add(u"b", 80.0f, 20.0f);
    for (int i = 0; i < 24; ++i) add(formatString(u"d%02d", i).c_str(), 80.0f, 80.0f);
    add(u"e", 10.0f, 10.0f);
    Sound sound(false, 1, std::vector<float>(8, 0.0f), 1, 22050);
    resources.addResource(u"sound", &sound);

    EditorGizmo g;
    Skin* chosen = nullptr;
    g.setLabel(nullptr, &chosen, &Skin::classRecord);
    const std::vector<EditorIconObject*> icons = iconsOf(g);
    ASSERT_EQ(icons.size(), 28u);
    EXPECT_EQ(icons[0]->name, u"a");
    EXPECT_EQ(icons[1]->name, u"b");
    EXPECT_EQ(icons[2]->name, u"c");
    EXPECT_EQ(icons[27]->name, u"e");
    // Small skins at half size, large ones 40 units on their longer side;
    // the origin offset scales with them.
    EXPECT_EQ(icons[0]->drawable.scale.x, 0.5f);
    EXPECT_EQ(icons[0]->drawable.position, V3(-492.0f + 10.0f + 5.0f, 364.0f - 10.0f - 3.0f, 0.0f));
    EXPECT_EQ(icons[1]->drawable.scale.x, 0.5f);
    EXPECT_EQ(icons[1]->drawable.position, V3(-472.0f + 20.0f, 364.0f - 5.0f, 0.0f));
    EXPECT_FLOAT_EQ(icons[2]->drawable.scale.x, 0.2f);
    EXPECT_FLOAT_EQ(icons[2]->drawable.position.x, -432.0f + 20.0f);
    // The row runs past its right margin with its last icon; the next row
    // starts at the left margin, lower by the tallest icon of the row.
    EXPECT_FLOAT_EQ(icons[25]->drawable.position.x, -392.0f + 22 * 40.0f + 20.0f);
    EXPECT_FLOAT_EQ(icons[26]->drawable.position.x, -492.0f + 20.0f);
    EXPECT_FLOAT_EQ(icons[26]->drawable.position.y, 364.0f - 40.0f - 20.0f);
    EXPECT_FLOAT_EQ(icons[27]->drawable.position.x, -452.0f + 2.5f);
    EXPECT_FLOAT_EQ(icons[27]->drawable.position.y, 324.0f - 2.5f);
    EXPECT_EQ(g.camera->eye, V3(0.0f, 0.0f, -512.0f));
}

TEST(EditorGizmo, ALevelThatGoesWhileThePickerIsOpenLeavesItToTheScreenStack) {
    EditorHarness h;
    h.edit(h.houseLevel());
    ASSERT_NE(h.place(&Decoration::classRecord, V3(-300.0f, 100.0f, 0.0f)), nullptr);
    h.chord(KEY_B);
    EditorGizmo* g = h.panel().gizmo;
    ASSERT_EQ(h.dialogs->getTop(), g);
    // The level (with the panel that owns the picker) is deleted under it:
    // the picker closes and the stack deletes it at its next pop.
    h.manager.reset();
    EXPECT_TRUE(g->done && g->bDeleteWhenDone);
    EXPECT_EQ(g->editedObject.get(), nullptr);
    h.dialogs->tick(h.time, EditorHarness::DT);
    EXPECT_EQ(h.dialogs->getTop(), nullptr);
}
