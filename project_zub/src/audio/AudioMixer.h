#pragma once
// The software mixer behind the sound classes.
//
// Voices play decoded samples (SampleData) or streamed sources
// (StreamSource), each with a volume, a pan and a frequency factor that can
// slide linearly to a new value over a time. A sample voice may loop; a voice
// whose volume slides to 0 ends when the slide is over.
//
// Threads. The program's thread (the "main" thread) owns every voice slot:
// it claims voices, hands out their handles and sends commands. The thread
// that renders (the audio device's thread, or the main thread itself in pull
// mode) owns the voices' playing state. Commands travel through a lock-free
// single-producer single-consumer queue that render() empties before it
// mixes; the renderer reports back only through atomics (which play of a
// voice has ended). render() allocates nothing, takes no lock and makes no
// system call.
//
// Memory read by the renderer (sample frames, stream decoders) belongs to the
// main thread. Before freeing it, the owner stops every voice that uses it
// (stopSource) and hands it to retire(); the mixer keeps it until the
// renderer has passed that command.
//
// Handles: bits 0-7 the voice slot, bits 8-31 a generation that changes each
// time the slot is claimed, so a handle of an earlier use of the slot is
// recognised as stale. 0 is no voice.
//
// Output: stereo frames of 32-bit floats, left then right. Voices are added
// up without clipping; the device clamps.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace audio {

constexpr int kMaxVoices = 256;

// A decoded sample: interleaved frames of 1 or 2 channels at its own rate.
struct SampleData {
    std::vector<float> samples;
    int channels = 1;
    int rate = 44100;
    int64_t frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// A source that the renderer decodes as it plays (music). read() and rewind()
// run on the rendering thread and must be real-time safe.
class StreamSource {
public:
    virtual ~StreamSource() = default;
    virtual int channels() const = 0;  // 1 or 2
    virtual int rate() const = 0;
    // Up to `frames` interleaved frames; 0 at the end.
    virtual int read(float* out, int frames) = 0;
    // Back to the first frame; false when that fails.
    virtual bool rewind() = 0;
};

// The renderer's working buffer for one stream: a decoded piece of it. Owned
// with the stream, touched only by the renderer while a voice plays it.
struct StreamCursor {
    static constexpr int kChunk = 1024;
    float buffer[kChunk * 2];
    int have = 0;  // frames in the buffer
    int at = 0;    // the next frame to take
};

// How a claimed voice starts.
struct VoiceStart {
    const SampleData* sample = nullptr;  // either a sample...
    StreamSource* stream = nullptr;      // ...or a stream with its cursor
    StreamCursor* cursor = nullptr;
    bool loop = false;
    bool play = true;        // start at once; otherwise it waits for play()
    float volume = 1.0f;     // 0 to 1
    float pan = 0.0f;        // -1 left to 1 right
    float frequency = 1.0f;  // factor of the source's own rate
    double position = 0.0;   // fraction of the sample's length
};

class Mixer {
public:
    // Who empties the command queue.
    enum class Mode {
        Direct,  // nobody renders: commands take effect as they are sent
        Pull,    // the main thread calls render()
        Thread,  // another thread calls render()
    };

    // Limits of the frequency factor.
    static constexpr float kMinFrequency = 1.0f / 64.0f;
    static constexpr float kMaxFrequency = 16.0f;

    explicit Mixer(int outputRate);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int rate() const { return outputRate; }

    // Changes who renders. Only while no other thread renders (the device is
    // paused or closed, or not yet open). Pending commands are carried out.
    void setMode(Mode m);
    Mode mode() const { return currentMode; }

    // --- main thread ----------------------------------------------------------
    // Claims a free voice and starts it; `owner` tags it for stopSource.
    // Pinned voices (streams) stay claimed when they end, until released.
    // 0 when all voices are busy.
    uint32_t claim(const VoiceStart& start, const void* owner, bool pinned = false);
    // Restarts the voice of a live handle for a new play of the same owner
    // (taking it over); returns the new handle, 0 when `handle` is stale.
    uint32_t takeOver(uint32_t handle, const VoiceStart& start);

    // Claimed and not finished: prepared, playing, or a pinned voice.
    bool isAlive(uint32_t handle) const;
    // Started and not yet ended or stopped.
    bool isPlaying(uint32_t handle) const;
    // The order in which voices were started; smaller is older.
    uint64_t startOrder(uint32_t handle) const;

    // Starts a prepared or stopped voice (from the start when `restart` or
    // when it had reached its end). False when the handle is stale.
    bool play(uint32_t handle, bool restart = false);
    // Ends the voice at once. A sample voice is released; a pinned voice
    // stays claimed and can be played again.
    bool stop(uint32_t handle);
    // Ends a pinned voice and gives its slot back.
    void release(uint32_t handle);

    // Values are clamped (volume to [0, 1], pan to [-1, 1], frequency to
    // [kMinFrequency, kMaxFrequency]); `seconds` <= 0 sets at once. A volume
    // slide to 0 ends the voice when it is over.
    bool setVolume(uint32_t handle, float volume, double seconds = 0.0);
    bool setPan(uint32_t handle, float pan, double seconds = 0.0);
    bool setFrequency(uint32_t handle, float factor, double seconds = 0.0);
    // Moves a sample voice to a fraction of its length.
    bool setPosition(uint32_t handle, double fraction);

