#include "Synth.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"

namespace contentgen {

using content::Voice;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

double semitone(double f, double n) { return f * std::pow(2.0, n / 12.0); }

// A short attack, then the given envelope.
double attack(double t, double seconds = 0.004) { return t < seconds ? t / seconds : 1.0; }

class OnePole {
public:
    OnePole(double cutoff, int rate) : a(1.0 - std::exp(-kTwoPi * cutoff / rate)) {}
    double low(double x) { return y += a * (x - y); }
    double high(double x) { return x - low(x); }

private:
    double a;
    double y = 0.0;
};

struct Noise {
    Lcg rng;
    explicit Noise(uint32_t seed) : rng(seed) {}
    double operator()() { return rng.unit() * 2.0 - 1.0; }
};

void normalise(std::vector<float>& s, double peak) {
    float m = 0.0f;
    for (float v : s) m = std::max(m, std::fabs(v));
    if (m <= 0.0f) return;
    const float g = static_cast<float>(peak / m);
    for (float& v : s) v *= g;
}

// Makes n frames loop without a click: the signal was rendered n + fade
// frames long; its extra tail is crossfaded into its start.
void closeLoop(std::vector<float>& s, int channels, int64_t n, int64_t fade) {
    for (int64_t i = 0; i < fade; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(fade);
        const double in = std::sqrt(t), out = std::sqrt(1.0 - t);
        for (int c = 0; c < channels; ++c) {
            float& head = s[static_cast<size_t>(i * channels + c)];
            const float tail = s[static_cast<size_t>((n + i) * channels + c)];
            head = static_cast<float>(head * in + tail * out);
        }
    }
    s.resize(static_cast<size_t>(n * channels));
}

// A plucked, slightly bright note added at `start` (seconds).
void addNote(std::vector<float>& s, int rate, double start, double f, double length, double gain,
             double brightness = 0.3) {
    const int64_t i0 = static_cast<int64_t>(start * rate);
    const int64_t n = static_cast<int64_t>(length * rate);
    for (int64_t i = 0; i < n && i0 + i < static_cast<int64_t>(s.size()); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double env = attack(t, 0.006) * std::exp(-4.0 * t / length);
        const double v = std::sin(kTwoPi * f * t) + brightness * std::sin(kTwoPi * 2 * f * t) +
                         brightness * 0.5 * std::sin(kTwoPi * 3 * f * t);
        s[static_cast<size_t>(i0 + i)] += static_cast<float>(gain * env * v);
    }
}

std::vector<float> render(const content::Entry& e, int rate, bool loop, int64_t& loopFrames, int64_t& fade) {
    const content::SoundShape& p = e.shape;
    const double T = p.seconds;
    loopFrames = static_cast<int64_t>(std::llround(T * rate));
    fade = loop ? std::min<int64_t>(loopFrames / 4, rate / 10) : 0;
    const int64_t total = loopFrames + fade;
    std::vector<float> s(static_cast<size_t>(total), 0.0f);
    Noise noise(hashOf(e.name));
    // One-shot sounds fade out over their length; loops keep their level.
    auto shapeEnv = [&](double t) { return loop ? 1.0 : attack(t) * std::max(0.0, 1.0 - t / T); };

    switch (p.voice) {
        case Voice::Silence:
            break;
        case Voice::Tone:
            for (int64_t i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / rate;
                const double env = attack(t, 0.002) * std::exp(-5.0 * t / T);
                const double trem = p.f2 >= 4.0 ? 1.0 + 0.3 * std::sin(kTwoPi * 6.0 * t) : 1.0;
                const double v =
                    std::sin(kTwoPi * p.f1 * t) + 0.45 * std::exp(-8.0 * t / T) * std::sin(kTwoPi * p.f1 * p.f2 * t);
                s[static_cast<size_t>(i)] = static_cast<float>(env * trem * v);
            }
            break;
        case Voice::Sweep: {
            double phase = 0.0;
            for (int64_t i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / rate;
                const double f = p.f1 * std::pow(p.f2 / p.f1, std::min(1.0, t / T));
                phase += kTwoPi * f / rate;
                const double env = attack(t) * std::pow(std::max(0.0, 1.0 - t / T), 1.2);
                s[static_cast<size_t>(i)] = static_cast<float>(env * (std::sin(phase) + 0.25 * std::sin(2 * phase)));
            }
            break;
        }
        case Voice::Noise: {
            OnePole lp1(p.f1, rate), lp2(p.f1, rate), hp(p.f2, rate);
            for (int64_t i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / rate;
                const double env = attack(t, 0.002) * std::exp(-6.0 * t / T);
                s[static_cast<size_t>(i)] = static_cast<float>(env * hp.high(lp2.low(lp1.low(noise()))));
            }
            break;
        }
        case Voice::Thud: {
            double phase = 0.0;
            OnePole lp(p.f1 * 6, rate);
            for (int64_t i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / rate;
                const double f = p.f1 * (0.6 + 1.9 * std::exp(-12.0 * t / T));
                phase += kTwoPi * f / rate;
                const double body = std::exp(-5.0 * t / T) * std::sin(phase);
                const double hit = std::exp(-30.0 * t / T) * lp.low(noise()) * 2.0;
                s[static_cast<size_t>(i)] = static_cast<float>(attack(t, 0.002) * (body + hit));
            }
            break;
        }
        case Voice::Chord: {
            const double third = p.f2 > 0 ? 4 : 3;
            for (double n : {0.0, third, 7.0, 12.0}) addNote(s, rate, 0.0, semitone(p.f1, n), T, 0.3, 0.15);
            break;
        }
        case Voice::Arpeggio: {
            const bool up = p.f2 > 0;
            const double steps[4] = {0, up ? 4.0 : 3.0, 7, 12};
            for (int k = 0; k < 4; ++k) {
                const double n = up ? steps[k] : steps[3 - k];
                const double start = k * T / 6;
                addNote(s, rate, start, semitone(p.f1, n), T - start, k == 3 ? 0.45 : 0.35, 0.35);
            }
            break;
        }
        case Voice::Buzz: {
            double phase = 0.0;
            const int harmonics = std::max(1, static_cast<int>(rate / 2.5 / p.f1));
            // Vibrato cycles fit the loop exactly.
            const double vib = loop ? std::max(1.0, std::round(p.f2 * T)) / T : p.f2;
            for (int64_t i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / rate;
                const double f = p.f1 * (1.0 + 0.04 * std::sin(kTwoPi * vib * t));
                phase += kTwoPi * f / rate;
                double v = 0.0;
                for (int h = 1; h <= harmonics && h <= 24; ++h) v += std::sin(h * phase) / h;
                s[static_cast<size_t>(i)] = static_cast<float>(shapeEnv(t) * v);
            }
            break;
        }
        case Voice::Chirps: {
            Lcg rng(hashOf(e.name) ^ 0x55u);
            double at = 0.05;
            while (at < T) {
                const double base = p.f1 * rng.range(0.8, 1.25);
                const int repeats = 2 + static_cast<int>(rng.next() % 3);
                for (int r = 0; r < repeats; ++r) {
                    double phase = 0.0;
                    const double start = at + r * 0.09, len = 0.06;
                    for (int64_t i = 0; i < static_cast<int64_t>(len * rate); ++i) {
                        const int64_t j = static_cast<int64_t>(start * rate) + i;
                        if (j >= total) break;
                        const double t = static_cast<double>(i) / rate;
                        phase += kTwoPi * base * (1.0 + 0.6 * t / len) / rate;
                        s[static_cast<size_t>(j)] +=
                            static_cast<float>(std::sin(kPi * t / len) * std::sin(phase) * 0.6);
                    }
                }
                at += repeats * 0.09 + rng.range(0.25, 0.8);
            }
            break;
        }
        case Voice::Rumble: {
            OnePole lp1(p.f1, rate), lp2(p.f1, rate);
            const double swells = std::max(1.0, std::round(T / 1.0));
            for (int64_t i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / rate;
                const double swell = 0.75 + 0.25 * std::sin(kTwoPi * swells * t / T);
                s[static_cast<size_t>(i)] = static_cast<float>(shapeEnv(t) * swell * lp2.low(lp1.low(noise())));
            }
            break;
        }
        case Voice::Click:
            for (int64_t i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / rate;
                s[static_cast<size_t>(i)] =
                    static_cast<float>(std::exp(-t / 0.004) * (std::sin(kTwoPi * p.f1 * t) + 0.3 * noise()));
            }
            break;
        case Voice::Gear: {
            const int clicks = std::max(1, static_cast<int>(p.f1 * T));
            for (int c = 0; c < clicks; ++c) {
                const double start = (c + 0.2) / p.f1;
                OnePole hp(800, rate);
                for (int64_t i = 0; i < static_cast<int64_t>(0.03 * rate); ++i) {
                    const int64_t j = static_cast<int64_t>(start * rate) + i;
                    if (j >= total) break;
                    const double t = static_cast<double>(i) / rate;
                    const double v =
                        std::exp(-t / 0.006) * (hp.high(noise()) + 0.6 * std::sin(kTwoPi * (c % 2 ? 900 : 700) * t));
                    s[static_cast<size_t>(j)] += static_cast<float>(v * (1.0 - 0.4 * start / T));
                }
            }
            break;
        }
        case Voice::Squeak: {
            const double every = 0.3;
            const int count = std::max(1, static_cast<int>(T / every));
            for (int c = 0; c < count; ++c) {
                double phase = 0.0;
                const double start = c * every + 0.02, len = 0.09;
                for (int64_t i = 0; i < static_cast<int64_t>(len * rate); ++i) {
                    const int64_t j = static_cast<int64_t>(start * rate) + i;
                    if (j >= total) break;
                    const double t = static_cast<double>(i) / rate;
                    phase += kTwoPi * p.f1 * (1.0 + 0.5 * t / len) / rate;
                    s[static_cast<size_t>(j)] += static_cast<float>(std::sin(kPi * t / len) * std::sin(phase));
                }
            }
            break;
        }
        case Voice::Song:
            break;  // rendered by song()
    }
    return s;
}

// A looping song: four chords a bar (I V vi IV, or i VI III VII in a minor
// key), a bass, a soft pad, an eighth-note melody and a light beat. Every
// note that rings past the end is folded into the start, so the loop is
// seamless.
Audio song(const content::Entry& e) {
    Audio a;
    a.channels = 2;
    a.rate = kMusicRate;
    const int rate = a.rate;
    const double tempo = e.shape.f1;
    const bool minor = e.shape.f2 < 0;
    const double root = std::fabs(e.shape.f2);
    const double beat = 60.0 / tempo;
    const int bars = std::max(1, static_cast<int>(std::lround(e.shape.seconds / (4 * beat))));
    const int64_t n = static_cast<int64_t>(std::llround(bars * 4 * beat * rate));
    std::vector<double> left(static_cast<size_t>(n), 0.0), right(static_cast<size_t>(n), 0.0);
    auto put = [&](int64_t i, double v, double pan) {  // pan -1 left .. 1 right
        const size_t k = static_cast<size_t>(((i % n) + n) % n);
        left[k] += v * (1.0 - 0.5 * (pan + 1.0) * 0.6);
        right[k] += v * (1.0 - 0.5 * (1.0 - pan) * 0.6);
    };
    auto note = [&](double start, double f, double length, double gain, double pan, double bright) {
        const int64_t i0 = static_cast<int64_t>(start * rate);
        const int64_t len = static_cast<int64_t>(length * rate);
        for (int64_t i = 0; i < len; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double env = attack(t, 0.008) * std::exp(-3.0 * t / length);
            const double v = std::sin(kTwoPi * f * t) + bright * std::sin(kTwoPi * 2 * f * t);
            put(i0 + i, gain * env * v, pan);
        }
    };
    const int majorChords[4] = {0, 7, 9, 5}, minorChords[4] = {0, 8, 3, 10};
    const int* prog = minor ? minorChords : majorChords;
    const int scaleMajor[5] = {0, 2, 4, 7, 9}, scaleMinor[5] = {0, 3, 5, 7, 10};
    const int* scale = minor ? scaleMinor : scaleMajor;
    Lcg rng(hashOf(e.name));
    Noise hiss(hashOf(e.name) ^ 0xABCDu);
    for (int bar = 0; bar < bars; ++bar) {
        const int c = prog[bar % 4];
        const bool chordMinor = minor ? (bar % 4 == 0) : (bar % 4 == 2);
        const double t0 = bar * 4 * beat;
        const double chordRoot = semitone(root, c);
        // Bass on beats 1 and 3, pad for the bar.
        note(t0, chordRoot / 2, 2 * beat, 0.35, 0.0, 0.2);
        note(t0 + 2 * beat, chordRoot / 2, 2 * beat, 0.3, 0.0, 0.2);
        for (double step : {0.0, chordMinor ? 3.0 : 4.0, 7.0})
            note(t0, semitone(chordRoot, step), 4 * beat, 0.08, -0.3, 0.0);
        // Melody: eighth notes from the scale, resting now and then.
        for (int k = 0; k < 8; ++k) {
            if (rng.unit() < 0.25) continue;
            const int degree = static_cast<int>(rng.next() % 5);
            const double f = semitone(root * 2, scale[degree] + (rng.unit() < 0.2 ? 12 : 0));
            note(t0 + k * beat / 2, f, beat * 0.9, 0.18, 0.4, 0.35);
        }
        // Beat: a kick on 1 and 3, a tick on every eighth.
        for (int k = 0; k < 8; ++k) {
            const double start = t0 + k * beat / 2;
            const int64_t i0 = static_cast<int64_t>(start * rate);
            if (k % 4 == 0)
                for (int64_t i = 0; i < static_cast<int64_t>(0.15 * rate); ++i) {
                    const double t = static_cast<double>(i) / rate;
                    put(i0 + i, 0.5 * std::exp(-t / 0.04) * std::sin(kTwoPi * (50 + 90 * std::exp(-t / 0.02)) * t),
                        0.0);
                }
            OnePole hp(5000, rate);
            for (int64_t i = 0; i < static_cast<int64_t>(0.03 * rate); ++i) {
                const double t = static_cast<double>(i) / rate;
                put(i0 + i, 0.08 * std::exp(-t / 0.008) * hp.high(hiss()), -0.6);
            }
        }
    }
    a.samples.resize(static_cast<size_t>(2 * n));
    for (int64_t i = 0; i < n; ++i) {
        a.samples[static_cast<size_t>(2 * i)] = static_cast<float>(left[static_cast<size_t>(i)]);
        a.samples[static_cast<size_t>(2 * i + 1)] = static_cast<float>(right[static_cast<size_t>(i)]);
    }
    normalise(a.samples, 0.6);
    return a;
}

}  // namespace

Audio synthesize(const content::Entry& e) {
    if (e.shape.voice == Voice::Song) return song(e);
    Audio a;
    a.channels = e.kind == content::Kind::Music ? 2 : 1;
    a.rate = e.kind == content::Kind::Music ? kMusicRate : kSampleRate;
    const bool loop = e.loop != 0 || e.kind == content::Kind::Music;
    int64_t n = 0, fade = 0;
    std::vector<float> mono = render(e, a.rate, loop, n, fade);
    if (loop) closeLoop(mono, 1, n, fade);
    else mono.resize(static_cast<size_t>(n));
    normalise(mono, 0.7);
    if (a.channels == 1) {
        a.samples = std::move(mono);
    } else {
        a.samples.resize(mono.size() * 2);
        for (size_t i = 0; i < mono.size(); ++i) a.samples[2 * i] = a.samples[2 * i + 1] = mono[i];
    }
    return a;
}

}  // namespace contentgen
