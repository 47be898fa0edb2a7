#pragma once
// Synthesised placeholder sounds: short tones, glides, noises, chords and
// loops that a listener can tell apart, and small looping songs for the
// music. Loops join without a click (the end runs into the start).
#include <cstdint>
#include <vector>

#include "Manifest.h"

namespace contentgen {

struct Audio {
    std::vector<float> samples;  // interleaved, within [-1, 1]
    int channels = 1;
    int rate = 22050;
    int64_t frames() const { return static_cast<int64_t>(samples.size()) / channels; }
};

inline constexpr int kSampleRate = 22050;  // sound samples, mono
inline constexpr int kMusicRate = 44100;   // music, stereo

Audio synthesize(const content::Entry& entry);

}  // namespace contentgen
