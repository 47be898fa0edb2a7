// The texts of the valley map, the statistics panel, the high-score page,
// the credits, the options and network pages, the main menu and the players
// page, the pause menu and the recipe page against the generated pictures
// behind them, in the real program drawn by the OpenGL device off-screen at
// 1024 x 768 (the options and network pages also in the 800 x 600 window of
// -safe): every text stands out from the middle colour behind it by a
// contrast ratio of at least 3:1 (TextContrast.h; the other players' names
// on the players page by a little less, kLeastOtherPlayer). Each screen is
// captured twice in the same frame: as drawn, and with its texts left out,
// which shows what stands behind them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "LoopbackHttpServer.h"
#include "OffscreenPicture.h"
#include "ProgramHarness.h"
#include "TextContrast.h"
#include "app/Global.h"
#include "engine/Zub.h"
#include "flow/ContextLevelManager.h"
#include "flow/ContextRecipe.h"
#include "flow/ContextValley.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/MyRootObject.h"
#include "flow/Overlay.h"
#include "flow/OverlayMenu.h"
#include "flow/OverlayStatistics.h"
#include "flow/ValleyIcon.h"
#include "gfx/Camera.h"
#include "gui/ContextCredits.h"
#include "gui/GameSquare.h"
#include "gui/GuiEnvironment.h"
#include "gui/IrisTransition.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemSlider.h"
#include "gui/MenuItemToggle.h"
#include "gui/MessageViewer.h"
#include "gui/ScreenOverlays.h"
#include "gui/TextPanel.h"
#include "menu/ContextAdvancedOptions.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextControlBindings.h"
#include "menu/ContextControls.h"
#include "menu/ContextGameplay.h"
#include "menu/ContextGraphics.h"
#include "menu/ContextHelp.h"
#include "menu/ContextHighscores.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextKeyboard.h"
#include "menu/ContextNetworkConfiguration.h"
#include "menu/ContextNetworkWizard1.h"
#include "menu/ContextOptions.h"
#include "menu/ContextPlayers.h"
#include "menu/ContextSound.h"
#include "menu/ContextTouchscreen.h"
#include "menu/GameMainMenu.h"
#include "menu/MenuItemCountry.h"
#include "menu/MenuItemKeyBinding.h"
#include "menu/PlayerGreeting.h"
#include "net/NetRole.h"
#include "object/ResourceManager.h"
#include "records/FormatHelpers.h"
#include "records/ProfileManager.h"
#include "src/flow/ten_levels_done.h"
#include "sys/HttpRequest.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"
#include "util/KeyCodes.h"

namespace {

using contrasttest::Box;
using contrasttest::Reading;
using contrasttest::Readings;
using programtest::ProgramHarness;
using namespace input_codes;

// The least contrast ratio of a text and what stands behind it.
constexpr double kLeast = 3.0;

ProgramHarness::Options realScreen() {
    ProgramHarness::Options o;
    o.realDisplay = true;
    o.fixedFrameStep = 0.01;
    return o;
}

// The real screen with the developer's level switch: the program starts on
// level a1.
ProgramHarness::Options levelA1Screen() {
    ProgramHarness::Options o = realScreen();
    o.developer = true;
    o.arguments = {"-level", "a1"};
    return o;
}

// Starts the program and runs it until its level plays, the pointer out of
// the way in a corner; false when it does not get there.
bool playLevel(ProgramHarness& h, ContextLevelManager*& manager) {
    h.start();
    if (!h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 600)) return false;
    manager = h.topAs<ContextLevelManager>();
    GameController* gc = nullptr;
    if (!h.stepUntil([&] { return (gc = manager->gameServer->controller()) != nullptr; }, 100)) return false;
    if (!h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 800)) return false;
    h.moveMouse(1010.0f, 10.0f);
    h.step(50);
    return true;
}

std::string narrow(std::u16string_view s) { return wideToNarrow(WString(s)); }

// A frame as drawn and the same frame drawn by `without`.
struct Captures {
    std::vector<uint32_t> with, without;
    int w = 0, h = 0;
};

// With ZUB_CONTRAST_PICTURES set, both are written there as <name>.png
// and <name>_without.png.
Captures captureBoth(ProgramHarness& h, const std::function<void()>& without, const std::string& name = {}) {
    Captures c;
    c.with = h.capture(c.w, c.h);
    int w = 0, hh = 0;
    c.without = h.capture(w, hh, without);
    EXPECT_FALSE(c.with.empty());
    EXPECT_EQ(c.with.size(), c.without.size());
    if (!name.empty()) {
        picturetest::keepInFolder(picturetest::kContrastFolder, name + ".png", c.with, c.w, c.h);
        picturetest::keepInFolder(picturetest::kContrastFolder, name + "_without.png", c.without, c.w, c.h);
    }
    return c;
}

