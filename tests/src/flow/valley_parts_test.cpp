// The pieces of the valley map and the screens it opens: the markers along
// the road, the dashed road as the device receives it, the statistics
// bubble, the recipe page with its address, and the ending's schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "Manifest.h"
#include "Painter.h"
#include "ValleyHarness.h"
#include "flow/ContextEnding.h"
#include "flow/ContextRecipe.h"
#include "flow/ValleyDashedLine.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "fx/ParticleGroup.h"
#include "gfx/Quad.h"
#include "gfx/RenderCounters.h"
#include "gfx/Skin.h"
#include "gfx/Texture.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemLink.h"
#include "gui/TextPanel.h"
#include "lang/Language.h"
#include "lang/StringIds.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/KeyCodes.h"
#include "util/Md5.h"

using valleytest::ValleyHarness;

namespace {

std::vector<WString> textsOf(const ZubBase* parent) {
    std::vector<WString> texts;
    for (auto* t : childrenOf<FadingText>(parent)) texts.push_back(t->text);
    return texts;
}

void complete(LevelResult& r, bool perfect) {
    r.apples = r.applesGathered = 10;
    r.computeScore();
    if (!perfect) r.perfect[LevelResult::PERFECT_SCORE] = 0, r.score = 900;
    r.empty = 0;
    r.completed = r.unlocked = 1;
}

}  // namespace

TEST(ValleyMap, MarkersStandOnTheRoadBySeason) {
    ValleyHarness h;
    ContextValley* v = h.openValley();
    const float total = v->path.totalLength;
    EXPECT_NEAR(v->levelPosition(7), 0.21f * total, 0.01f);
    EXPECT_NEAR(v->levelPosition(8), 0.24f * total, 0.01f);
    EXPECT_NEAR(v->levelPosition(15), 0.51125f * total, 0.01f);
    EXPECT_NEAR(v->levelPosition(24), 0.79f * total, 0.01f);
    EXPECT_NEAR(v->levelPosition(31), total, 0.01f);
    V3 end;
    v->path.evaluateL(end, total);
    EXPECT_EQ(v->icon(31)->position, V3(std::trunc(end.x), std::trunc(end.y), 0.0f));
    EXPECT_EQ(end.x, 734.0f);
    EXPECT_NEAR(end.y, 197.0f * 0.8f, 1e-3f);

    EXPECT_TRUE(CursorTarget::isNoAnchor(v->icon(0)->cursorAnchor(1)));
}

TEST(ValleyMap, MarkersShowTheProfileAsItStands) {
    ValleyHarness h;
    ProfileData& p = h.profile();
    complete(p.levels[0], true);
    complete(p.levels[1], false);
    p.levels[1].score = 0;
    p.levels[2].unlocked = 1;
    ContextValley* v = h.openValley();
    h.step();
    Texture* dots = v->icon(0)->pDotSkins;
    const int n = dots->getSkinCount();
    ASSERT_GT(n, 1);
    EXPECT_EQ(ValleyIcon::dotSkinIndex(1000, n), n - 1);
    EXPECT_EQ(ValleyIcon::dotSkinIndex(0, n), 0);
    EXPECT_EQ(ValleyIcon::dotSkinIndex(5000, n), n - 1);
    EXPECT_EQ(v->icon(0)->pSkin, dots->getSkin(n - 1));
    EXPECT_EQ(v->icon(1)->pSkin, dots->getSkin(0));
    EXPECT_EQ(v->icon(2)->pSkin, h.menus.resources.find(u"valleyIcons:0", true));
    EXPECT_FALSE(v->icon(2)->bHidden);
    EXPECT_TRUE(v->icon(3)->bHidden);

    // With effects on, the current level sparkles four times a second.
    auto sparkles = [](ValleyIcon* icon) {
        int n = 0;
        for (ZubBase* c : childrenOf<ParticleGroup>(icon)) n += c ? 1 : 0;
        return n;
    };
    h.step(100);
    EXPECT_EQ(sparkles(v->icon(0)), 0);
    h.services.config->detailLevel = 1;
    h.step(100);
    EXPECT_EQ(sparkles(v->icon(0)), 4);
    EXPECT_EQ(sparkles(v->icon(2)), 0);
}

