#include "audio/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace audio {

namespace {

constexpr uint32_t kGenMask = 0xFFFFFFu;

// Each mixer numbers its handles from its own range, so that a handle kept
// from an earlier mixer is unlikely to name a voice of a later one.
std::atomic<uint32_t> nextGenBase{0x1000};

uint32_t nextGen(uint32_t g) {
    g = (g + 1) & kGenMask;
    return g == 0 ? 1 : g;
}

inline float clampVolume(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }
inline float clampPan(float p) { return std::isnan(p) ? 0.0f : std::clamp(p, -1.0f, 1.0f); }
inline float clampFrequency(float f) {
    return std::isnan(f) ? 1.0f : std::clamp(f, Mixer::kMinFrequency, Mixer::kMaxFrequency);
}
inline double clampFraction(double f) {
    if (!(f > 0.0)) return 0.0;  // also NaN
    return f < 1.0 ? f : 0.0;    // the end is the start of the next round
}

}  // namespace

// --- Ramp ---------------------------------------------------------------------

void Mixer::Ramp::set(double v, uint32_t frames) {
    target = v;
    if (frames == 0) {
        value = v;
        delta = 0;
        left = 0;
    } else {
        delta = (v - value) / static_cast<double>(frames);
        left = frames;
    }
}

// --- CommandQueue ---------------------------------------------------------------

Mixer::CommandQueue::CommandQueue() : items(new Command[kCapacity]) {}

bool Mixer::CommandQueue::push(const Command& c) {
    const size_t t = tail.load(std::memory_order_relaxed);
    if (t - head.load(std::memory_order_acquire) >= kCapacity) return false;
    items[t & (kCapacity - 1)] = c;
    tail.store(t + 1, std::memory_order_release);
    return true;
}

bool Mixer::CommandQueue::pop(Command& c) {
    const size_t h = head.load(std::memory_order_relaxed);
    if (h == tail.load(std::memory_order_acquire)) return false;
    c = items[h & (kCapacity - 1)];
    head.store(h + 1, std::memory_order_release);
    return true;
}

// --- Mixer: main thread -----------------------------------------------------------

Mixer::Mixer(int rate) : outputRate(rate > 0 ? rate : 44100), voices(new Voice[kMaxVoices]) {
    const uint32_t base = nextGenBase.fetch_add(0x1000) & kGenMask;
    for (Slot& s : slots) s.gen = base;
    for (auto& t : endedTicket) t.store(0, std::memory_order_relaxed);
}

Mixer::~Mixer() = default;

void Mixer::setMode(Mode m) {
    drain();
    completedCount.store(drainedCount, std::memory_order_release);
    currentMode = m;
    if (m != Mode::Thread) collect();
}

uint32_t Mixer::makeHandle(int index) const { return (slots[index].gen << 8) | static_cast<uint32_t>(index); }

const Mixer::Slot* Mixer::liveSlot(uint32_t handle) const {
    const uint32_t gen = handle >> 8;
    if (gen == 0) return nullptr;
    const Slot& s = slots[handle & 0xFFu];
    return s.inUse && s.gen == gen ? &s : nullptr;
}

bool Mixer::slotFinished(int index) const {
    const Slot& s = slots[index];
    return s.playRequested && endedTicket[index].load(std::memory_order_acquire) == s.ticket;
}

uint32_t Mixer::slideFrames(double seconds) const {
    if (!(seconds > 0.0)) return 0;
    const double frames = std::round(seconds * outputRate);
    if (frames < 1.0) return 1;
    return frames > 1.0e9 ? 1000000000u : static_cast<uint32_t>(frames);
}

void Mixer::prepareSlot(int index, const VoiceStart& start, const void* owner, bool pinned) {
    Slot& s = slots[index];
    s.gen = nextGen(s.gen);
    ++s.ticket;
    s.inUse = true;
    s.pinned = pinned;
    s.playRequested = start.play;
    s.order = nextOrder++;
    s.owner = owner;

    Command c;
    c.op = Command::Prepare;
    c.flag = start.play;
    c.voice = static_cast<uint16_t>(index);
    c.gen = s.gen;
    c.ticket = s.ticket;
    c.owner = owner;
    c.start = start;
    c.start.volume = clampVolume(start.volume);
    c.start.pan = clampPan(start.pan);
    c.start.frequency = clampFrequency(start.frequency);
    c.start.position = clampFraction(start.position);
    post(c);
}

uint32_t Mixer::claim(const VoiceStart& start, const void* owner, bool pinned) {
    if (!start.sample && !(start.stream && start.cursor)) return 0;
    for (int i = 0; i < kMaxVoices; ++i) {
        const Slot& s = slots[i];
        if (!s.inUse || (!s.pinned && slotFinished(i))) {
            prepareSlot(i, start, owner, pinned);
            return makeHandle(i);
        }
    }
    return 0;
}