    // Ends every voice (pinned voices stay claimed).
    void stopAll();
    // Ends and releases every voice tagged with `owner` and every voice that
    // reads `sample` or `stream`.
    void stopSource(const void* owner, const SampleData* sample, const StreamSource* stream);

    // Keeps `item` alive until the renderer can no longer read it, then frees
    // it (in collect(), on the main thread).
    void retire(std::shared_ptr<void> item);
    // Frees retired items that are safe to free.
    void collect();
    size_t retiredCount() const { return retired.size(); }

    // Voices claimed from the main thread's point of view.
    int claimedVoices() const;

    // Global gains of sample and stream voices, read once per render.
    void setSampleGain(float g) { sampleGain.store(g, std::memory_order_relaxed); }
    void setStreamGain(float g) { streamGain.store(g, std::memory_order_relaxed); }

    // --- rendering thread -----------------------------------------------------
    // Carries out pending commands, then writes `frames` stereo frames.
    void render(float* out, int frames);
    // Voices that played in the last render (for statistics).
    int playingVoices() const { return playingCount.load(std::memory_order_relaxed); }
    // Frames rendered since the mixer was made.
    uint64_t renderedFrames() const { return framesRendered.load(std::memory_order_relaxed); }

private:
    struct Command {
        enum Op : uint8_t { Prepare, Play, Stop, Volume, Pan, Frequency, Position, StopAll, StopSource };
        Op op = Prepare;
        bool flag = false;  // Prepare: play at once; Play: restart
        uint16_t voice = 0;
        uint32_t gen = 0;
        uint32_t ticket = 0;
        uint32_t frames = 0;  // slide length
        float value = 0;
        const void* owner = nullptr;
        VoiceStart start;
    };

    bool stepSlides(int index, float gain, bool& sliding, float& gl, float& gr, double& step);
    // Posts a volume, pan or frequency change (op), sliding over `seconds`.
    bool postSlide(uint32_t handle, int op, float value, double seconds);

    // A linear slide of one value (summed in double precision, so that long
    // slides do not drift).
    struct Ramp {
        double value = 0, target = 0, delta = 0;
        uint32_t left = 0;
        void set(double v, uint32_t frames);
        void step() {
            if (left && --left == 0) value = target;
            else if (left) value += delta;
        }
    };

    // The renderer's side of a voice.
    struct Voice {
        uint32_t gen = 0;
        uint32_t ticket = 0;
        bool prepared = false;
        bool playing = false;
        bool loop = false;
        bool endOnSilence = false;
        const void* owner = nullptr;
        const SampleData* sample = nullptr;
        StreamSource* stream = nullptr;
        StreamCursor* cursor = nullptr;
        double baseStep = 1.0;  // source rate / output rate
        double pos = 0.0;       // sample voices: the frame position
        Ramp volume, pan, frequency;
        // Stream voices: the two frames around the read position.
        float prev[2] = {0, 0}, next[2] = {0, 0};
        double frac = 0.0;
        bool sourceDone = false;
    };

    // The main thread's side of a voice slot.
    struct Slot {
        uint32_t gen = 0;
        uint32_t ticket = 0;  // the last prepare or play sent
        bool inUse = false;
        bool pinned = false;
        bool playRequested = false;
        uint64_t order = 0;
        const void* owner = nullptr;
    };

    // A fixed ring of commands with one writer and one reader.
    class CommandQueue {
    public:
        static constexpr size_t kCapacity = 4096;  // a power of two
        CommandQueue();
        bool push(const Command& c);
        bool pop(Command& c);

    private:
        std::unique_ptr<Command[]> items;
        alignas(64) std::atomic<size_t> head{0};  // next to read
        alignas(64) std::atomic<size_t> tail{0};  // next to write
    };

    void post(const Command& c);
    void drain();
    void apply(const Command& c);
    void endVoice(int index);
    void primeStream(Voice& v);
    bool fetchStreamFrame(Voice& v, float* frame);
    void mixSample(int index, float* out, int frames, float gain);
    void mixStream(int index, float* out, int frames, float gain);
    const Slot* liveSlot(uint32_t handle) const;
    bool slotFinished(int index) const;
    uint32_t makeHandle(int index) const;
    uint32_t slideFrames(double seconds) const;
    void prepareSlot(int index, const VoiceStart& start, const void* owner, bool pinned);

    int outputRate;
    Mode currentMode = Mode::Direct;
    CommandQueue queue;
    Slot slots[kMaxVoices];
    uint64_t nextOrder = 1;
    uint64_t postedCount = 0;  // commands sent (main thread)

    std::unique_ptr<Voice[]> voices;
    std::atomic<uint32_t> endedTicket[kMaxVoices];
    std::atomic<uint64_t> completedCount{0};  // commands carried out by a finished render
    uint64_t drainedCount = 0;                // renderer's count of commands carried out
    std::atomic<float> sampleGain{1.0f};
    std::atomic<float> streamGain{1.0f};
    std::atomic<int> playingCount{0};
    std::atomic<uint64_t> framesRendered{0};

    struct Retired {
        uint64_t after;  // safe once completedCount reaches this
        std::shared_ptr<void> item;
    };
    std::vector<Retired> retired;
};

}  // namespace audio
