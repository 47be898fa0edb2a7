#include "menu/ContextSound.h"

#include "gui/GuiEnvironment.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemSlider.h"
#include "gui/MenuItemToggle.h"
#include "lang/StringIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextSound, ContextPage, u"ContextSound")

ContextSound::ContextSound() {
    GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);
    setTitle(gui::text(SID_SOUND));
    const float s = static_cast<float>(itemSpacing);
    addItem(new MenuItemChoice(64.0f, 2.0f * s, 0.0f, &config->sampleRateIndex, 0, 2, SID_ENUMSOUNDQUALITY0,
                               gui::text(SID_SOUNDQUALITY), gui::text(SID_SOUNDQUALITYHINT)));
    addItem(new MenuItemSlider(64.0f, s, 0.0f, &config->effectsVolume, 0, GameConfiguration::kMaxVolume,
                               gui::text(SID_SOUNDVOLUME), u""));
    addItem(new MenuItemSlider(64.0f, 0.0f, 0.0f, &config->musicVolume, 0, GameConfiguration::kMaxVolume,
                               gui::text(SID_MUSICVOLUME), u""));
    addItem(new MenuItemToggle(-39.0f, -s, 0.0f, &config->inGameMusic, gui::text(SID_INGAMEMUSIC),
                               gui::text(SID_INGAMEMUSICHINT)));
    addItem(new MenuItemToggleApply(-39.0f, -2.0f * s, 0.0f, &config->muteAll, gui::text(SID_MUTEAUDIO),
                                    gui::text(SID_MUTEAUDIOHINT)));
    addBackButton();
}

ContextSound::~ContextSound() = default;

void ContextSound::onDeactivate(bool closing) {
    ContextPage::onDeactivate(closing);
    if (closing) gui::applyConfiguration();
}
