// The hint panels of the shipped levels: the hints that teach a key to use
// on a thing (a3's sign, b3's lever and button) open as hint panels, not as
// speech bubbles, when the level's key script brings the pig to them. Each
// level file is the one the build ships, played through the level manager
// from the content folder; the panel carries the heading "Help" and the
// hint's text with the key's name, the level stands still behind it until
// the script's jump key closes it, and the script still completes the
// level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayHint.h"
#include "lang/Language.h"
#include "levelbuild_test_support.h"
#include "objects/hints/TriggerHint.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"
#include "text/FadingText.h"

using namespace levelbuildtest;

namespace {

struct ShippedHint {
    const char* level;
    const char16_t* label;   // the hint trigger's label in the description
    const char16_t* textId;  // what it teaches
};

// One panel as the played level showed it.
struct PanelShown {
    int opened = 0;                         // the frame it opened in
    int closed = 0;                         // the first frame without it (0: it never closed)
    std::vector<WString> texts;             // its texts, top to bottom
    bool levelStoodStill = true;            // no play frame, the pig where she was
    std::vector<WString> hintsShownWithIt;  // labels of the hints shown in its frame
};

// A hint trigger of ShippedHint as the run left it.
struct HintState {
    bool found = false;
    bool speechBubble = true;
    bool shown = false;
};

struct ShippedRun {
    std::vector<PanelShown> panels;
    int32_t outcome = 0;
    std::vector<HintState> hints;  // of ShippedHint, by index
};

// Plays the build's level file of `level` with the level's key script,
// watching the root's overlay and the hint triggers named by `hints`.
ShippedRun playShipped(const std::string& level, const std::vector<ShippedHint>& hints) {
    ShippedRun run;
    levelbuild::LevelEnvironment environment;
    // The description gives the triggers' UIDs (the level file keeps them).
    levelbuild::BuiltLevel built;
    std::string error;
    EXPECT_TRUE(levelbuild::buildLevel(readBytes(kSources + level + ".txt"), level + ".txt", built, error)) << error;
    levelbuild::KeyScript script;
    EXPECT_TRUE(script.parse(readBytes(kSources + level + ".keys"), level + ".keys", error)) << error;

    environment.files.baseFolder = kContent;
    GameController& gc = environment.play(levelbuild::levelNumberOf(level));
    GameServer& server = environment.server();
    std::vector<TriggerHint*> triggers;
    std::vector<bool> shown;
    for (const ShippedHint& h : hints) {
        auto it = built.labels.find(std::u16string_view(h.label));
        triggers.push_back(it == built.labels.end() ? nullptr
                                                    : zub_cast<TriggerHint>(server.findObjectOrNull(it->second)));
        shown.push_back(false);
    }

    PanelShown* open = nullptr;
    int32_t playFrames = 0;
    V3 heroAt;
    while (environment.frames < script.length() && !environment.manager->done) {
        environment.frame(script.keysAt(environment.frames));
        auto* panel = zub_cast<OverlayHint>(server.gameRoot()->contextOverlay);
        if (panel && !open) {
            run.panels.emplace_back();
            open = &run.panels.back();
            open->opened = environment.frames;
            for (const FadingText* t : childrenOf<FadingText>(*panel)) open->texts.push_back(t->text);
            playFrames = gc.playFrameCount;
            heroAt = gc.heroOrNull() ? gc.heroOrNull()->position : V3();
        } else if (panel && open) {
            if (gc.playFrameCount != playFrames || !gc.heroOrNull() || gc.heroOrNull()->position != heroAt)
                open->levelStoodStill = false;
        } else if (!panel && open) {
            open->closed = environment.frames;
            open = nullptr;
        }
        for (size_t i = 0; i < hints.size(); ++i) {
            const bool now = triggers[i] && triggers[i]->wasShown();
            if (now && !shown[i] && !run.panels.empty() && run.panels.back().opened == environment.frames)
                run.panels.back().hintsShownWithIt.push_back(hints[i].label);
            shown[i] = now;
        }
    }
    run.outcome = environment.manager->outcome();
    for (TriggerHint* t : triggers)
        run.hints.push_back(t ? HintState{true, t->bSpeechBubble, t->wasShown()} : HintState{});
    return run;
}

// The panel's text lines without the heading and the footer, joined.
WString bodyOf(const PanelShown& p) {
    WString body;
    for (size_t i = 1; i + 1 < p.texts.size(); ++i) body += p.texts[i];
    return body;
}

// The hint's text up to its first key placeholder ("#UP#").
WString textBeforeTheKey(const char16_t* textId) {
    const WString text = gameLanguage().getTextByString(textId, true);
    return text.substr(0, text.find(u'#'));
}

void expectPanelFor(const ShippedRun& run, size_t index, const ShippedHint& hint) {
    SCOPED_TRACE(wideToNarrow(hint.label));
    ASSERT_LT(index, run.panels.size()) << "the hint never opened a panel";
    const PanelShown& p = run.panels[index];
    // Opened by this hint, which is no speech bubble, with the pig at it.
    ASSERT_EQ(p.hintsShownWithIt.size(), 1u);
    EXPECT_EQ(p.hintsShownWithIt[0], hint.label);
    // Heading, the text naming the key, the footer.
    ASSERT_GE(p.texts.size(), 4u);
    EXPECT_EQ(p.texts.front(), gameLanguage().getText(SID_HELPTITLE));
    const WString before = textBeforeTheKey(hint.textId);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(bodyOf(p).substr(0, before.size()), before);
    EXPECT_GT(bodyOf(p).size(), before.size()) << "the key's name follows";
    // The level stood still until the script's jump key closed it.
    EXPECT_TRUE(p.levelStoodStill);
    EXPECT_GT(p.closed, p.opened + 10) << "closed within the panel's guard time";
}

}  // namespace

TEST(ShippedHintPanels, A3sHintAboutSignsOpensAsAPanelAndTheLevelIsStillCompleted) {
    ErrorManager::bTestMode = true;
    const std::vector<ShippedHint> hints = {{"a3", u"hintSign", u"HINTSIGN"}};
    const ShippedRun run = playShipped("a3", hints);
    ASSERT_EQ(run.hints.size(), 1u);
    ASSERT_TRUE(run.hints[0].found);
    EXPECT_FALSE(run.hints[0].speechBubble);
    EXPECT_TRUE(run.hints[0].shown);
    ASSERT_EQ(run.panels.size(), 1u);
    expectPanelFor(run, 0, hints[0]);
    EXPECT_EQ(run.outcome, GameController::OUTCOME_COMPLETE);
}

TEST(ShippedHintPanels, B3sHintsAboutTheLeverAndTheButtonOpenAsPanelsAndTheLevelIsStillCompleted) {
    ErrorManager::bTestMode = true;
    const std::vector<ShippedHint> hints = {{"b3", u"hintLever", u"HINTSWITCH"}, {"b3", u"hintButton", u"HINTBUTTON"}};
    const ShippedRun run = playShipped("b3", hints);
    ASSERT_EQ(run.hints.size(), 2u);
    for (const HintState& h : run.hints) {
        ASSERT_TRUE(h.found);
        EXPECT_FALSE(h.speechBubble);
        EXPECT_TRUE(h.shown);
    }
    // The lever's on the ledge first, then the button across the gorge.
    ASSERT_EQ(run.panels.size(), 2u);
    expectPanelFor(run, 0, hints[0]);
    expectPanelFor(run, 1, hints[1]);
    EXPECT_EQ(run.outcome, GameController::OUTCOME_COMPLETE);
}
