// Which of SDL's audio drivers the output lets SDL try.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/SdlAudioDrivers.h"

using platform::AudioDriverPlan;
using platform::planAudioDrivers;
using platform::SoundHardware;

namespace {
// SDL 2.26's drivers on Linux, in its order.
const std::vector<std::string> kDrivers = {"pulseaudio", "alsa", "sndio", "pipewire", "dsp", "disk", "dummy"};
}  // namespace

TEST(SdlAudioDrivers, SdlChoosesWhenTheUserNamedDriversOrThereIsASoundCard) {
    SoundHardware named;
    named.userChoice = true;
    EXPECT_TRUE(planAudioDrivers(kDrivers, named).sdlChooses);
    SoundHardware card;
    card.soundCard = true;
    EXPECT_TRUE(planAudioDrivers(kDrivers, card).sdlChooses);
}

// Without a card, what could only look for one is left out (and what SDL
// takes only by name never comes in); SDL's order stays.
TEST(SdlAudioDrivers, WithoutACardOnlyTheServersAndOssAreTried) {
    const AudioDriverPlan none = planAudioDrivers(kDrivers, SoundHardware{});
    EXPECT_FALSE(none.sdlChooses);
    EXPECT_EQ(none.drivers, "pulseaudio,pipewire,dsp");

    SoundHardware routed;
    routed.alsaRouting = true;
    EXPECT_EQ(planAudioDrivers(kDrivers, routed).drivers, "pulseaudio,alsa,pipewire,dsp");
    SoundHardware sndio;
    sndio.sndioServer = true;
    EXPECT_EQ(planAudioDrivers(kDrivers, sndio).drivers, "pulseaudio,sndio,pipewire,dsp");

    // A build with nothing else to try has nothing to try.
    const AudioDriverPlan nothing = planAudioDrivers({"alsa", "disk", "dummy"}, SoundHardware{});
    EXPECT_FALSE(nothing.sdlChooses);
    EXPECT_TRUE(nothing.drivers.empty());
}
