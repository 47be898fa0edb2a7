#pragma once
// The base of every object placed in a level. On top of the editable object
// it carries the object's collision hull, a looping ambient sound that fades
// with the hero's distance, footsteps by ground material, the transform of
// the previous frame (for swept collision), area lookups and speech bubbles,
// and the level-object interface through which the pig and moving bodies act
// on level objects.
//
// Distances of sounds are measured in x and y only: cameras sit far in front
// of the level (z = -W/2), so a three-dimensional distance would put every
// sound out of range.
#include <cstdint>
#include <memory>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "gfx/RenderCounters.h"
#include "gfx/Skin.h"
#include "sys/ErrorManager.h"
#include "world/EditorObject.h"

class AreaQuery;
class Hull;
class Pig;
class Sound;
class SoundChannel;
class Xsect;

// What playSound did: whether it played, and the volume, pan and frequency
// factor it played at.
struct SoundPlay {
    bool played = false;
    float volume = 0.0f;
    float pan = 0.0f;
    float frequency = 1.0f;
};

class A99Object : public EditorObject {
    ZUB_DECLARE_CLASS(A99Object)
public:
    // Ground materials (footsteps).
    enum Material : int32_t { MAT_NONE = 0, MAT_DIRT, MAT_STONE, MAT_WOOD, MAT_LEAVES, MAT_SNOW, MATERIAL_COUNT };

    A99Object();
    ~A99Object() override;

    void tick(double time, double dt) override;
    // Whether it measures nearView (the flags its tick reads every frame).
    void readAheadForTick() const override {
        __builtin_prefetch(&bUsesNearView);
        __builtin_prefetch(&pAmbientSound);
    }
    bool onEvent(ZubEvent& ev) override;
    void netPostReplicate() override;
    // The first change of a frame keeps the previous frame's inverse
    // transform and bounding centre; later changes in the same frame do not
    // overwrite them.
    void onTransformChanged() override;
    // Also tells the hull (its reach follows the bounding centre).
    void calcBoundingCircle() override;
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // --- the level-object interface -------------------------------------------
    // The pig stands on this object's hull at `from` (her point) with `to`
    // 1.0 below it.
    virtual void onStoodOnAt(Pig* pig, V3 from, V3 to) {
        (void)pig;
        (void)from;
        (void)to;
    }
    // A switch fired at this object.
    virtual void activate() {}
    // The pig touched the object she stands on.
    virtual void onTouched() {}
    // A moving body passed through one of this object's pass-through hull
    // segments, with the sweep in progress.
    virtual void onHullCrossed(A99Object* mover, Xsect* xsect) {
        (void)mover;
        (void)xsect;
    }
    // Whether the object offers the hero an action; an object that does
    // writes its priority and its distance.
    virtual bool queryHeroPrompt(V3 heroCentre, int* priority, float* distance) {
        (void)heroCentre;
        (void)priority;
        (void)distance;
        return false;
    }

    // --- hull -------------------------------------------------------------------------
    void createHull();
    // Makes and registers the hull once; nothing when there is one.
    void local_createHull();
    void deleteHull();
    Hull* getHull() const;

    // A world point in the local frame as it was before this frame's move.
    void world2localOld(V3& out, const V3& in) const {
        if (prevFrameStamp == renderCounters.frameNumber) {
            ZUB_ASSERT(bHasInvXform);
            if (bPrevInvValid) {
                out = mapPoint(prevInvWorldMatrix, in);
                if (pSkin) out = pSkin->undeformPoint(out);
                return;
            }
        }
        world2local(out, in);
    }
    // Renderable's mappings, final here and written out inline: the
    // collision solver maps points in its inner loops.
    void world2local(V3& out, const V3& in) const final {
        if (bInvValid) out = mapPoint(invWorldMatrix, in);
        else Renderable::world2local(out, in);
    }
    void localToWorld(V3& out, const V3& in) const final { out = mapPoint(worldMatrix, in); }
    // The transform changed in the engine's current frame.
    bool movedThisFrame() const { return prevFrameStamp == renderCounters.frameNumber; }

    // --- sounds -------------------------------------------------------------------
    // Plays the sound at the object, faded by the distance to the game
    // camera; `always` plays it at half volume or more even out of range.
    SoundPlay playSound(Sound* sound, bool always);
    // The footstep of a ground material (1-5); other values play nothing.
    SoundPlay playFootstep(int material);
    // t = clamp((d - max) / (min - max), 0, 1), 0 when the radii are equal.
    float fadeFraction(float distance) const;

