// The mixer's cost per second of output, as a fraction of real time.
//
// Each iteration renders one second of stereo output in 512-frame blocks, as
// the device asks for it. The "rt_fraction" counter is CPU seconds per second
// of sound: 0.01 means the mixer takes 1 % of one core.
//
// Baseline in the same run: the plainest possible mix, summing 32 ready-made
// float buffers into the output (no resampling, no pan, no slides): the cost
// of only touching the memory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "audio/AudioMixer.h"
#include "audio/OggEncoder.h"
#include "audio/VorbisDecoder.h"

namespace {

constexpr int kBlock = 512;
constexpr double kPi = 3.14159265358979323846;

std::unique_ptr<audio::SampleData> tone(double hz, double seconds, int rate, int channels) {
    auto s = std::make_unique<audio::SampleData>();
    s->channels = channels;
    s->rate = rate;
    const int n = static_cast<int>(seconds * rate);
    s->samples.resize(static_cast<size_t>(n) * channels);
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
            s->samples[static_cast<size_t>(i * channels + c)] =
                0.1f * static_cast<float>(std::sin(2.0 * kPi * hz * (1.0 + 0.01 * c) * i / rate));
    return s;
}

void rtCounter(benchmark::State& state) {
    // Iterations are seconds of sound; as an inverted rate this is CPU
    // seconds per second of sound.
    state.counters["rt_fraction"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// 32 voices: 20 looping mono samples at various pitches and pans, 8 stereo
// samples recorded at half the output rate, 4 voices that keep sliding their
// volume, pan and frequency.
void BM_Mixer32Voices(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    audio::Mixer mixer(rate);
    mixer.setMode(audio::Mixer::Mode::Pull);
    std::vector<std::unique_ptr<audio::SampleData>> samples;
    std::vector<uint32_t> sliding;
    for (int i = 0; i < 32; ++i) {
        const bool stereo = i >= 20 && i < 28;
        samples.push_back(tone(220.0 + 37.0 * i, 1.3, stereo ? 22050 : 44100, stereo ? 2 : 1));
        audio::VoiceStart v;
        v.sample = samples.back().get();
        v.loop = true;
        v.frequency = 0.5f + 0.05f * static_cast<float>(i);
        v.pan = -1.0f + 2.0f * static_cast<float>(i) / 31.0f;
        v.volume = 0.8f;
        const uint32_t h = mixer.claim(v, nullptr);
        if (i >= 28) sliding.push_back(h);
    }
    std::vector<float> out(2 * kBlock);
    int round = 0;
    for (auto _ : state) {
        for (uint32_t h : sliding) {
            mixer.setVolume(h, (round & 1) ? 0.9f : 0.3f, 0.25);
            mixer.setPan(h, (round & 1) ? -0.8f : 0.8f, 0.25);
            mixer.setFrequency(h, (round & 1) ? 1.5f : 0.75f, 0.25);
        }
        ++round;
        for (int done = 0; done < rate; done += kBlock) {
            mixer.render(out.data(), kBlock);
            benchmark::DoNotOptimize(out.data());
        }
        benchmark::ClobberMemory();
    }
    if (mixer.playingVoices() != 32) state.SkipWithError("voices ended");
    rtCounter(state);
}
BENCHMARK(BM_Mixer32Voices)->Arg(44100)->Arg(22050)->Unit(benchmark::kMillisecond);

void BM_Baseline_Sum32Buffers(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    std::vector<std::vector<float>> buffers(32, std::vector<float>(2 * static_cast<size_t>(rate)));
    for (size_t b = 0; b < buffers.size(); ++b)
        for (size_t i = 0; i < buffers[b].size(); ++i) buffers[b][i] = 0.001f * static_cast<float>((i + b) % 100);
    std::vector<float> out(2 * kBlock);
    for (auto _ : state) {
        for (int done = 0; done + kBlock <= rate; done += kBlock) {
            std::fill(out.begin(), out.end(), 0.0f);
            for (const auto& buffer : buffers) {
                const float* in = buffer.data() + 2 * static_cast<size_t>(done);
                for (int k = 0; k < 2 * kBlock; ++k) out[static_cast<size_t>(k)] += in[k];
            }
            benchmark::DoNotOptimize(out.data());
        }
        benchmark::ClobberMemory();
    }
    rtCounter(state);
}
BENCHMARK(BM_Baseline_Sum32Buffers)->Arg(44100)->Unit(benchmark::kMillisecond);

// One music stream: a stereo Ogg Vorbis file decoded while it plays.
void BM_MusicStream(benchmark::State& state) {
    const int rate = 44100;
    auto music = tone(330.0, 4.0, rate, 2);
    std::vector<uint8_t> bytes;
    audio::encodeOggVorbis(music->samples.data(), music->frames(), 2, rate, 0.4f, bytes);
    struct Source final : audio::StreamSource {
        audio::VorbisStream decoder;
        int channels() const override { return decoder.channels(); }
        int rate() const override { return decoder.rate(); }
        int read(float* out, int frames) override { return decoder.read(out, frames); }
        bool rewind() override { return decoder.rewind(); }
    } source;
    std::string error;
    if (!source.decoder.open(bytes.data(), bytes.size(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    audio::StreamCursor cursor;
    audio::Mixer mixer(rate);
    mixer.setMode(audio::Mixer::Mode::Pull);
    audio::VoiceStart v;
    v.stream = &source;
    v.cursor = &cursor;
    v.loop = true;
    mixer.claim(v, nullptr, true);
    std::vector<float> out(2 * kBlock);
    for (auto _ : state) {
        for (int done = 0; done < rate; done += kBlock) {
            mixer.render(out.data(), kBlock);
            benchmark::DoNotOptimize(out.data());
        }
    }
    rtCounter(state);
}
BENCHMARK(BM_MusicStream)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
