// GUI items on the generated sheets and fonts, driven through input and focus, drawn by the recorder.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "Manifest.h"
#include "engine/FocusManager.h"
#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/StretchSkin.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "gui/GUIeditBox.h"
#include "gui/GUIthemeMinimal.h"
#include "gui/GUIthemeStandard.h"
#include "input/ZubInput.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Paths.h"
#include "text/FontQuad.h"

namespace {

using namespace platform;
using namespace input_codes;

class Panel : public ZubBase {  // hears what bubbles out of its items
public:
    bool onBubbleEvent(ZubEvent& ev) override { return heard.push_back(ev.code), false; }
    int count(int code) const { return static_cast<int>(std::count(heard.begin(), heard.end(), code)); }
    std::vector<int> heard;
};

class GuiItems : public ::testing::Test {
protected:
    GuiItems() {
        ErrorManager::bTestMode = true;
        files.baseFolder = getExecutableFolderPath() + "../content/";
        std::string error;
        EXPECT_TRUE(graphics.setDevice(std::make_unique<NullRenderDevice>(), error)) << error;
        device = static_cast<NullRenderDevice*>(graphics.device());
        for (int style = 1; style < GUIthemeStandard::STYLE_COUNT; ++style)  // what the themes name
            for (const char16_t* sheet : {GUIthemeStandard::sheetOf(style), GUIthemeMinimal::sheetOf(style)}) {
                const content::Entry* e = content::findEntry(wideToNarrow(sheet));
                if (!e) ADD_FAILURE() << "the manifest lacks " << wideToNarrow(sheet);
                else if (!resources.find(sheet, false)) load(e->file, e->flags)->registerSkins(resources, sheet);
            }
        FontQuad::setCodePage(u"1252");
        tiny.addSourceTexture(load("gfx/font/1252/font-tiny-1.tga"), FontQuad::FIRST_PAGE_CODE);
        tiny.addSourceTexture(load(content::findEntry("fontTinyGUIsymbolsTex")->file), 0, true);
        small.addSourceTexture(load("gfx/font/1252/font-small-1.tga"), FontQuad::FIRST_PAGE_CODE);
        small.addSourceTexture(load("gfx/font/1252/extra-font-small-1.tga"), 0, true);
        resources.addResource(u"fontTiny", &tiny);
        resources.addResource(u"fontSmall", &small);
        standard = std::make_unique<GUIthemeStandard>();
        minimal = std::make_unique<GUIthemeMinimal>();
        screen.addChild(panel);
    }
    Texture* load(const std::string& file, int flags = Texture::FLAG_ALPHA) {
        return textures.emplace_back(std::make_unique<Texture>(flags, narrowToWide(file))).get();
    }
    std::array<GUItheme*, 2> themes() { return {standard.get(), minimal.get()}; }
    template <class T>
    T* add(T* item, float x) {
        panel->addChild(item);
        item->setPosition(x, 0.0f, 0.0f);
        return item;
    }
    void frame(int n = 1) {  // input, hover and events, then the tick; keys are taps
        for (; n > 0; --n) {
            input.update(next);
            std::fill(std::begin(next.keys), std::end(next.keys), 0), next.typed.clear(), next.mouseMoved = false;
            screen.updateMousePosition();
            focus.update(&screen, input);
            screen.tick(time += Context::MAX_STEP, Context::MAX_STEP);
        }
    }
    void pointAt(float x, float y = 0) {
        next.mouseX = x + 512.0f, next.mouseY = 384.0f - y, next.mouseMoved = true, frame();
    }
    void press(bool down) { next.mouseButtons[0] = down, frame(); }
    void key(int code) { next.keys[code] = 0x80, frame(); }
    void type(std::u16string_view s) { next.typed = s, frame(static_cast<int>(s.size())); }
    const std::vector<NullRenderDevice::DrawRecord>& draw() {
        device->resetRecords();
        screen.renderContext();
        return device->draws;
    }
    int drawnSkin(GUIitem* item) {  // which skin of its sheet the item's frame showed
        Texture* sheet = item->normalFrame->texture;
        for (const auto& d : draw())
            for (int k = 0; k < 3 && d.texture == sheet->getHandle() && d.world.m[3][0] == item->position.x; ++k)
                if (d.firstVertex.u == sheet->getSkin(k)->u0 && d.firstVertex.v == sheet->getSkin(k)->v0) return k;
        return -1;
    }
    int drawnGlyphs(FontQuad& font, V3& at) {  // and where the text was placed
        int glyphs = 0;
        for (const auto& d : draw())
            if (std::any_of(font.pages.begin(), font.pages.end(),
                            [&](Texture* p) { return p->getHandle() == d.texture; }))
                glyphs += d.count / 6, at = V3(d.world.m[3][0], d.world.m[3][1], 0);
        return glyphs;
    }

