#pragma once
// A placed trigger area that shows a tutorial text, either as a speech
// bubble above a level object (or the hero) or as the hint panel over the
// level. An automatic hint shows once, when the hero first comes near and
// the configuration's hints are switched on; an on-demand hint is offered as
// the hero's action prompt and shows every time she takes it.
//
// Hints can wait for another hint to have been shown (previousHint), wait a
// delay after they are activated (counted down in place, so a second showing
// of an on-demand hint has none left), and put the names of the player's
// bound keys into their text: "#ESC#", "#LEFT#", "#RIGHT#", "#UP#",
// "#DOWN#", "#FIRE#", "#ALTFIRE#" and "#MAP#" become the key's name in the
// highlight colour. Texts are named by their string identifiers; under touch
// input the "IOS_" variant of the text is taken when it exists, and without
// touch input a hint whose text is such a variant counts as shown without
// appearing (so the hints chained after it go on).
#include "objects/triggers/TriggerArea.h"
#include "util/WString.h"

class Language;

class TriggerHint : public TriggerArea {
    ZUB_DECLARE_CLASS(TriggerHint)
public:
    // The prompt it offers (as a switch's).
    static constexpr int PROMPT_PRIORITY = 2;
    // Under touch input the hero must stand this many radii from it.
    static constexpr float TOUCH_REACH = 5.0f;
    // What a speech bubble waits for before its time may run out (the
    // bubble's dismissal modes): nothing, walking, jumping, UP.
    enum WaitKind : int { WAIT_NONE = 0, WAIT_WALK = 1, WAIT_JUMP = 2, WAIT_UP = 3 };

    TriggerHint();
    ~TriggerHint() override;

    // Activation, the delay, then the texts are fetched and shown (nothing
    // while the level is edited, once shown when automatic, or while the
    // previous hint has not been shown).
    void tick(double time, double dt) override;
    // On-demand hints only. Keyboard: while the hero is inside, priority 2
    // at her distance. Touch (the point is the touch in the world): a touch
    // within the radius offers it when the hero stands within five radii,
    // else shows "TOO FAR AWAY".
    bool queryHeroPrompt(V3 point, int* priority, float* distance) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // The text with every key placeholder replaced by the bound key's name,
    // framed in colour switches.
    static WString insertKeyNames(WString text);
    // The wait kind of a text (before its placeholders are replaced) and of
    // its identifier.
    static int waitKindOf(const WString& text, const WString& textId);
    // The red "TOO FAR AWAY" that rises from `at` among the level's
    // foreground effects (touch prompts out of the hero's reach).
    static void showTooFarAway(const V3& at);
    // The language of the engine; English when no engine runs (tools, tests).
    static const Language& language();

    // Whether it has been shown at least once.
    bool wasShown() const { return bShown != 0; }

    WString hintTitleID;
    WString hintTextID;
    Skin* pIconSkin = nullptr;
    bool bSpeechBubble = true;
    bool bAutomatic = true;
    // Who speaks the bubble (none: the hero).
    ZubBaseReference originator{this};
    // The hint that must have been shown first.
    ZubBaseReference previousHint{this};
    V3 hintNudge;
    double hintDelay = 0.0;

    // Waiting out its delay.
    uint8_t bActivated = 0;
    // Shown at least once (hints chained after it read this).
    uint8_t bShown = 0;

private:
    // Shows the texts as its kind says; false when the panel cannot open yet.
    bool show(const WString& title, const WString& text);
};
