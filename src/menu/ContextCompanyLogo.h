#pragma once
// The first screen after loading: the company's logo fading in and out over
// black. It ends by itself after 3.5 s (the logo shows for the first 2.5 s,
// the last second stays black), or at once on Escape, the fire binding or
// any pointer press; the stack then deletes it. No pointer is drawn over it.
#include "gfx/Context.h"

class FadingSprite;

class ContextCompanyLogo : public Context {
    ZUB_DECLARE_CLASS(ContextCompanyLogo)
public:
    // Fatal when "velmorastudios:0" is missing.
    ContextCompanyLogo();
    ~ContextCompanyLogo() override;

    FadingSprite* logo = nullptr;  // child; removes itself when its life is over
};
