#include "menu/ContextAdvancedOptions.h"

#include "gui/GuiEnvironment.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemToggle.h"
#include "gui/MenuItemValue.h"
#include "lang/StringIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextAdvancedOptions, ContextPage, u"ContextAdvancedOptions")

ContextAdvancedOptions::ContextAdvancedOptions() {
    GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);

    const ZubGraphics* graphics = ZubGraphics::active();
    if (graphics) videoModes = graphics->videoModes;
    if (videoModes.empty()) {
        VideoMode current;
        current.width = graphics ? graphics->width : REFERENCE_WIDTH;
        current.height = graphics ? graphics->height : REFERENCE_HEIGHT;
        videoModes.push_back(current);
    }
    for (const VideoMode& mode : videoModes) videoModeNames.push_back(ZubGraphics::describeVideoMode(mode));
    // The last mode of the current size; none: the first.
    if (graphics) {
        for (size_t i = 0; i < videoModes.size(); ++i)
            if (videoModes[i].width == graphics->width && videoModes[i].height == graphics->height)
                videoModeIndex = static_cast<int32_t>(i);
    }

    setTitle(gui::text(SID_ADVANCEDOPTIONS));
    const int32_t s = itemSpacing;
    const int32_t y0 = static_cast<int32_t>(static_cast<double>(s) * 2.5);
    auto row = [y0, s](int n) { return static_cast<float>(y0 - n * s); };
    videoModeItem =
        new MenuItemChoice(0.0f, row(0), 0.0f, &videoModeIndex, 0, static_cast<int32_t>(videoModes.size()) - 1,
                           &videoModeNames, gui::text(SID_VIDEOMODE), gui::text(SID_VIDEOMODEHINT));
    addItem(videoModeItem);
    addItem(new MenuItemValue(0.0f, row(1), 0.0f, &config->frameRate, GameConfiguration::kMinFrameRate,
                              GameConfiguration::kMaxFrameRate, 5, gui::text(SID_MAXIMUMFPS),
                              gui::text(SID_MAXIMUMFPSHINT)));
    // Full screen and letterbox share a row. Items stand mirrored under a
    // right-to-left language, so the columns swap sides there.
    auto toggle = [this](float x, float y, uint8_t* value, int32_t caption, int32_t hint) {
        auto* item = new MenuItemToggle(x, y, 0.0f, value, gui::text(caption), gui::text(hint));
        addItem(item);
        return item;
    };
    fullScreenItem = toggle(-103.0f, row(2), &config->fullScreen, SID_FULLSCREEN, SID_FULLSCREENHINT);
    letterboxItem = toggle(103.0f, row(2), &config->allowLetterbox, SID_LETTERBOX, SID_LETTERBOXHINT);
    toggle(-103.0f, row(3), &config->useVSync, SID_VSYNC, SID_VSYNCHINT);
    toggle(-103.0f, row(4), &config->bilinearFilter, SID_BILINEARFILTER, SID_BILINEARFILTERHINT);
    toggle(-103.0f, row(5), &config->showFrameRate, SID_SHOWFPS, SID_SHOWFPSHINT);
    letterboxItem->bDisabled = config->fullScreen == 0;
    addBackButton();
}

ContextAdvancedOptions::~ContextAdvancedOptions() = default;

void ContextAdvancedOptions::tickContents(double time, double dt) {
    ContextPage::tickContents(time, dt);
    if (videoModeItem->bChanged) {
        videoModeItem->bChanged = 0;
        bVideoModeChosen = true;
    }
    // Letterboxing matters only in full screen; its value is kept meanwhile.
    letterboxItem->bDisabled = *fullScreenItem->value == 0;
}

VideoMode ContextAdvancedOptions::sizeToApply() const {
    VideoMode keep;
    keep.width = keep.height = -1;
    if (!bVideoModeChosen || videoModeIndex < 0 || videoModeIndex >= static_cast<int32_t>(videoModes.size()))
        return keep;
    return videoModes[static_cast<size_t>(videoModeIndex)];
}

void ContextAdvancedOptions::onDeactivate(bool closing) {
    ContextPage::onDeactivate(closing);
    if (!closing) return;
    if (GameConfiguration* config = gui::environment().configuration) {
        const VideoMode size = sizeToApply();
        config->applyToEngine(size.width, size.height);
    }
}
