#include "menu/ContextCompanyLogo.h"

#include "menu/MenuClassIds.h"
#include "object/ResourceLookup.h"
#include "text/FadingSprite.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(ContextCompanyLogo, Context, menu_ids::ContextCompanyLogo)

ContextCompanyLogo::ContextCompanyLogo() {
    timeLimit = 3.5;
    bDeleteWhenDone = 1;
    bCloseOnFire = 1;
    bShowPointer = 0;
    clearColor = 0xFF000000u;

    logo = new FadingSprite(findResource<Skin>(u"velmorastudios:0"), V3());
    logo->scaleMode = Renderable::SCALE_ASPECT;
    logo->delay = 0.0;
    logo->lifetime = 2.5;
    logo->fadeIn = 0.25;
    logo->fadeOut = 0.5;
    logo->onTransformChanged();
    addChild(logo);
}

ContextCompanyLogo::~ContextCompanyLogo() = default;