// The stack drawn with every text below `root` hidden for the moment.
void drawWithoutTextsBelow(ZubBase* root) {
    std::vector<std::pair<FadingText*, uint8_t>> texts;
    std::function<void(ZubBase*)> collect = [&](ZubBase* o) {
        for (ZubBase* c : childrenOf(o)) {
            if (auto* t = zub_cast<FadingText>(c)) texts.emplace_back(t, t->bHidden);
            collect(c);
        }
    };
    collect(root);
    for (auto& [t, hidden] : texts) t->bHidden = 1;
    ZUB->rootContext->renderContext();
    for (auto& [t, hidden] : texts) t->bHidden = hidden;
}

Box boxOf(const FadingText& t, const Camera& camera, int w, int h) {
    return contrasttest::textBox(*t.font, t.text, t.flags, t.position, camera, w, h);
}

void click(ProgramHarness& h, CursorTarget* item) {
    const V3 at = item->cursorAnchor(0);
    h.click(at.x, at.y);
}

GameMainMenu* pastTheStartScreens(ProgramHarness& h) {
    if (!h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 400)) return nullptr;
    h.pressKey(KEY_ESCAPE);
    if (!h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10)) return nullptr;
    h.pressKey(KEY_ESCAPE);
    if (!h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 10)) return nullptr;
    h.moveMouse(1010.0f, 10.0f);
    return h.topAs<GameMainMenu>();
}

TEST(ReadableTexts, TheValleyMapsTitlesAndRatingsStandOutFromTheMapAndTheMarkers) {
    ProgramHarness h(realScreen());
    h.start();
    GameMainMenu* menu = pastTheStartScreens(h);
    ASSERT_NE(menu, nullptr);
    h.onProgramThread([] { profileseed::everyLevelOpen(GLOBAL->profiles.currentProfile()); });
    click(h, menu->startItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextValley>(); }, 20));
    auto* valley = h.topAs<ContextValley>();
    ASSERT_TRUE(h.stepUntil([&] { return valley->state == ContextValley::MAP; }, 100));
    // The pointer away from the markers: no bubble.
    h.moveMouse(1010.0f, 10.0f);
    h.step(400);

    ProfileData& profile = GLOBAL->profiles.currentProfile();
    const Language& language = gameLanguage();
    Readings titles("valley map, level titles"), ratings("valley map, ratings");
    std::set<int32_t> shown, shownAsCurrent;
    // The map without its texts: no level finished or open for the moment
    // (the markers keep the looks the last frame gave them).
    auto withoutTexts = [&] {
        std::vector<std::pair<uint8_t, uint8_t>> saved;
        for (LevelResult& r : profile.levels) {
            saved.emplace_back(r.unlocked, r.completed);
            r.unlocked = r.completed = 0;
        }
        ZUB->rootContext->renderContext();
        for (int i = 0; i < NUMLEVELS; ++i) {
            profile.levels[i].unlocked = saved[static_cast<size_t>(i)].first;
            profile.levels[i].completed = saved[static_cast<size_t>(i)].second;
        }
    };
    // The map's left end, its middle and its right end.
    for (float x : {-512.0f, 0.0f, 512.0f}) {
        h.onProgramThread([&] { valley->scroll.setImmediate(x); });
        h.step(2);
        for (int32_t current = 0; current < NUMLEVELS; ++current) {
            // Each marker on the screen once as the current level, with the
            // selection ring under it.
            const V3 at = valley->camera->worldToScreen(valley->icon(current)->position);
            if (at.x < 40.0f || at.x > REFERENCE_WIDTH - 40.0f) continue;
            h.onProgramThread([&] { profile.currentLevel = current; });
            const Captures c = captureBoth(
                h, withoutTexts,
                "valley_" + std::to_string(static_cast<int>(x)) + "_current_" + std::to_string(current + 1));
            // What the map's fixed menu draws over the map (arrows, buttons,
            // the strip at the top) hides the texts under it.
            std::vector<Box> covered;
            for (Renderable* r : childrenOf<Renderable>(valley->pMenu))
                if (!r->bHidden) covered.push_back(contrasttest::skinBox(*r, *valley->pMenu->camera, c.w, c.h));
            auto hidden = [&](const Box& b) {
                for (const Box& over : covered)
                    if (contrasttest::overlap(b, over)) return true;
                return false;
            };
            for (int32_t i = 0; i < NUMLEVELS; ++i) {
                const ValleyIcon* icon = valley->icon(i);
                const V3 p = icon->position;
                const FontQuad* font =
                    findResource<FontQuad>(i < ValleyIcon::FIRST_WINTER_LEVEL ? u"fontSmall" : u"fontSmallOutline");
                const WString title = ProfileData::levelNumberToTitle(i, language);
                const Box titleBox = contrasttest::textBox(*font, title, FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP,
                                                           V3(p.x, p.y + 10.0f, p.z), *valley->camera, c.w, c.h);
                if (!titleBox.within(c.w, c.h) || hidden(titleBox)) continue;
                titles.add(narrow(title) + " (level " + std::to_string(i + 1) + (i == current ? ", current)" : ")"),
                           ValleyIcon::TITLE_COLOUR, titleBox, c.with, c.without, c.w, c.h);
                (i == current ? shownAsCurrent : shown).insert(i);
                if (!profile.levels[i].completed) continue;
                const WString rating = formatPercentTenths(profile.levels[i].score);
                const Box ratingBox = contrasttest::textBox(*font, rating, FontQuad::TEXT_PLAIN | FontQuad::TEXT_CENTRE,
                                                            V3(p.x, p.y - 10.0f, p.z), *valley->camera, c.w, c.h);
                if (ratingBox.within(c.w, c.h) && !hidden(ratingBox))
                    ratings.add(narrow(rating) + " (level " + std::to_string(i + 1) + ")", 0xFFFFFFFFu, ratingBox,
                                c.with, c.without, c.w, c.h);
            }
        }
    }
    h.onProgramThread([&] { profile.currentLevel = 28; });
    // Every title was on the screen, the winter's too, as the current
    // level's and as another's.
    EXPECT_EQ(shown.size(), static_cast<size_t>(NUMLEVELS));
    EXPECT_EQ(shownAsCurrent.size(), static_cast<size_t>(NUMLEVELS));
    titles.expectAtLeast(kLeast);
    ratings.expectAtLeast(kLeast);
}

