#pragma once
// One flag of the language page: a picture from the texture "languageFlags"
// that stands for a language. A press on it makes that language the
// engine's defaultLanguage and closes the page; key and pad navigation reach
// it through its anchor (its centre), where the confirm key taps.
#include <cstdint>

#include "gui/CursorTargetSprite.h"

class LanguageFlag : public CursorTargetSprite {
    ZUB_DECLARE_CLASS(LanguageFlag)
public:
    // Skin `skinIndex` of "languageFlags" (fatal when the texture is missing
    // or has no such skin), scaled by the texture resolution factor.
    LanguageFlag(int32_t languageIndex, int32_t skinIndex);
    ~LanguageFlag() override;

    void tick(double time, double dt) override;

    int32_t languageIndex;  // 0 English, 1 German: the row of the text tables
};
