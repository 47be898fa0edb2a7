#include "menu/LanguageFlag.h"

#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "input/ZubInput.h"
#include "menu/ContextLanguageSelect.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(LanguageFlag, CursorTargetSprite, u"LanguageFlag")

LanguageFlag::LanguageFlag(int32_t language, int32_t skinIndex) : languageIndex(language) {
    bPickable = 1;
    bCursorAnchor = 1;
    auto* tex = findResource<Texture>(u"languageFlags");
    ZUB_ASSERT(skinIndex >= 0 && skinIndex < tex->getSkinCount());
    setSkin(tex->getSkin(skinIndex));
    // Flags keep their size in texture pixels whatever the resolution of the
    // loaded textures.
    const float factor = static_cast<float>(tex->hq2x);
    setScaleV(V3(factor, factor, 1.0f));
}

LanguageFlag::~LanguageFlag() = default;

void LanguageFlag::tick(double, double) {
    // Acts on the press itself and shows no hover state; key navigation's
    // confirm tap is a press at the anchor.
    const Context* c = Context::environment.current;
    ZubInput* in = ZubInput::active();
    if (!c || !in || !in->wasAnyPointerPressed()) return;
    if (!isPointInside(c->mousePosition.x, c->mousePosition.y, c->mousePosition.z)) return;
    if (auto* page = dynamic_cast<ContextLanguageSelect*>(parent)) page->choose(languageIndex);
}