uint32_t Mixer::takeOver(uint32_t handle, const VoiceStart& start) {
    const Slot* s = liveSlot(handle);
    if (!s || (!start.sample && !(start.stream && start.cursor))) return 0;
    const int index = static_cast<int>(handle & 0xFFu);
    prepareSlot(index, start, s->owner, s->pinned);
    return makeHandle(index);
}

bool Mixer::isAlive(uint32_t handle) const {
    const Slot* s = liveSlot(handle);
    return s && (s->pinned || !slotFinished(static_cast<int>(handle & 0xFFu)));
}

bool Mixer::isPlaying(uint32_t handle) const {
    const Slot* s = liveSlot(handle);
    return s && s->playRequested && !slotFinished(static_cast<int>(handle & 0xFFu));
}

uint64_t Mixer::startOrder(uint32_t handle) const {
    const Slot* s = liveSlot(handle);
    return s ? s->order : 0;
}

bool Mixer::play(uint32_t handle, bool restart) {
    if (!isAlive(handle)) return false;
    const int index = static_cast<int>(handle & 0xFFu);
    Slot& s = slots[index];
    ++s.ticket;
    s.playRequested = true;
    s.order = nextOrder++;
    Command c;
    c.op = Command::Play;
    c.flag = restart;
    c.voice = static_cast<uint16_t>(index);
    c.gen = s.gen;
    c.ticket = s.ticket;
    post(c);
    return true;
}

bool Mixer::stop(uint32_t handle) {
    const Slot* live = liveSlot(handle);
    if (!live) return false;
    const int index = static_cast<int>(handle & 0xFFu);
    Slot& s = slots[index];
    Command c;
    c.op = Command::Stop;
    c.voice = static_cast<uint16_t>(index);
    c.gen = s.gen;
    post(c);
    s.playRequested = false;
    if (!s.pinned) s.inUse = false;
    return true;
}

void Mixer::release(uint32_t handle) {
    if (!stop(handle)) return;
    Slot& s = slots[handle & 0xFFu];
    s.inUse = false;
    s.pinned = false;
}

bool Mixer::postSlide(uint32_t handle, int op, float value, double seconds) {
    if (!isAlive(handle)) return false;
    Command c;
    c.op = static_cast<Command::Op>(op);
    c.voice = static_cast<uint16_t>(handle & 0xFFu);
    c.gen = handle >> 8;
    c.value = value;
    c.frames = slideFrames(seconds);
    post(c);
    return true;
}

bool Mixer::setVolume(uint32_t handle, float volume, double seconds) {
    return postSlide(handle, Command::Volume, clampVolume(volume), seconds);
}

bool Mixer::setPan(uint32_t handle, float pan, double seconds) {
    return postSlide(handle, Command::Pan, clampPan(pan), seconds);
}

bool Mixer::setFrequency(uint32_t handle, float factor, double seconds) {
    return postSlide(handle, Command::Frequency, clampFrequency(factor), seconds);
}

bool Mixer::setPosition(uint32_t handle, double fraction) {
    if (!isAlive(handle)) return false;
    Command c;
    c.op = Command::Position;
    c.voice = static_cast<uint16_t>(handle & 0xFFu);
    c.gen = handle >> 8;
    c.start.position = clampFraction(fraction);
    post(c);
    return true;
}

void Mixer::stopAll() {
    Command c;
    c.op = Command::StopAll;
    post(c);
    for (Slot& s : slots) {
        s.playRequested = false;
        if (!s.pinned) s.inUse = false;
    }
}

void Mixer::stopSource(const void* owner, const SampleData* sample, const StreamSource* stream) {
    Command c;
    c.op = Command::StopSource;
    c.owner = owner;
    c.start.sample = sample;
    c.start.stream = const_cast<StreamSource*>(stream);
    post(c);
    if (!owner) return;
    for (Slot& s : slots) {
        if (s.owner != owner) continue;
        s.inUse = false;
        s.pinned = false;
        s.playRequested = false;
        s.owner = nullptr;
    }
}

int Mixer::claimedVoices() const {
    int n = 0;
    for (int i = 0; i < kMaxVoices; ++i) {
        const Slot& s = slots[i];
        if (s.inUse && (s.pinned || !slotFinished(i))) ++n;
    }
    return n;
}

void Mixer::post(const Command& c) {
    while (!queue.push(c)) {
        // Full: whoever renders is behind. When that is us, catch up.
        if (currentMode != Mode::Thread) drain();
        else std::this_thread::yield();
    }
    ++postedCount;
    if (currentMode == Mode::Direct) drain();
}

void Mixer::retire(std::shared_ptr<void> item) {
    if (!item) return;
    if (currentMode != Mode::Thread) {
        // The main thread is the only renderer: once the commands before
        // this point are carried out, nothing reads the item any more.
        drain();
        return;  // `item` goes here
    }
    retired.push_back({postedCount, std::move(item)});
}

