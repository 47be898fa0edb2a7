#pragma once
// A geyser that erupts on a fixed rhythm: it rests for `idleTime` seconds
// (after `initialDelay` before the first rest), rumbles during the last
// second of the rest, then shoots a jet of water `geyserHeight` units high
// for `eruptTime` seconds. Once the jet has risen (a quarter of a second) it
// throws a vulnerable hero away from the mouth, and sprays smoke and
// splashes. Its rumble and jet play on a channel of its own whose loudness
// and stereo position follow the hero's distance.
//
// States: 1 resting, 2 erupting. A rhythm of two phases that both last no
// time flips once per tick instead of without end within one.
#include <memory>

#include "world/A99Object.h"

class Sound;
class SoundChannel;

class Geyser : public A99Object {
    ZUB_DECLARE_CLASS(Geyser)
public:
    enum State : int { RESTING = 1, ERUPTING = 2 };

    // The jet hurts and sprays only after it has risen this long.
    static constexpr double JET_RISE_TIME = 0.25;
    // The rumble plays when this much of the rest is left.
    static constexpr double RUMBLE_LEAD = 1.0;
    // The jet's test circles: one per JET_STEP units of height, from
    // JET_BOTTOM above the mouth to JET_TOP_GAP below the jet's top, growing
    // from JET_RADIUS to twice that.
    static constexpr float JET_STEP = 70.0f;
    static constexpr float JET_BOTTOM = 30.0f;
    static constexpr float JET_TOP_GAP = 50.0f;
    static constexpr float JET_RADIUS = 15.0f;
    static constexpr uint32_t JET_CIRCLE_COLOR = 0xff00ffffu;
    // The channel's volume and pan follow the hero this often, sliding.
    static constexpr double SOUND_UPDATE = 0.25;
    static constexpr double CHANNEL_FADE = 0.25;

    Geyser();
    ~Geyser() override;

    // The rumble, the jet's throw and spray, the channel's fade (nothing
    // while edited or away from the view; the rhythm runs on).
    void tick(double time, double dt) override;
    // Resting: the channel fades out and the eruption is timed; erupting:
    // the jet's sound and the end of the eruption.
    void onStateChange() override;
    // Starts the rhythm (not while edited).
    void netPostReplicate() override;
    // The spray behind the geyser; the jet's circles in the editor.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // The jet's direction: straight up for an unrotated geyser.
    V3 jetDirection() const;
    // The number of the jet's test circles and circle i's centre and radius.
    int jetCircleCount() const;
    void jetCircle(int i, int n, V3& centre, float& radius) const;

    double idleTime = 2.0;
    double eruptTime = 1.0;
    double initialDelay = 0.0;
    float geyserHeight = 250.0f;

    // The channel of the last sound played, none before the first.
    std::unique_ptr<SoundChannel> soundChannel;
    double nextSoundUpdate = 0.0;
    double smokeTimer = 0.0;
    double smokeInterval = 0.25;
    double splashTimer = 0.0;
    double splashInterval = 0.025;

private:
    // Plays the sound on a new channel at the hero's distance and side;
    // nothing (the old channel stays) while she is out of hearing.
    void playPositional(Sound* sound);
    // The volume (1 - (1 - f)^2 of the fade fraction) and pan for the hero.
    bool heroMix(float& volume, float& pan) const;
    // The first jet circle that reaches the hero throws her when she is
    // vulnerable.
    void throwHero();
    void spray(double dt);
    // The timed change to the other phase; immediate only while the two
    // phases do not both last no time.
    void timeNextPhase(int next, double after);
};