    FileManager files;  // reads the generated content
    ResourceManager resources;
    ZubInput input;
    FocusManager focus;
    ZubGraphics graphics;
    NullRenderDevice* device = nullptr;
    std::vector<std::unique_ptr<Texture>> textures;
    FontQuad tiny, small;
    std::unique_ptr<GUIthemeStandard> standard;
    std::unique_ptr<GUIthemeMinimal> minimal;
    Context screen;
    Panel* panel = new Panel;
    InputSnapshot next;  // what the next frame's input reports
    double time = 0.0;
};

TEST_F(GuiItems, ThemesFrameItemsWithTheirSheets) {
    for (int style = 0; style < GUIthemeStandard::STYLE_COUNT; ++style)
        for (GUItheme* theme : themes()) EXPECT_EQ(GUIitem(theme, style).normalFrame != nullptr, style != 0);
    GUIitem later(standard.get(), 10);  // the thick frame (3) gave later items border 2
    later.setSize(30, 10);
    EXPECT_EQ(later.normalFrame->width, 34.0f);
    EXPECT_EQ(later.normalFrame->borderLeft + later.normalFrame->borderTop, 15);  // tab insets 10, 5, 5, 10
    standard->setStyle(&later, 4);  // a new style replaces the frames, also the one drawn
    EXPECT_EQ(later.pSkin, later.normalFrame);
}

TEST_F(GuiItems, ItemsFollowHoverFocusAndPointerInBothThemes) {
    for (GUItheme* theme : themes()) {
        auto* item = add(new GUIitem(theme, 8), -200);
        item->setSize(80, theme->defaultHeight);
        auto* box = add(new GUIeditBox(theme), 200);
        for (GUIitem* it : {item, static_cast<GUIitem*>(box)}) {
            pointAt(it->position.x);
            frame(7);  // the highlight takes a quarter of a second
            EXPECT_EQ(it->captionCurrentColor, it->captionHoverColor);
            EXPECT_EQ(drawnSkin(it), 1);
            press(true);
            EXPECT_EQ(drawnSkin(it), 2);
            pointAt(it->position.x + 30);
            press(false);
            EXPECT_TRUE(panel->count(EVENT_CLICK) && panel->count(EVENT_DRAG));  // bubbled out
            panel->heard.clear();
            pointAt(0, 300);
            frame(7);
            EXPECT_EQ(it->captionCurrentColor, it->captionColor);
        }
        panel->bDisabled = 1, frame();
        EXPECT_TRUE(drawnSkin(item) == 0 && item->captionCurrentColor == item->captionDisabledColor);
        panel->bDisabled = 0, item->destroy(), box->destroy();
    }
}

TEST_F(GuiItems, EditBoxTypesMovesTheCaretAndCommits) {
    WString target = u"old";
    auto* box = add(new GUIeditBox(standard.get()), 0);
    box->target = &target;
    pointAt(0);
    press(true);
    type(u"ab");
    key(KEY_LEFT);
    type(u"\b");
    EXPECT_TRUE(box->text == u"oldb" && box->caret == 3);
    key(KEY_ESCAPE);  // the target's text again, still editing
    EXPECT_TRUE(box->text == u"old" && box->bEditing && target == u"old");
    type(u"x\r");
    EXPECT_TRUE(target == u"oldx" && !box->bEditing && panel->count(EVENT_CHANGED) == 1);
    key(KEY_TAB), key(KEY_DELETE);
    focus.setFocus(nullptr);  // losing the focus commits as well
    EXPECT_TRUE(target == u"\x08" && panel->count(EVENT_CHANGED) == 4);
    target = u"new", frame();
    EXPECT_EQ(box->caption, u"new");
    focus.setFocus(box);  // the caret blinks four times a second and long texts are cut around it
    box->tick(0.125, 0.0);
    EXPECT_EQ(box->caption, u"new\x02");
    box->setText(WString(60, u'm')), box->caret = 60, box->tick(0.0, 0.0);
    const int fit = small.measureText(box->text, static_cast<float>(box->width - 6), 0).fit;
    EXPECT_EQ(box->caption, u"..." + WString(static_cast<size_t>(fit / 2), u'm') + u"\x01");
    box->caret = 0, box->tick(0.0, 0.0);
    V3 at;
    EXPECT_TRUE(box->caption.starts_with(u"\x01m") && drawnGlyphs(small, at) < fit + 4);
}

TEST_F(GuiItems, CaptionsSitAtTheirLocationsAndOnlyInsideOnesAreCut) {
    auto* item = add(new GUIitem(standard.get(), 8), 100);
    item->setSize(60, 20);  // a frame of 62 x 22, padding 3
    item->caption = u"A caption far wider than its frame";
    const int letters =
        static_cast<int>(item->caption.size() - std::count(item->caption.begin(), item->caption.end(), u' '));
    const int cases[][3] = {{4, -34, 0}, {5, 0, 0}, {6, 34, 0}, {8, 0, 14}, {-4, -28, 0}, {-6, 28, 0}, {-8, 0, 8}};
    for (const auto& c : cases) {
        item->captionLocation = c[0];
        V3 at;
        const int glyphs = drawnGlyphs(small, at);
        EXPECT_EQ(at, V3(100.0f + static_cast<float>(c[1]), static_cast<float>(c[2]), 0)) << c[0];
        EXPECT_TRUE(c[0] > 0 ? glyphs == letters : glyphs < letters / 2) << c[0] << " " << glyphs;
    }
}

TEST_F(GuiItems, UnknownStylesLocationsAndMissingSheetsAreFatal) {
    EXPECT_EXIT(GUIitem(standard.get(), 12), ::testing::ExitedWithCode(255),
                "Unhandled style.*GUIthemeStandard::setStyle");
    EXPECT_EXIT(GUIitem(minimal.get(), -1), ::testing::ExitedWithCode(255),
                "Unhandled style.*GUIthemeMinimal::setStyle");
    EXPECT_EXIT(
        {
            ResourceManager bare;
            GUIitem(standard.get(), 5);
        },
        ::testing::ExitedWithCode(255), "Could not find resource 'gui-standard-groove'\\.");
    auto* item = add(new GUIitem(minimal.get(), 8), 0);
    item->captionLocation = 7;
    draw();  // without a caption the location is never looked at
    item->caption = u"x";
    EXPECT_EXIT(draw(), ::testing::ExitedWithCode(255), "Invalid caption location\\..*GUIitem::render");
}

}  // namespace
