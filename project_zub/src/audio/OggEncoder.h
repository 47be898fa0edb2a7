#pragma once
// Ogg Vorbis encoding, for the sounds that the content generator and the
// tests synthesise. Not used by the running game.
#include <cstdint>
#include <string>
#include <vector>

namespace audio {

// Encodes interleaved float frames (1 or 2 channels, values within [-1, 1])
// as an Ogg Vorbis file at the given variable-bit-rate quality (-0.1 to 1.0).
// The same input always gives the same bytes. False with a reason when the
// encoder refuses the parameters.
bool encodeOggVorbis(const float* samples, int64_t frames, int channels, int rate, float quality,
                     std::vector<uint8_t>& out, std::string* error = nullptr);

}  // namespace audio