    // --- areas and speech bubbles --------------------------------------------------
    // Of the danger areas that hold this object (or the point), the one with
    // the highest area type (the first on a tie); null when none.
    A99Object* findContainingArea();
    A99Object* findAreaAtPoint(const V3& p);
    // The object as a level area (AreaQuery), or null: the cast to the
    // interface, made once (the search of the class hierarchy is slow and
    // the area searches ask every area of the list). Only for an object
    // whose construction has ended.
    AreaQuery* asAreaQuery();
    // Makes the speech bubble (through speechBubbleMaker), replaces every
    // bubble of the speech bubble list with it and plays "pop".
    void showSpeechBubble(V3 offset, bool style, int dismissMode, const WString& text);
    // Builds a bubble for an object: offset, style (1 or 2), dismissal mode,
    // text. Installed by the code that owns speech bubbles.
    using SpeechBubbleMaker = ZubBase* (*)(A99Object* owner, const V3& offset, int style, int dismissMode,
                                           const WString& text);
    static SpeechBubbleMaker speechBubbleMaker;

    ZubBaseReference pHull{this};
    // Whether the hero's camera could see the object soon: its bounding
    // circle lies within the view's half width plus 600 units at its depth
    // (kept up to date by tick only for the objects that read it: those
    // with bUsesNearView, and any with an ambient sound).
    bool nearView = true;
    // Set by the classes whose tick or drawing asks nearView.
    bool bUsesNearView = false;
    int32_t material = MAT_NONE;
    int32_t prevFrameStamp = -1;
    Sound* pAmbientSound = nullptr;
    float minAmbientRadius = 10.0f;
    float maxAmbientRadius = 500.0f;
    M44 prevInvWorldMatrix = M44::identity();
    bool bPrevInvValid = false;
    V3 prevWorldPosition;
    std::unique_ptr<SoundChannel> ambientChannel;
    double nextAmbientUpdate = 0.0;

protected:
    void updateAmbient(double time);

private:
    AreaQuery* areaQuery = nullptr;  // asAreaQuery's cast, once made
    bool bAreaQueryKnown = false;

    // M44::transformCoord, the same arithmetic in the same order (a division
    // by a w of 1 changes nothing and is left out). With SSE the four sums
    // are made side by side, one row of the matrix per product: each lane
    // adds the same products in the same order as the scalar code.
    static V3 mapPoint(const M44& m, const V3& v) {
        const float(&a)[4][4] = m.m;
#if defined(__SSE__)
        __m128 r = _mm_mul_ps(_mm_set1_ps(v.x), _mm_loadu_ps(a[0]));
        r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(v.y), _mm_loadu_ps(a[1])));
        r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(v.z), _mm_loadu_ps(a[2])));
        r = _mm_add_ps(r, _mm_loadu_ps(a[3]));
        const float rx = _mm_cvtss_f32(r);
        const float ry = _mm_cvtss_f32(_mm_shuffle_ps(r, r, _MM_SHUFFLE(1, 1, 1, 1)));
        const float rz = _mm_cvtss_f32(_mm_movehl_ps(r, r));
        const float rw = _mm_cvtss_f32(_mm_shuffle_ps(r, r, _MM_SHUFFLE(3, 3, 3, 3)));
#else
        const float rx = v.x * a[0][0] + v.y * a[1][0] + v.z * a[2][0] + a[3][0];
        const float ry = v.x * a[0][1] + v.y * a[1][1] + v.z * a[2][1] + a[3][1];
        const float rz = v.x * a[0][2] + v.y * a[1][2] + v.z * a[2][2] + a[3][2];
        const float rw = v.x * a[0][3] + v.y * a[1][3] + v.z * a[2][3] + a[3][3];
#endif
        if (rw == 0.0f || rw == 1.0f) return V3(rx, ry, rz);
        return V3(rx / rw, ry / rw, rz / rw);
    }
};

// The two-dimensional distance of sounds and views.
float planarDistance(const V3& a, const V3& b);
// planarDistance(a, b) <= r, with the root taken only near the edge.
bool withinPlanarDistance(const V3& a, const V3& b, float r);
// Half the screen width (reference units), in integer arithmetic: the pan scale.
int halfScreenWidth();

class RPCCreateHull : public RPC {
    ZUB_DECLARE_CLASS(RPCCreateHull)
public:
    RPCCreateHull() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

class RPCDeleteHull : public RPC {
    ZUB_DECLARE_CLASS(RPCDeleteHull)
public:
    RPCDeleteHull() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};