TEST(ReadableTexts, TheStatisticsPanelsRowsAndFooterStandOutFromTheWoodPlainAndPerfect) {
    ProgramHarness h(levelA1Screen());
    ContextLevelManager* manager = nullptr;
    ASSERT_TRUE(playLevel(h, manager));
    GameController* gc = manager->gameServer->controller();

    Readings rows("statistics panel, rows"), title("statistics panel, title"), footer("statistics panel, footer");
    int plainTexts = 0, perfectTexts = 0;
    auto measure = [&](const char* when, const char* picture) {
        h.onProgramThread([&] {
            NetRole* before = THEROLE;
            THEROLE = manager->gameServer.get();
            gc->openOverlay(Overlay::STATISTICS);
            THEROLE = before;
        });
        h.step(100);
        plainTexts = perfectTexts = 0;
        auto* panel = zub_cast<OverlayStatistics>(manager->gameServer->gameRoot()->contextOverlay);
        ASSERT_NE(panel, nullptr);
        const Captures c = captureBoth(
            h, [&] { drawWithoutTextsBelow(panel); }, std::string("statistics_") + picture);
        for (FadingText* t : childrenOf<FadingText>(panel)) {
            if (t->text.empty()) continue;
            // How to go on, at the panel's foot in half-transparent black.
            if (t->color == OverlayStatistics::FOOTER_COLOUR) {
                footer.add(narrow(t->text) + " (" + when + ")", t->color, boxOf(*t, *panel->camera, c.w, c.h), c.with,
                           c.without, c.w, c.h);
                continue;
            }
            ASSERT_EQ(t->color >> 24, 0xFFu) << narrow(t->text);
            Readings& kind = t->position.y == OverlayStatistics::TITLE_Y ? title : rows;
            kind.add(narrow(t->text) + " (" + when + ")", t->color, boxOf(*t, *panel->camera, c.w, c.h), c.with,
                     c.without, c.w, c.h);
            (t->color == OverlayStatistics::PERFECT_COLOUR ? perfectTexts : plainTexts) += 1;
        }
        h.pressKey(KEY_ESCAPE);
        ASSERT_TRUE(h.stepUntil([&] { return manager->gameServer->gameRoot()->contextOverlay == nullptr; }, 100));
    };
    measure("as played", "as_played");
    // Both colours: the level's lives and time are perfect so far, its
    // apples not.
    EXPECT_GT(plainTexts, 1);
    EXPECT_GT(perfectTexts, 0);
    // Every category perfect: the whole table in the perfect colour.
    h.onProgramThread([&] {
        LevelResult& r = gc->currentResult;
        r.apples = r.applesGathered = 3;
        r.bonusApples = r.bonusApplesGathered = 2;
        r.sweets = r.sweetsGathered = 2;
        r.secrets = r.secretsFound = 1;
        r.livesLost = 0;
        r.applesLost = 0;
        r.parTime = 600.0;
    });
    measure("all perfect", "all_perfect");
    // Six rows of three texts and the total's two, and the white title.
    EXPECT_EQ(perfectTexts, 20);
    EXPECT_EQ(plainTexts, 1);
    EXPECT_EQ(footer.all().size(), 2u);
    rows.expectAtLeast(kLeast);
    title.expectAtLeast(kLeast);
    footer.expectAtLeast(kLeast);
}

