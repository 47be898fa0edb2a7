#pragma once
// The sound options: the output quality, the effects and music volumes, the
// music during levels and a mute switch. Volume and mute changes are heard
// at once (the items push the configuration into the engine); closing the
// page - by Back or Escape - pushes it once more, which stores the quality's
// sample rate as the audio output's rate from the next start on.
#include "gui/ContextPage.h"

class ContextSound : public ContextPage {
    ZUB_DECLARE_CLASS(ContextSound)
public:
    ContextSound();
    ~ContextSound() override;

    void onDeactivate(bool closing) override;
};
