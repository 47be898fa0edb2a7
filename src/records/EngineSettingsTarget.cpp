#include "records/EngineSettingsTarget.h"

#include "audio/ZubAudio.h"
#include "engine/Zub.h"
#include "gfx/ZubGraphics.h"
#include "sys/TimeKeeper.h"

void ZubEngineSettings::setFramePeriod(double seconds) {
    if (!ZUB) return;
    ZUB->timer.period = seconds;
    const double origin = ZUB->timeKeeper ? ZUB->timeKeeper->startTime : 0.0;
    const double now = TimeKeeper::getPhysicalTime() - origin;
    ZUB->timer.lastFrameTime = now;
    ZUB->timer.nextFrameTime = now;
}

void ZubEngineSettings::setSampleRate(int32_t frequency) {
    if (ZubAudio* audio = ZubAudio::active()) audio->frequency = frequency;
}

void ZubEngineSettings::setGlobalVolume(int32_t option, int32_t value) { ZubAudio::setConfig(option, value); }

void ZubEngineSettings::changePresentation(int32_t width, int32_t height, bool fullScreen, bool allowLetterbox,
                                           bool bilinearFilter, bool useVSync) {
    if (ZubGraphics* graphics = ZubGraphics::active()) {
        graphics->changePresentationParameters(width, height, fullScreen, allowLetterbox, bilinearFilter, useVSync);
    }
}

void ZubEngineSettings::setDetail(bool on) {
    if (ZubGraphics* graphics = ZubGraphics::active()) {
        graphics->bDetail = on ? 1 : 0;
        graphics->bTextShadow = on ? 1 : 0;
    }
}
