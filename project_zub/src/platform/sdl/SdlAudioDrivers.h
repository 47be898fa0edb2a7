#pragma once
// Which of SDL's audio drivers the output tries. Left to itself, SDL takes
// the first driver that starts, and ALSA starts on any Linux machine: on one
// without a sound card its device detection thread then holds up the end of
// the failed attempt by up to 100 ms, and its library reports the failure
// on stderr. So when nobody chose a driver and the machine shows no sound
// card, the drivers that could only look for a card are left out.
#include <string>
#include <vector>

namespace platform {

// What the machine shows of its sound output.
struct SoundHardware {
    bool userChoice = false;   // SDL_AUDIODRIVER names the drivers to use
    bool soundCard = false;    // the kernel has a sound card (/dev/snd)
    bool alsaRouting = false;  // ALSA is configured beyond the cards (it may play without one)
    bool sndioServer = false;  // a sndio server runs or is named
};

// Reads it from the environment and the file system (no library is loaded).
SoundHardware probeSoundHardware();

struct AudioDriverPlan {
    // SDL's own choice (the user's, or its order of all its drivers).
    bool sdlChooses = true;
    // Otherwise the drivers to try, in SDL's order, comma-separated; empty
    // when there is nothing to try.
    std::string drivers;
};

// SDL's own choice when the user named drivers or there is a sound card.
// Otherwise the available drivers (SDL's names, in its order) without ALSA
// (unless it is configured beyond the cards), without sndio (unless a
// server runs: its library plays through ALSA's cards) and never the disk
// writer or the dummy output, which SDL takes only when named.
AudioDriverPlan planAudioDrivers(const std::vector<std::string>& available, const SoundHardware& hardware);

}  // namespace platform
