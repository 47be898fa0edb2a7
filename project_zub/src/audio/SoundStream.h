#pragma once
// Music: an Ogg Vorbis file played from its bytes, decoded a piece at a time
// as it plays. Bit 0 of the loop flag makes it loop without a gap.
//
// The stream has one channel, made when it is first needed and kept until the
// stream is deleted; its handle is 0 before that and after the audio output
// was shut down, and recreateSoundStream() makes it again. ZubAudio::setMusic
// plays a stream as the current music.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "object/ZubBase.h"
#include "util/WString.h"

class SoundStream : public ZubBase {
    ZUB_DECLARE_CLASS(SoundStream)
public:
    enum : int { FLAG_LOOP = 1 };

    SoundStream();
    // The file is read through the file manager (on first use when loads are
    // delayed). A file that is not Ogg Vorbis is a fatal error.
    SoundStream(int loopFlag, std::u16string_view fileName);
    // From the bytes of an Ogg Vorbis file (generated content, tests).
    SoundStream(int loopFlag, std::vector<uint8_t> bytes);
    ~SoundStream() override;

    // Makes the channel when its handle is 0 (and the audio service runs).
    void recreateSoundStream();
    // The channel's handle, 0 when there is none.
    uint32_t getChannelHandle() const;

    // Plays the channel (made first when needed), from the start when
    // `restart` is set, else from where it stopped. False without output.
    bool play(bool restart = true);
    // Ends the playing at once; the channel stays.
    void stop();
    // The stream's volume, clamped to [0, 1], set at once or slid over a
    // time. A slide to 0 stops it when it is over.
    void setVolume(float volume, double slideSeconds = 0.0);
    bool isPlaying() const;

    // Of the file (opened first when needed): frames at its own rate.
    int64_t lengthFrames();
    int sampleRate();

    const WString& getFileName() const { return fileName; }

    int loopFlag = 0;

private:
    struct Data;
    bool openDecoder();

    WString fileName;
    std::unique_ptr<Data> data;
    uint32_t handle = 0;
    uint32_t handleEpoch = 0;
};