TEST(ReadableTexts, TheHighScoreRowsAndTheCreditsStandOutFromTheBlurredTitlePicture) {
    ProgramHarness h(realScreen());
    h.start();
    GameMainMenu* menu = pastTheStartScreens(h);
    ASSERT_NE(menu, nullptr);

    // The spring's table, some entries with a result and a name.
    h.onProgramThread([] {
        for (int i = 0; i < 8; i += 1 + i % 2) {
            HIGHSCOREENTRY& e = GLOBAL->config.highScores[i];
            std::snprintf(e.name, sizeof e.name, "%s", i % 3 ? "Tester" : "Anna Lee");
            e.points = 1250 * (i + 1) + 75;
            e.seconds = 50 + 17 * i;
            e.score = 500 + 61 * i;
        }
    });
    click(h, menu->highScoresItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextHighscores>(); }, 20));
    auto* scores = h.topAs<ContextHighscores>();
    h.moveMouse(1010.0f, 10.0f);
    h.step(300);  // the title picture blurred
    {
        ASSERT_EQ(scores->season, 0);
        // The page's texts in front of the title picture alone.
        const Captures c = captureBoth(
            h, [&] { scores->backgroundContext->renderContext(); }, "highscores");
        const FontQuad* font = findResource<FontQuad>(u"fontMedium");
        Readings rows("high-score page, spring's rows");
        for (int32_t i = 0; i < 8; ++i) {
            const ContextHighscores::Row r = scores->row(i);
            const struct {
                float x;
                int flags;
                const WString& text;
            } columns[] = {{-300.0f, 8, r.level},
                           {-290.0f, 0x202, r.name},
                           {100.0f, 8, r.points},
                           {200.0f, 8, r.time},
                           {300.0f, 8, r.score}};
            for (const auto& col : columns)
                rows.add(
                    narrow(col.text) + " (row " + std::to_string(i + 1) + ")", r.colour,
                    contrasttest::textBox(*font, col.text, col.flags, V3(col.x, r.y, 0.0f), *scores->camera, c.w, c.h),
                    c.with, c.without, c.w, c.h);
        }
        rows.expectAtLeast(kLeast);
    }
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 100));

    // The credits roll from the bottom edge to the top: each line measured
    // wherever it is fully shown, every 30 design units of its way up.
    click(h, menu->creditsItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCredits>(); }, 20));
    auto* credits = h.topAs<ContextCredits>();
    TextPanel* panel = credits->panel;
    h.onProgramThread([&] { panel->scrollVelocity = V3(0.0f, 0.0f, 0.0f); });
    h.moveMouse(1010.0f, 10.0f);
    h.step(250);  // the title picture blurred
    h.onProgramThread([&] { panel->scrollVelocity = V3(0.0f, 300.0f, 0.0f); });
    Readings lines("credits, lines"), version("credits, version");
    for (int sample = 0; h.top() == credits && panel->lines->firstChild; ++sample) {
        const Captures c = captureBoth(
            h, [&] { drawWithoutTextsBelow(credits); },
            sample % 10 == 0 ? "credits_" + std::to_string(sample / 10) : std::string());
        for (FadingText* t : childrenOf<FadingText>(panel->lines)) {
            if (t->bHidden || t->text.empty() || (t->color >> 24) != 0xFFu) continue;
            const Box box = boxOf(*t, *panel->camera, c.w, c.h);
            if (!box.within(c.w, c.h)) continue;
            lines.add(narrow(t->text) + " (at y " + std::to_string(static_cast<int>(t->position.y)) + ")", t->color,
                      box, c.with, c.without, c.w, c.h);
        }
        if (sample == 0)
            version.add(narrow(credits->versionText->text), credits->versionText->color,
                        boxOf(*credits->versionText, *credits->camera, c.w, c.h), c.with, c.without, c.w, c.h);
        ASSERT_LT(sample, 1000);
        h.step(10);
    }
    // Every line of the credits was measured, most of them many times.
    EXPECT_GT(lines.all().size(), 1000u);
    lines.expectAtLeast(kLeast);
    version.expectAtLeast(kLeast);
}

// ---- The options and network pages -----------------------------------------------------------

// The least contrast ratio of the other players' names on the players page
// (half-transparent black, on the board that the current player's name
// stands on in white): no colour of a board gives both 3:1, and the board
// favours the name in white.
constexpr double kLeastOtherPlayer = 2.8;

// One text that a menu page draws: what it is, its colour, its box and the
// least contrast ratio it must have.
struct PageText {
    std::string what;
    uint32_t colour = 0;
    Box box;
    double least = kLeast;
};

// The lines of the page's other drawables (the greeting's two lines, the
// runs of a recipe on their holder): every FadingText below a child of the
// page that is no item, no message viewer and not hidden.
void nestedLines(ZubBase* o, int depth, const std::function<void(FadingText*)>& each) {
    for (ZubBase* c : childrenOf(o)) {
        if (zub_cast<MenuItem>(c) || zub_cast<MessageViewer>(c)) continue;
        if (auto* r = zub_cast<Renderable>(c); r && r->bHidden) continue;
        if (auto* t = zub_cast<FadingText>(c); t && depth > 0 && !t->text.empty()) each(t);
        nestedLines(c, depth + 1, each);
    }
}