void Mixer::collect() {
    if (retired.empty()) return;
    if (currentMode != Mode::Thread) {
        drain();
        retired.clear();
        return;
    }
    const uint64_t done = completedCount.load(std::memory_order_acquire);
    std::erase_if(retired, [done](const Retired& r) { return r.after <= done; });
}

// --- Mixer: rendering thread ------------------------------------------------------

void Mixer::drain() {
    Command c;
    for (size_t n = 0; n < CommandQueue::kCapacity && queue.pop(c); ++n) {
        apply(c);
        ++drainedCount;
    }
}

void Mixer::endVoice(int index) {
    Voice& v = voices[index];
    v.playing = false;
    endedTicket[index].store(v.ticket, std::memory_order_release);
}

void Mixer::apply(const Command& c) {
    switch (c.op) {
        case Command::Prepare: {
            Voice& v = voices[c.voice];
            v = Voice{};
            v.gen = c.gen;
            v.ticket = c.ticket;
            v.prepared = true;
            v.owner = c.owner;
            v.sample = c.start.sample;
            v.stream = c.start.sample ? nullptr : c.start.stream;
            v.cursor = c.start.sample ? nullptr : c.start.cursor;
            v.loop = c.start.loop;
            v.volume.set(c.start.volume, 0);
            v.pan.set(c.start.pan, 0);
            v.frequency.set(c.start.frequency, 0);
            if (v.sample) {
                v.baseStep = static_cast<double>(v.sample->rate) / outputRate;
                v.pos = c.start.position * static_cast<double>(v.sample->frames());
            } else {
                v.baseStep = static_cast<double>(v.stream->rate()) / outputRate;
                primeStream(v);
            }
            v.playing = c.flag;
            return;
        }
        case Command::StopAll:
            for (int i = 0; i < kMaxVoices; ++i)
                if (voices[i].playing) endVoice(i);
            return;
        case Command::StopSource:
            for (int i = 0; i < kMaxVoices; ++i) {
                Voice& v = voices[i];
                if (!v.prepared) continue;
                if ((c.owner && v.owner == c.owner) || (c.start.sample && v.sample == c.start.sample) ||
                    (c.start.stream && v.stream == c.start.stream)) {
                    if (v.playing) endVoice(i);
                    v.prepared = false;
                    v.sample = nullptr;
                    v.stream = nullptr;
                    v.cursor = nullptr;
                    v.owner = nullptr;
                }
            }
            return;
        default:
            break;
    }

    Voice& v = voices[c.voice];
    if (!v.prepared || v.gen != c.gen) return;  // a stale command
    switch (c.op) {
        case Command::Play:
            v.ticket = c.ticket;
            if (v.sample) {
                if (c.flag || v.pos >= static_cast<double>(v.sample->frames())) v.pos = 0.0;
            } else if (c.flag || v.sourceDone) {
                primeStream(v);
            }
            v.playing = true;
            break;
        case Command::Stop:
            if (v.playing) endVoice(c.voice);
            break;
        case Command::Volume:
            v.volume.set(c.value, c.frames);
            v.endOnSilence = c.value <= 0.0f && c.frames > 0;
            break;
        case Command::Pan:
            v.pan.set(c.value, c.frames);
            break;
        case Command::Frequency:
            v.frequency.set(c.value, c.frames);
            break;
        case Command::Position:
            if (v.sample) v.pos = c.start.position * static_cast<double>(v.sample->frames());
            break;
        default:
            break;
    }
}

void Mixer::primeStream(Voice& v) {
    StreamCursor& cur = *v.cursor;
    cur.have = 0;
    cur.at = 0;
    v.stream->rewind();
    v.sourceDone = false;
    v.frac = 0.0;
    v.prev[0] = v.prev[1] = v.next[0] = v.next[1] = 0.0f;
    if (!fetchStreamFrame(v, v.prev)) {
        // Nothing to play: the voice ends at its first frame.
        v.sourceDone = true;
        v.frac = 1.0;
        return;
    }
    if (!fetchStreamFrame(v, v.next)) v.sourceDone = true;
}

bool Mixer::fetchStreamFrame(Voice& v, float* frame) {
    StreamCursor& cur = *v.cursor;
    const int channels = v.stream->channels() >= 2 ? 2 : 1;
    if (cur.at >= cur.have) {
        cur.at = 0;
        cur.have = std::max(0, v.stream->read(cur.buffer, StreamCursor::kChunk));
        if (cur.have == 0) {
            if (!v.loop || !v.stream->rewind()) return false;
            cur.have = std::max(0, v.stream->read(cur.buffer, StreamCursor::kChunk));
            if (cur.have == 0) return false;
        }
    }
    const float* f = cur.buffer + static_cast<ptrdiff_t>(cur.at) * channels;
    frame[0] = f[0];
    frame[1] = f[channels - 1];
    ++cur.at;
    return true;
}