TEST(ValleyMap, TheDashedRoadReachesTheLastOpenLevelAndStopsUploadingThere) {
    ValleyHarness h;
    h.menus.drawEveryFrame = false;
    ContextValley* v = h.openValley();
    ValleyDashedLine* line = v->pDashedLine;
    // Built for length 0: two pairs, both at the road's start.
    line->build(v->path, 0.0f);
    ASSERT_EQ(line->strip->vb.size(), 4);
    const float width = line->strip->texture->getSkin(0)->height;
    V3 start;
    float direction = 0.0f;
    v->path.evaluateL(start, 0.0f, &direction);
    for (int i = 0; i < 4; ++i) {
        const Vertex& q = line->strip->vb[i];
        EXPECT_NEAR(V3::distance(V3(q.x, q.y, q.z), start), width / 2.0f, 1e-3f) << i;
        EXPECT_EQ(q.diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(q.u, 0.0f);
    }

    // The map opens with levels 0 to 3 unlocked: the road grows over about
    // three seconds, one upload a frame, and ends at level 3's marker.
    for (int i = 0; i <= 3; ++i) h.profile().levels[i].unlocked = 1;
    h.profile().levels[0].completed = 1;
    v->done = 1;
    h.step();
    ASSERT_EQ(h.valley(), nullptr);
    v = h.openValley();
    line = v->pDashedLine;
    int uploads = 0, frames = 0;
    while (!v->pathReach.isDone() && frames < 500) {
        const int before = renderCounters.vbufferWrites;
        h.step();
        uploads += renderCounters.vbufferWrites - before;
        ++frames;
    }
    EXPECT_NEAR(frames, 303, 3);
    EXPECT_EQ(uploads, frames);
    const float reach = v->levelPosition(3);
    EXPECT_EQ(v->pathReach.get(), reach);
    const int pairs = static_cast<int>(reach / 12.0f + 2.0f);
    ASSERT_EQ(line->strip->vb.size(), 2 * pairs);
    V3 end;
    v->path.evaluateL(end, reach);
    const Vertex& a = line->strip->vb[2 * pairs - 2];
    const Vertex& b = line->strip->vb[2 * pairs - 1];
    EXPECT_NEAR(V3::distance(V3((a.x + b.x) / 2, (a.y + b.y) / 2, 0.0f), end), 0.0f, 1e-2f);
    const int settled = renderCounters.vbufferWrites;
    h.step(20);
    EXPECT_EQ(renderCounters.vbufferWrites, settled);

    // Drawn as one strip with the dashed texture, the vertices as uploaded.
    h.menus.draw();
    const auto* device = h.menus.device;
    const platform::TextureHandle dashes = line->strip->texture->getHandle();
    const auto it =
        std::find_if(device->draws.begin(), device->draws.end(), [&](const auto& d) { return d.texture == dashes; });
    ASSERT_NE(it, device->draws.end());
    EXPECT_EQ(it->type, platform::Primitive::TriangleStrip);
    EXPECT_EQ(it->count, 2 * pairs);
    const auto& uploaded = device->buffers[static_cast<size_t>(it->buffer - 1)].vertices;
    ASSERT_EQ(static_cast<int>(uploaded.size()), 2 * pairs);
    EXPECT_EQ(uploaded.back().x, b.x);
}

TEST(ValleyMap, TheBubbleOpensTowardTheMiddleWithItsRowsInside) {
    ValleyHarness h;
    ProfileData& p = h.profile();
    complete(p.levels[0], true);
    complete(p.levels[22], false);
    p.levels[22].apples = p.levels[22].applesGathered = 0;
    p.levels[22].bonusLevel = 1;
    ContextValley* v = h.openValley();
    h.step();
    ValleyStatsBubble* bubble = v->pStatsBubble;
    FontQuad* font = h.menus.font(u"fontSmall");
    const float l = static_cast<float>(font->height);
    const float height = 7.0f * l + 50.0f;

    for (int32_t level : {0, 22}) {
        ValleyIcon* icon = v->icon(level);
        bubble->showFor(icon);
        const float sx = icon->position.x > v->camera->eye.x ? -1.0f : 1.0f;
        const float sy = icon->position.y > v->camera->eye.y ? -1.0f : 1.0f;
        EXPECT_EQ(bubble->scale.x, sx) << level;
        EXPECT_EQ(bubble->scale.y, sy) << level;
        const float left = sx > 0 ? bubble->position.x : bubble->position.x - 250.0f;
        const float bottom = sy > 0 ? bubble->position.y : bubble->position.y - height;
        float previous = 1e9f;
        for (auto* t : childrenOf<FadingText>(bubble)) {
            EXPECT_GT(t->position.x, left) << level;
            EXPECT_LT(t->position.x, left + 250.0f) << level;
            EXPECT_GT(t->position.y - l / 2, bottom) << level;
            EXPECT_LT(t->position.y + l / 2, bottom + height) << level;
            EXPECT_LE(t->position.y, previous) << level;  // read top down
            previous = t->position.y;
        }
    }
    // The level on the right of the view opens to the left; a count of
    // nothing and the lives of a bonus level are faded.
    EXPECT_EQ(bubble->scale.x, -1.0f);
    std::vector<uint32_t> colours;
    for (auto* t : childrenOf<FadingText>(bubble)) colours.push_back(t->color);
    ASSERT_EQ(colours.size(), 14u);
    EXPECT_EQ(colours[2] & 0xFF000000u, 0x40000000u);   // apples 0/0
    EXPECT_EQ(colours[10] & 0xFF000000u, 0x40000000u);  // lives lost on a bonus level
    EXPECT_EQ(colours[0] & 0xFF000000u, 0x80000000u);
    EXPECT_EQ(textsOf(bubble)[3], u"0/0");
}

TEST(ValleyMap, TheBubblesBadgesFitTheirRowsBesideTheValues) {
    ValleyHarness h;
    ProfileData& p = h.profile();
    complete(p.levels[0], true);
    for (uint8_t& record : p.levels[0].newRecord) record = 1;
    ContextValley* v = h.openValley();
    h.step();
    ValleyStatsBubble* bubble = v->pStatsBubble;
    bubble->showFor(v->icon(0));
    const float l = static_cast<float>(h.menus.font(u"fontSmall")->height);
    Skin* perfect = h.menus.resources.findAs<Skin>(u"valleyIcons:2");
    Skin* record = h.menus.resources.findAs<Skin>(u"valleyIcons:3");
    // Where each row's value ends (its right-aligned text).
    std::map<float, float> valueEnds;
    for (const FadingText* t : childrenOf<FadingText>(bubble))
        if (t->flags == 0x18) valueEnds[t->position.y] = t->position.x;
    int badges = 0;
    for (const Renderable* r : childrenOf<Renderable>(bubble)) {
        if (r->pSkin != perfect && r->pSkin != record) continue;
        ++badges;
        // A row is one line high, the values end 2 lines from the right and
        // the two badges stand a line apart: a badge is at most a line wide
        // and high, so it covers neither its neighbour, nor the value, nor
        // the rows above and below.
        EXPECT_LE(r->pSkin->width, l);
        EXPECT_LE(r->pSkin->height, l);
        ASSERT_EQ(valueEnds.count(r->position.y), 1u);
        EXPECT_GE(r->position.x - r->pSkin->width / 2, valueEnds[r->position.y]);
    }
    EXPECT_GE(badges, 8);
}

// Each row shows the perfect badge for its perfect flag and the record
// badge for its new-record flag: two different pictures, each in its own
// place, neither standing in for the other.
TEST(ValleyMap, TheBubbleTellsPerfectRowsAndNewRecordsApartByTheirBadges) {
    ValleyHarness h;
    ProfileData& p = h.profile();
    complete(p.levels[0], false);
    LevelResult& r = p.levels[0];
    for (uint8_t& f : r.perfect) f = 0;
    for (uint8_t& f : r.newRecord) f = 0;
    // Rows top down: score, apples, bonus apples, sweets, secrets, lives, time.
    r.perfect[LevelResult::PERFECT_APPLES] = r.perfect[LevelResult::PERFECT_SWEETS] = 1;
    r.perfect[LevelResult::PERFECT_TIME] = 1;
    r.newRecord[LevelResult::RECORD_POINTS] = r.newRecord[LevelResult::RECORD_BONUS_APPLES] = 1;
    r.newRecord[LevelResult::RECORD_LIVES_LOST] = r.newRecord[LevelResult::RECORD_TIME] = 1;
    const std::vector<std::string> expected = {"record", "perfect", "record",        "perfect",
                                               "",       "record",  "perfect record"};
    ContextValley* v = h.openValley();
    h.step();
    ValleyStatsBubble* bubble = v->pStatsBubble;
    bubble->showFor(v->icon(0));
    Skin* perfect = h.menus.resources.findAs<Skin>(u"valleyIcons:2");
    Skin* record = h.menus.resources.findAs<Skin>(u"valleyIcons:3");
    ASSERT_TRUE(perfect && record);
    // Two pictures: different frames of the icons' texture.
    EXPECT_TRUE(perfect->u0 != record->u0 || perfect->v0 != record->v0);
    // The rows' heights, top down, from their values.
    std::vector<float> rowY;
    float valueEnd = 0.0f;
    for (const FadingText* t : childrenOf<FadingText>(bubble))
        if (t->flags == 0x18) rowY.push_back(t->position.y), valueEnd = t->position.x;
    ASSERT_EQ(rowY.size(), expected.size());
    const float l = static_cast<float>(h.menus.font(u"fontSmall")->height);
    for (size_t k = 0; k < rowY.size(); ++k) {
        std::vector<std::pair<float, std::string>> badges;  // by x
        for (const Renderable* b : childrenOf<Renderable>(bubble)) {
            if (b->position.y != rowY[k] || zub_cast<FadingText>(b)) continue;
            ASSERT_TRUE(b->pSkin == perfect || b->pSkin == record) << k;
            badges.push_back({b->position.x, b->pSkin == perfect ? "perfect" : "record"});
            // The perfect badge a line and a half from the row's end, the record badge half a line.
            EXPECT_FLOAT_EQ(b->position.x, valueEnd + (b->pSkin == perfect ? 0.5f : 1.5f) * l) << k;
        }
        std::sort(badges.begin(), badges.end());
        std::string shown;
        for (const auto& b : badges) shown += (shown.empty() ? "" : " ") + b.second;
        EXPECT_EQ(shown, expected[k]) << "row " << k;
    }
}

// The generated map under the markers: the titles (light green) and the
// ratings (white) in the plain small font stand out from the valleys they
// are written on, up to the winter valley, whose texts have an outline.
TEST(ValleyMap, TitlesAndRatingsReadOnTheMapUnderThem) {
    ValleyHarness h;
    ContextValley* v = h.openValley();
    const content::Entry* e = content::findEntry("valley");
    ASSERT_NE(e, nullptr);
    const contentgen::SheetLayout layout = contentgen::layoutSheet(e->frames);
    const contentgen::Canvas map = contentgen::paintSheet(*e, layout);
    const float l = static_cast<float>(h.menus.font(u"fontSmall")->height);
    auto luminance = [](uint32_t c) {
        auto lin = [](int v) {
            const double x = v / 255.0;
            return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lin((c >> 16) & 0xFF) + 0.7152 * lin((c >> 8) & 0xFF) + 0.0722 * lin(c & 0xFF);
    };
    auto contrast = [&](double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); };
    // The mean luminance of the map under a box of the map's world (the
    // picture is centred and drawn 0.8 high).
    auto under = [&](float x0, float y0, float x1, float y1) {
        double sum = 0.0;
        int n = 0;
        for (float y = y0; y <= y1; y += 1.0f)
            for (float x = x0; x <= x1; x += 1.0f) {
                const int px = static_cast<int>(x + map.width() / 2.0f);
                const int py = static_cast<int>(map.height() / 2.0f - y / ContextValley::ROAD_Y_SCALE);
                sum += luminance(map.get(px, py));
                ++n;
            }
        return sum / n;
    };
    for (int32_t level = 0; level < ValleyIcon::FIRST_WINTER_LEVEL; ++level) {
        const V3 at = v->icon(level)->position;
        const double title = under(at.x - 45.0f, at.y + 10.0f, at.x + 45.0f, at.y + 10.0f + l);
        const double rating = under(at.x - 25.0f, at.y - 10.0f - l / 2, at.x + 25.0f, at.y - 10.0f + l / 2);
        EXPECT_GT(contrast(luminance(ValleyIcon::TITLE_COLOUR), title), 3.0) << level << " at " << at.x << "," << at.y;
        EXPECT_GT(contrast(1.0, rating), 3.0) << level;
    }
}

TEST(ValleyRecipe, ShowsAPartOrWhatUnlocksItAndRebuildsOnAChange) {
    ValleyHarness h;
    ProfileData& p = h.profile();
    complete(p.levels[3], false);
    complete(p.levels[2], true);
    ContextValley* v = h.openValley();
    h.step(450);
    ASSERT_FALSE(v->pButtonRecipe->bHidden);
    h.menus.click(v->pButtonRecipe);
    auto* recipe = dynamic_cast<ContextRecipe*>(h.menus.top());
    ASSERT_NE(recipe, nullptr);

    // Part 1 of a profile whose first level is open: missing, and which
    // level unlocks it.
    const Language& language = gameLanguage();
    std::vector<WString> page = textsOf(recipe->pPage);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0], language.getText(SID_RECIPELOCKED1));
    EXPECT_NE(page[1].find(language.getText(SID_LEVELTITLE0)), WString::npos);

    // The right arrow of the selector: part 2 is missing too, part 3 (a
    // perfect level) shows its text on the card, run by run.
    const V3 right = recipe->pChoice->cursorAnchor(1);
    h.menus.click(right);
    EXPECT_EQ(recipe->part, 1);
    EXPECT_EQ(textsOf(recipe->pPage).size(), 1u);  // level 2 is not open: no hint which level
    h.menus.click(right);
    EXPECT_EQ(recipe->part, 2);
    page = textsOf(recipe->pPage);
    ASSERT_GT(page.size(), 3u);
    bool card = false;
    for (auto* r : childrenOf<Renderable>(recipe->pPage))
        card |= r->pSkin == h.menus.resources.find(u"minimapBackground:0", true);
    EXPECT_TRUE(card);
    // Each run is a piece of the part's text, in the part's colours.
    const WString part(language.getText(SID_RECIPE2));
    std::set<uint32_t> colours;
    for (auto* t : childrenOf<FadingText>(recipe->pPage)) {
        EXPECT_NE(part.find(t->text), WString::npos) << wideToNarrow(t->text);
        colours.insert(t->color);
    }
    EXPECT_TRUE(colours.count(ContextRecipe::TEXT_COLOUR) && colours.count(0xFF0000FFu));

    // Part 4: its level was completed, but not perfectly: still missing,
    // with no card, naming the level to finish.
    h.menus.click(right);
    EXPECT_EQ(recipe->part, 3);
    page = textsOf(recipe->pPage);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0], language.getText(SID_RECIPELOCKED1));
    EXPECT_NE(page[1].find(ProfileData::levelNumberToTitle(3, language)), WString::npos);
    for (auto* r : childrenOf<Renderable>(recipe->pPage))
        EXPECT_NE(r->pSkin, h.menus.resources.find(u"minimapBackground:0", true));
    EXPECT_EQ(h.profile().levels[3].completed, 1);

    // A part of a level not yet open shows only that it is missing.
    recipe->part = 9;
    recipe->buildPage();
    EXPECT_EQ(textsOf(recipe->pPage).size(), 1u);

    // The address carries the perfect levels (level 2: bit 2) and their digest.
    const WString url = recipe->pLink->url;
    EXPECT_EQ(url.substr(url.size() - 8), u"00000004");
    uint8_t digest[16];
    md5Digest("v00000004", 9, digest);
    WString hex;
    for (uint8_t b : digest) hex += formatString(u"%02x", b);
    EXPECT_NE(url.find(u"/tumbro/recipe.php?id=" + hex), WString::npos);

    for (LevelResult& r : h.profile().levels) r.perfect[LevelResult::PERFECT_SCORE] = 1;
    const WString all = ContextValley::buildRecipeUrl();
    EXPECT_EQ(all.substr(all.size() - 8), u"ffffffff");
    EXPECT_EQ(all.size(), url.size());

    // OK closes it and the map is on top again.
    h.menus.pressKey(input_codes::KEY_ESCAPE);
    h.step();
    EXPECT_EQ(h.menus.top(), v);
}