// Where a panel (GameSquare::render) puts its title.
V3 squareTitlePoint(const GameSquare& s) {
    return V3(s.position.x, s.position.y + s.pSkin->height * 0.5f - GameSquare::TITLE_DROP, s.position.z);
}

// The players page draws the names of the players itself (ContextPlayers::
// renderContents): each on its row, the current one white, the others
// half-transparent black, squeezed to 300 units where longer.
void playerNames(ContextPlayers* page, int w, int h, std::vector<PageText>& out) {
    const ProfileManager& profiles = GLOBAL->profiles;
    FontQuad* font = findResource<FontQuad>(u"fontSmallOutline");
    for (int32_t i = 0; i < profiles.countProfiles(); ++i) {
        const bool current = i == profiles.current;
        FadingText row(-150.0f, 135.0f - 30.0f * static_cast<float>(i), 0.0f, profiles.getProfileName(i), font,
                       current ? 0xFFFFFFFFu : 0x80000000u);
        row.flags = 0x212;
        row.fitToWidth(300);
        out.push_back(
            {std::string(current ? "the current player's name " : "a player's name ") + "\"" + narrow(row.text) + "\"",
             row.color,
             contrasttest::textBox(*font, row.text, row.flags, row.position, *page->camera, w, h, row.scale.x),
             current ? kLeast : kLeastOtherPlayer});
    }
}

// Every text a menu page draws, read from its tree: its lines (FadingText),
// also those of its other drawables, the titles of its panels, the caption
// of each item and the value drawn on it (a slider's bars and a toggle's
// tick are no text), the hint line of the item under the pointer, the lines
// of its message viewer and, on the players page, the players' names. The
// texts of disabled items, which fade on purpose, are left out.
std::vector<PageText> textsOf(ContextMenu* page, int w, int h) {
    std::vector<PageText> out;
    const Camera& camera = *page->camera;
    for (FadingText* t : childrenOf<FadingText>(page))
        if (!t->bHidden && !t->text.empty()) out.push_back({narrow(t->text), t->color, boxOf(*t, camera, w, h)});
    for (MenuItem* item : childrenOf<MenuItem>(page)) {
        if (item->bHidden || item->bDisabled || !item->font) continue;
        const std::string name = item->caption.empty() ? "an item" : "\"" + narrow(item->caption) + "\"";
        if (!item->caption.empty()) {
            // Where MenuItem::render puts it: beside the item's skin, above
            // it, or on it (shrunk to fit).
            const float sw = item->skinWidth(), sh = item->skinHeight();
            V3 offset;
            int flags = FontQuad::TEXT_CENTRE | FontQuad::TEXT_HALF_LINE_UP;
            float scale = item->scale.x;
            switch (item->captionLocation) {
                case 4:
                    offset = V3(-sw / 2.0f - 5.0f, 0.0f, 0.0f);
                    flags = FontQuad::TEXT_RIGHT | FontQuad::TEXT_HALF_LINE_UP;
                    break;
                case 6:
                    offset = V3(sw / 2.0f + 5.0f, 0.0f, 0.0f);
                    flags = FontQuad::TEXT_AT_X | FontQuad::TEXT_HALF_LINE_UP;
                    break;
                case 8:
                    offset = V3(0.0f, sh / 2.0f + 5.0f, 0.0f);
                    flags = FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP;
                    break;
                default:
                    scale *= item->fitFactor(item->caption);
            }
            V3 at;
            item->localToWorld(at, offset);
            out.push_back({"caption " + name, item->drawnCaptionColor(),
                           contrasttest::textBox(*item->font, item->caption, flags, at, camera, w, h, scale)});
        }
        // The value on the item, centred both ways, shrunk to fit as the
        // texts of a choice, a country and a key are (a number is not).
        WString value;
        bool fitted = true;
        if (auto* country = dynamic_cast<MenuItemCountry*>(item)) value = country->valueText();
        else if (auto* choice = dynamic_cast<MenuItemChoice*>(item)) value = choice->choiceText();
        else if (auto* key = dynamic_cast<MenuItemKeyBinding*>(item))
            value = MenuItemKeyBinding::keyName(*key->binding);
        else if (auto* number = dynamic_cast<MenuItemValue*>(item); number && !dynamic_cast<MenuItemSlider*>(item)) {
            value = formatString(u"%d", *number->value);
            fitted = false;
        }
        if (!value.empty())
            out.push_back({"value of " + name + " (" + narrow(value) + ")", item->captionCurrentColor,
                           contrasttest::textBox(
                               *item->font, value, FontQuad::TEXT_CENTRE | FontQuad::TEXT_HALF_LINE_UP, item->position,
                               camera, w, h, item->scale.x * (fitted ? item->fitFactor(value) : 1.0f))});
        if (item->bHovered && !item->hint.empty())
            out.push_back(
                {"hint of " + name + " (" + narrow(item->hint) + ")", 0xFFFFFFFFu,
                 contrasttest::textBox(*findResource<FontQuad>(u"fontSmall"), item->hint,
                                       FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP,
                                       V3(0.0f, static_cast<float>(2 - REFERENCE_HEIGHT / 2), 0.0f), camera, w, h)});
    }
    for (MessageViewer* viewer : childrenOf<MessageViewer>(page)) {
        if (viewer->bHidden) continue;
        float y = std::trunc(viewer->position.y);
        for (const WString& line : viewer->lines) {
            if (!line.empty())
                out.push_back({narrow(line), viewer->color,
                               contrasttest::textBox(*viewer->pFont, line, viewer->textFlags,
                                                     V3(viewer->position.x, y, viewer->position.z), camera, w, h)});
            y += viewer->lineSpacing;
        }
    }
    nestedLines(page, 0, [&](FadingText* t) { out.push_back({narrow(t->text), t->color, boxOf(*t, camera, w, h)}); });
    for (GameSquare* square : childrenOf<GameSquare>(page))
        if (!square->bHidden && square->pSkin && !square->title.empty())
            out.push_back({"title \"" + narrow(square->title) + "\"", GameSquare::TITLE_COLOUR,
                           contrasttest::textBox(*findResource<FontQuad>(u"fontMedium"), square->title,
                                                 FontQuad::TEXT_CENTRE | FontQuad::TEXT_HALF_LINE_UP,
                                                 squareTitlePoint(*square), camera, w, h)});
    if (auto* players = zub_cast<ContextPlayers>(page)) playerNames(players, w, h, out);
    return out;
}