// The pan law: the far side fades linearly, the near side stays at full
// level, so a centred sound plays as recorded on both sides.
static inline void panGains(double volume, double pan, float& left, float& right) {
    left = static_cast<float>(volume * std::min(1.0, 1.0 - pan));
    right = static_cast<float>(volume * std::min(1.0, 1.0 + pan));
}

// One frame of a voice's volume, pan and frequency slides: the gains and
// the step follow them. False when a fade to silence ended the voice.
inline bool Mixer::stepSlides(int index, float gain, bool& sliding, float& gl, float& gr, double& step) {
    Voice& v = voices[index];
    v.volume.step();
    v.pan.step();
    v.frequency.step();
    if (v.endOnSilence && v.volume.left == 0) {
        endVoice(index);
        return false;
    }
    sliding = v.volume.left || v.pan.left || v.frequency.left;
    panGains(v.volume.value * gain, v.pan.value, gl, gr);
    step = v.baseStep * v.frequency.value;
    return true;
}

void Mixer::mixSample(int index, float* out, int frames, float gain) {
    Voice& v = voices[index];
    const SampleData& s = *v.sample;
    const int64_t n = s.frames();
    if (n <= 0) {
        endVoice(index);
        return;
    }
    const float* data = s.samples.data();
    const int ch = s.channels >= 2 ? 2 : 1;
    const int rc = ch - 1;  // offset of the right channel
    const double length = static_cast<double>(n);

    bool sliding = v.volume.left || v.pan.left || v.frequency.left;
    float gl, gr;
    panGains(v.volume.value * gain, v.pan.value, gl, gr);
    double step = v.baseStep * v.frequency.value;

    for (int k = 0; k < frames; ++k) {
        if (v.pos >= length) {
            if (!v.loop) {
                endVoice(index);
                return;
            }
            v.pos = std::fmod(v.pos, length);
        }
        const int64_t i0 = static_cast<int64_t>(v.pos);
        const float fr = static_cast<float>(v.pos - static_cast<double>(i0));
        const float* a = data + i0 * ch;
        float l = a[0], r = a[rc];
        if (i0 + 1 < n) {
            l += (a[ch] - l) * fr;
            r += (a[ch + rc] - r) * fr;
        } else if (v.loop) {
            l += (data[0] - l) * fr;
            r += (data[rc] - r) * fr;
        } else {
            l -= l * fr;
            r -= r * fr;
        }
        out[2 * k] += l * gl;
        out[2 * k + 1] += r * gr;
        v.pos += step;

        if (sliding && !stepSlides(index, gain, sliding, gl, gr, step)) return;
    }
}

void Mixer::mixStream(int index, float* out, int frames, float gain) {
    Voice& v = voices[index];
    bool sliding = v.volume.left || v.pan.left || v.frequency.left;
    float gl, gr;
    panGains(v.volume.value * gain, v.pan.value, gl, gr);
    double step = v.baseStep * v.frequency.value;

    for (int k = 0; k < frames; ++k) {
        while (v.frac >= 1.0) {
            if (v.sourceDone) {
                endVoice(index);
                return;
            }
            v.prev[0] = v.next[0];
            v.prev[1] = v.next[1];
            if (!fetchStreamFrame(v, v.next)) {
                v.sourceDone = true;
                v.next[0] = v.next[1] = 0.0f;
            }
            v.frac -= 1.0;
        }
        const float fr = static_cast<float>(v.frac);
        out[2 * k] += (v.prev[0] + (v.next[0] - v.prev[0]) * fr) * gl;
        out[2 * k + 1] += (v.prev[1] + (v.next[1] - v.prev[1]) * fr) * gr;
        v.frac += step;

        if (sliding && !stepSlides(index, gain, sliding, gl, gr, step)) return;
    }
}

void Mixer::render(float* out, int frames) {
    drain();
    if (frames > 0) {
        std::memset(out, 0, sizeof(float) * 2 * static_cast<size_t>(frames));
        const float sg = sampleGain.load(std::memory_order_relaxed);
        const float tg = streamGain.load(std::memory_order_relaxed);
        int count = 0;
        for (int i = 0; i < kMaxVoices; ++i) {
            Voice& v = voices[i];
            if (!v.playing) continue;
            ++count;
            if (v.sample) mixSample(i, out, frames, sg);
            else if (v.stream) mixStream(i, out, frames, tg);
            else endVoice(i);
        }
        playingCount.store(count, std::memory_order_relaxed);
        framesRendered.fetch_add(static_cast<uint64_t>(frames), std::memory_order_relaxed);
    }
    completedCount.store(drainedCount, std::memory_order_release);
}

}  // namespace audio
