#pragma once
// The base of the in-game overlays (pause menu, hint panel, level map,
// statistics, tutorial): a menu that is not pushed on the screen stack but
// held by the root object, which ticks only it (and the player list) while
// it is open, so that the level stands still behind it. The base decides
// when the overlay closes: which inputs dismiss it, a guard time that
// swallows inputs made as it opens, and the close request (`bFinished`) the
// root object acts on in its next tick.
//
// Dismissing inputs, latched in any frame, tested in this order: Escape
// going down; dismissCode1 or dismissCode2 going down (when nonzero); any
// pointer going down (with bDismissOnPointerPress); the fire binding going
// down once the guard time has passed. The decision is taken only in frames
// in which the active network role made a network step: past the guard time
// a request or the done flag sets bFinished; within it both are cleared.
//
// The overlay classes are made through a table of makers, one per kind,
// which each overlay class fills in; a kind without a maker opens nothing.
#include <cstdint>

#include "gui/ContextMenu.h"
#include "util/WString.h"

class Overlay : public ContextMenu {
    ZUB_DECLARE_CLASS(Overlay)
public:
    enum Kind : int { PAUSE_MENU = 0, TUTORIAL, STATISTICS, MINIMAP, KIND_COUNT };
    using Maker = Overlay* (*)();
    // Filled by the overlay classes (a static registration each).
    static Maker makers[KIND_COUNT];
    // A new overlay of the kind, or null when no class makes that kind.
    static Overlay* make(Kind kind);

    Overlay();
    // The presses the overlay took become nobody's (ZubInput::disownPointers),
    // so that the release of the press that closed it clicks nothing beneath.
    ~Overlay() override;

    // The menu (navigation, the items, the state timer), then the dismiss
    // rules above. A press that none of the items took is the overlay's
    // (ZubInput's pointer owner), so that it reaches nothing of the level.
    void tickContents(double time, double dt) override;
    // Fills the overlay on every peer before it opens (its construct call);
    // the base has nothing to fill.
    virtual void construct() {}

    uint8_t bFinished = 0;
    double dismissGuardTime = 0.1;
    int32_t dismissCode1 = 0;
    int32_t dismissCode2 = 0;
    uint8_t bDismissOnPointerPress = 0;
    uint8_t bDismissRequested = 0;

    // How to go on, for a footer: "Tap to continue" under touch input, else
    // "Press %s to continue" with the localised name of the key.
    static WString continuePrompt(int keyCode);

protected:
    // Dismissed by both codes of a control binding (a GameConfiguration
    // control index); left as it is while no game services are installed.
    void dismissOnBinding(int control);
    // Draws the level behind the overlay, as it stood when the overlay
    // opened: the game controller of the active role's root. The overlays
    // that show the level call it before their own items; the overlay's
    // camera is in force again afterwards.
    void renderFrozenLevel();
};