// The stack drawn with every text of the page left out for the moment.
void drawPageWithoutTexts(ContextMenu* page) {
    struct Saved {
        MenuItem* item;
        WString caption, hint, disabledHint;
        uint32_t colour;
    };
    std::vector<Saved> items;
    for (MenuItem* item : childrenOf<MenuItem>(page)) {
        items.push_back({item, item->caption, item->hint, item->disabledHint, item->captionCurrentColor});
        item->caption.clear();
        item->hint.clear();
        item->disabledHint.clear();
        item->captionCurrentColor = 0;  // the values are drawn in it
    }
    std::vector<std::pair<ZubBase*, uint8_t>> hidden;
    for (ZubBase* c : childrenOf<ZubBase>(page))
        if (zub_cast<FadingText>(c) || zub_cast<MessageViewer>(c)) {
            hidden.emplace_back(c, c->bHidden);
            c->bHidden = 1;
        }
    nestedLines(page, 0, [&](FadingText* t) {
        hidden.emplace_back(t, t->bHidden);
        t->bHidden = 1;
    });
    std::vector<std::pair<GameSquare*, WString>> titles;
    for (GameSquare* square : childrenOf<GameSquare>(page)) titles.emplace_back(square, std::move(square->title));
    // The players' names as spaces: the rows stay (a slot with a name is a
    // player) but draw nothing.
    std::vector<std::string> names;
    const bool players = zub_cast<ContextPlayers>(page) != nullptr;
    if (players)
        for (ProfileData& slot : GLOBAL->profiles.slots) {
            names.emplace_back(slot.name);
            if (slot.name[0] != 0) std::snprintf(slot.name, sizeof slot.name, " ");
        }
    ZUB->rootContext->renderContext();
    for (auto& [c, was] : hidden) c->bHidden = was;
    for (auto& [square, title] : titles) square->title = std::move(title);
    for (size_t i = 0; i < names.size(); ++i)
        std::snprintf(GLOBAL->profiles.slots[i].name, sizeof GLOBAL->profiles.slots[i].name, "%s", names[i].c_str());
    for (Saved& s : items) {
        s.item->caption = std::move(s.caption);
        s.item->hint = std::move(s.hint);
        s.item->disabledHint = std::move(s.disabledHint);
        s.item->captionCurrentColor = s.colour;
    }
}

// Walks the pages, measuring every text of each as it stands with the
// pointer away, then again with the pointer resting on each of its items.
struct PageWalk {
    ProgramHarness& h;
    std::string size;
    // The readings of each page, and of its texts held to a lower least.
    std::vector<std::pair<std::unique_ptr<Readings>, double>> readings;