TEST(ValleyEnding, TellsItsStoryOnScheduleAndClosesOnAPress) {
    ValleyHarness h;
    h.menus.drawEveryFrame = false;
    auto* ending = h.menus.push(new ContextEnding);
    h.step();
    EXPECT_EQ(h.services.transitions.back(), std::make_pair(1.0f, 1.0f));

    // Every line appears once, at its time; the closing panel at 84 s.
    std::set<ZubBase*> seen;
    std::vector<std::pair<double, WString>> added;
    int panels = 0;
    std::vector<double> group33;
    double group33Gone = 0.0;
    while (ending->time < 90.0) {
        h.step();
        // New children: those not there a frame ago (a line that has gone
        // may leave its address to a later one).
        std::set<ZubBase*> now;
        for (ZubBase* c : childrenOf(ending)) now.insert(c);
        for (ZubBase* c : childrenOf(ending)) {
            if (seen.count(c)) continue;
            if (auto* t = dynamic_cast<FadingText*>(c)) added.push_back({ending->time, t->text});
            if (dynamic_cast<TextPanel*>(c)) {
                ++panels;
                EXPECT_NEAR(ending->time, 84.0, 0.011);
            }
        }
        seen = now;
        // The 33 s group: when each of its lines shows, and when none is left.
        int showing = 0;
        for (auto* t : childrenOf<FadingText>(ending))
            if (t->isShowing()) ++showing;
        if (ending->time > 33.0 && ending->time < 54.0) {
            if (group33.size() < static_cast<size_t>(showing)) group33.push_back(ending->time);
            if (showing == 0 && group33Gone == 0.0 && !group33.empty()) group33Gone = ending->time;
        }
    }
    ASSERT_EQ(added.size(), 16u);
    EXPECT_EQ(panels, 1);
    EXPECT_NEAR(added[0].first, 5.0, 0.011);
    EXPECT_EQ(added[0].second, gameLanguage().getText(SID_WIN11));
    EXPECT_NEAR(added[6].first, 33.0, 0.011);
    EXPECT_NEAR(added.back().first, 63.0, 0.011);
    ASSERT_EQ(group33.size(), 5u);
    for (size_t i = 0; i < group33.size(); ++i) EXPECT_NEAR(group33[i], 33.0 + 4.0 * static_cast<double>(i), 0.02) << i;
    EXPECT_NEAR(group33Gone, 53.0, 0.02);

    // The jump key closes it; a press in its first second closes it before
    // any text.
    h.menus.pressKey(input_codes::KEY_SPACE);
    EXPECT_NE(h.menus.top(), ending);
    auto* early = h.menus.push(new ContextEnding);
    h.step(50);
    EXPECT_EQ(early->countChildren(), 0);
    h.menus.mouseButton(true);
    h.step();
    h.menus.mouseButton(false);
    h.step();
    EXPECT_NE(h.menus.top(), early);
}