    template <class T>
    T* open(CursorTarget* item) {
        click(h, item);
        if (!h.stepUntil([&] { return h.topIs<T>(); }, 50)) return nullptr;
        h.moveMouse(1010.0f, 10.0f);
        h.step(60);
        // The iris open again.
        EXPECT_TRUE(h.stepUntil([&] { return gui::iris(h.stack())->closure == 0.0f; }, 300));
        return h.topAs<T>();
    }
    void back(Context* to) {
        h.pressKey(KEY_ESCAPE);
        EXPECT_TRUE(h.stepUntil([&] { return h.top() == to; }, 100));
    }
    // With `pointerOnEach` false only as the page stands.
    void measure(ContextMenu* page, const std::string& name, bool pointerOnEach = true) {
        const size_t first = readings.size();
        readings.emplace_back(std::make_unique<Readings>(name + " at " + size), kLeast);
        auto take = [&](const std::string& picture) {
            const Captures c = captureBoth(
                h, [&] { drawPageWithoutTexts(page); }, picture);
            for (PageText& t : textsOf(page, c.w, c.h)) {
                size_t i = first;
                while (i < readings.size() && readings[i].second != t.least) ++i;
                if (i == readings.size())
                    readings.emplace_back(std::make_unique<Readings>(name + " at " + size + ", held to " +
                                                                     formatNarrow("%.1f", t.least) + ":1"),
                                          t.least);
                readings[i].first->add(std::move(t.what), t.colour, t.box, c.with, c.without, c.w, c.h);
            }
        };
        take("page_" + size + "_" + name);
        if (!pointerOnEach) return;
        int n = 0;
        for (MenuItem* item : childrenOf<MenuItem>(page)) {
            if (item->bHidden || item->bDisabled) continue;
            const V3 at = item->cursorAnchor(0);
            h.moveMouse(at.x, at.y);
            h.step(30);  // the highlight at full
            EXPECT_TRUE(item->bHovered) << name << ": " << narrow(item->caption);
            take("page_" + size + "_" + name + "_" + std::to_string(++n));
        }
        // The main menu's greeting, lit.
        for (PlayerGreeting* greeting : childrenOf<PlayerGreeting>(page)) {
            const V3 at = greeting->cursorAnchor(0);
            h.moveMouse(at.x, at.y);
            h.step(30);
            EXPECT_TRUE(greeting->bHovered) << name << ": the greeting";
            take("page_" + size + "_" + name + "_" + std::to_string(++n));
        }
        h.moveMouse(1010.0f, 10.0f);
        h.step(30);
    }
    // Every reading at least at the least its text is held to.
    void expectAll() const {
        for (const auto& [r, least] : readings) r->expectAtLeast(least);
    }
};

class ReadablePages : public testing::TestWithParam<bool> {};

TEST_P(ReadablePages, EveryTextOfTheOptionsAndNetworkPagesStandsOutFromTheBlurredTitlePicture) {
    httptest::LoopbackHttpServer server;
    server.reply("/tumbro/nettest.php",
                 httptest::httpResponse(200, "OK", "Hello from the test server.\r\nAll is well."));
    ProgramHarness::Options o = realScreen();
    if (GetParam()) o.arguments.push_back("-safe");
    o.userSettings = "[Network]\nwebHost=" + wideToNarrow(server.host()) + "\n";
    ProgramHarness h(o);
    h.start();
    GameMainMenu* menu = pastTheStartScreens(h);
    ASSERT_NE(menu, nullptr);
    PageWalk walk{h, GetParam() ? "800" : "1024", {}};

    auto* options = walk.open<ContextOptions>(menu->optionsItem);
    ASSERT_NE(options, nullptr);
    walk.measure(options, "options");
    if (auto* page = walk.open<ContextGameplay>(options->gameplayItem)) {
        walk.measure(page, "gameplay");
        walk.back(options);
    }
    auto* controls = walk.open<ContextControls>(options->controlsItem);
    ASSERT_NE(controls, nullptr);
    walk.measure(controls, "controls");
    for (auto [item, name] : {std::pair{controls->playerControlsItem, "main_controls"},
                              std::pair{controls->alternativeControlsItem, "alternative_controls"}})
        if (auto* page = walk.open<ContextControlBindings>(item)) {
            walk.measure(page, name);
            walk.back(controls);
        }
    if (auto* page = walk.open<ContextKeyboard>(controls->keyboardItem)) {
        walk.measure(page, "keyboard");
        walk.back(controls);
    }
    if (auto* page = walk.open<ContextTouchscreen>(controls->touchscreenItem)) {
        walk.measure(page, "touchscreen");
        walk.back(controls);
    }
    walk.back(options);
    auto* graphics = walk.open<ContextGraphics>(options->graphicsItem);
    ASSERT_NE(graphics, nullptr);
    walk.measure(graphics, "graphics");
    if (auto* page = walk.open<ContextAdvancedOptions>(graphics->advancedItem)) {
        walk.measure(page, "advanced");
        walk.back(graphics);
    }
    walk.back(options);
    if (auto* page = walk.open<ContextSound>(options->soundItem)) {
        walk.measure(page, "sound");
        walk.back(options);
    }
    if (auto* page = walk.open<ContextHelp>(options->helpItem)) {
        walk.measure(page, "help");
        walk.back(options);
    }

    // The network test before and after it ran, and the configuration page.
    auto* test = walk.open<ContextNetworkWizard1>(options->networkItem);
    ASSERT_NE(test, nullptr);
    walk.measure(test, "network_test");
    h.onProgramThread([&] { test->bRunOnDesktop = 0; });  // the test runs where the game is
    click(h, test->nextButton);
    ASSERT_TRUE(h.stepUntil([&] { return test->request && test->request->getState() == HttpRequest::StateIdle; }, 500));
    h.moveMouse(1010.0f, 10.0f);
    h.step(30);
    walk.measure(test, "network_test_done");
    auto* configuration = walk.open<ContextNetworkConfiguration>(test->nextButton);
    ASSERT_NE(configuration, nullptr);
    walk.measure(configuration, "network_configuration");
    walk.back(options);

    walk.expectAll();
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadablePages, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "Safe800" : "Full1024"; });

// ---- The pages over the title picture, the boards and the card -------------------------------

TEST(ReadablePages, TheMainMenusGreetingAndThePlayersPageStandOutFromTheTitlePictureAndTheBoard) {
    ProgramHarness h(realScreen());
    h.start();
    GameMainMenu* menu = pastTheStartScreens(h);
    ASSERT_NE(menu, nullptr);
    // Three players, the second current: the names in both their colours.
    h.onProgramThread([] {
        ProfileManager& profiles = GLOBAL->profiles;
        profiles.addProfile(u"Anna Lee");
        profiles.addProfile(u"Bob");
        profiles.current = 1;
        profiles.onCurrentProfileChanged();
    });
    // The iris open and the title picture sharp again after the intro story.
    h.moveMouse(1010.0f, 10.0f);
    ASSERT_TRUE(h.stepUntil([&] { return gui::iris(h.stack())->closure == 0.0f; }, 300));
    h.step(300);
    PageWalk walk{h, "1024", {}};
    walk.measure(menu, "main_menu");
    PlayerGreeting* greeting = nullptr;
    for (PlayerGreeting* g : childrenOf<PlayerGreeting>(menu)) greeting = g;
    ASSERT_NE(greeting, nullptr);
    auto* players = walk.open<ContextPlayers>(greeting);
    ASSERT_NE(players, nullptr);
    walk.measure(players, "players");
    // The hint line of the greeting, with the greeting lit and not, and the
    // names (the page as it stands and with the pointer on each button).
    int hintLines = 0, currentName = 0, otherNames = 0;
    for (const auto& [r, least] : walk.readings)
        for (const Reading& t : r->all()) {
            hintLines += t.colour == 0xFFFF80FFu;
            currentName += t.what.rfind("the current player's name", 0) == 0;
            otherNames += t.what.rfind("a player's name", 0) == 0;
        }
    EXPECT_EQ(hintLines, 8);
    EXPECT_EQ(currentName, 4);
    EXPECT_EQ(otherNames, 8);
    walk.expectAll();
}

TEST(ReadablePages, ThePauseMenuStandsOutFromItsPanelOverTheFrozenLevel) {
    ProgramHarness h(levelA1Screen());
    ContextLevelManager* manager = nullptr;
    ASSERT_TRUE(playLevel(h, manager));
    h.pressKey(KEY_ESCAPE);
    OverlayMenu* pause = nullptr;
    ASSERT_TRUE(h.stepUntil(
        [&] { return (pause = zub_cast<OverlayMenu>(manager->gameServer->gameRoot()->contextOverlay)) != nullptr; },
        100));
    h.step(60);
    PageWalk walk{h, "1024", {}};
    walk.measure(pause, "pause_menu");
    // Its title among them.
    bool titled = false;
    for (const Reading& r : walk.readings[0].first->all()) titled = titled || r.what.rfind("title ", 0) == 0;
    EXPECT_TRUE(titled);
    walk.expectAll();
}

TEST(ReadablePages, EveryPartOfTheRecipeStandsOutFromItsCard) {
    ProgramHarness h(realScreen());
    h.start();
    GameMainMenu* menu = pastTheStartScreens(h);
    ASSERT_NE(menu, nullptr);
    // Every level finished with full marks: every part open.
    ContextRecipe* recipe = nullptr;
    h.onProgramThread([&] {
        for (LevelResult& r : GLOBAL->profiles.currentProfile().levels) {
            r.unlocked = 1;
            r.perfect[LevelResult::PERFECT_SCORE] = 1;
        }
        recipe = new ContextRecipe;
        gui::screenStack(menu)->pushContext(recipe);
    });
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == recipe; }, 50));
    h.moveMouse(1010.0f, 10.0f);
    h.step(300);  // the title picture blurred
    PageWalk walk{h, "1024", {}};
    walk.measure(recipe, "recipe_part_1");
    for (int32_t part = 1; part < 32; ++part) {
        h.onProgramThread([&] {
            recipe->part = part;
            recipe->buildPage();
        });
        h.step(2);
        walk.measure(recipe, "recipe_part_" + std::to_string(part + 1), false);
    }
    // The titles of the first and the last part are the stronger red.
    int red = 0;
    for (const auto& [r, least] : walk.readings)
        for (const Reading& t : r->all()) red += t.colour == 0xFFFF0000u;
    EXPECT_EQ(red, 5);  // part 1 as the page stands and with the pointer on each of its three items, part 32
    walk.expectAll();
}

}  // namespace
