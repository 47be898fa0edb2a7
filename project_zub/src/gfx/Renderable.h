#pragma once
// The base of everything drawn: a skin placed in the world by position,
// rotation and scale, tinted by a colour.
//
// Transform: a point of the skin's local (centred) space goes through
//   translate(-skin origin) . scale . rotate x . rotate y . rotate z
//   . translate(position) . parent matrix
// (row vectors, applied left to right), so the skin's origin point lands on
// the position and is the pivot of rotation and scale. Scale mode 1
// multiplies the y scale by the graphics aspect ratio, mode 2 the scale by
// the pixel-to-design factor (ZubGraphics).
//
// The world matrix and the bounding circle (centre: the skin's centre in the
// world; radius: to the farthest corner of the skin) are rebuilt by
// onTransformChanged, which the setters call; code that writes the fields
// directly calls it afterwards. The inverse world matrix is kept only with
// bHasInvXform; point tests without it invert on the spot.
//
// Drawing: a hidden renderable draws nothing (and none of its children).
// Otherwise, with a skin, it counts in renderablesTotal, sets the in-view
// flag (its bounding circle overlaps the current context's view at the
// circle's depth; always set with bNoCulling) and, when in view, counts in
// renderablesVisible and draws the skin. Its children are drawn after it.
#include <cstdint>

#include "gfx/Skin.h"
#include "object/ZubBase.h"
#include "util/Math.h"

class Context;

class Renderable : public ZubBase {
    ZUB_DECLARE_CLASS(Renderable)
public:
    enum ScaleMode : int32_t { SCALE_PLAIN = 0, SCALE_ASPECT = 1, SCALE_PIXELS = 2 };

    Renderable();
    Renderable(Skin* skin, const V3& position);
    ~Renderable() override;

    // --- drawing --------------------------------------------------------------
    void render() override;
    // The renderable itself (culling and the skin), without its children.
    virtual void renderSelf();
    // Draws the renderable inside a parent's world transform: takes it as the
    // parent matrix (refreshing the transform), then renders.
    virtual void renderInParent(const M44& parentWorld);
    // Updates the in-view flag against the current context's view.
    bool updateInView();
    // The fields culling and drawing read: the skin, the flags and the
    // bounding circle.
    void readAheadForDraw(int step) const override {
        if (step == 0) prefetchDrawFields();
    }
    void prefetchDrawFields() const {
        __builtin_prefetch(&pSkin);
        __builtin_prefetch(&boundingRadius);
    }

    // --- fields -----------------------------------------------------------------
    // Each setter refreshes the transform.
    void setSkin(Skin* skin);
    void setPosition(const V3& p);
    void setPosition(float x, float y, float z) { setPosition(V3(x, y, z)); }
    void setRotation(const V3& r);
    void setRotationZ(float angle);
    void setScaleV(const V3& s);
    // Uniform scale: x and y become s.
    virtual void setScale(float s);
    // Sets those given (null: unchanged), then refreshes once.
    void setFields(Skin* skin, const V3* position, const V3* rotation, const V3* scale,
                   const uint32_t* color = nullptr);
    void setAlpha(uint8_t alpha) { color = (color & 0x00FFFFFFu) | (static_cast<uint32_t>(alpha) << 24); }

    // --- transform --------------------------------------------------------------
    // Counts updateVisuals, stamps the frame, rebuilds the world matrix (and
    // its inverse with bHasInvXform) and the bounding circle.
    virtual void onTransformChanged();
    virtual void calcXform();
    virtual void calcBoundingCircle();
    // The parent transform (16 floats, row-vector layout); then a refresh.
    virtual void setParentMatrix(const float m[16]);
    void setParentMatrix(const M44& m);
    void clearParentMatrix();

    // A local point (the skin's centred space) to the world, and back.
    virtual void localToWorld(V3& out, const V3& p) const;
    virtual void world2local(V3& out, const V3& p) const;

    // --- tests --------------------------------------------------------------------
    // Whether a world point lies on the skin (through the inverse transform
    // and the skin's inverse deformation).
    virtual bool isPointInside(float x, float y, float z) const;
    // False when hidden, not pickable or unculled; otherwise the point test
    // at the owning context's mouse position, carried to the renderable's
    // depth along the view ray. Keeps the inverse transform from then on.
    virtual bool isUnderMouse();
    bool isMouseInside() override { return isUnderMouse(); }
    // Counts collisionChecks. True when the bounding circles, each scaled by
    // its collisionSensitivity, overlap (strictly).
    virtual bool collide(Renderable* other);
    // The plain bounding circles overlap (strictly).
    bool boundsIntersecting(const Renderable* other) const;
    // The point lies strictly within the bounding radius times collisionSensitivity.
    bool isPointInsideCollisionBounds(float x, float y, float z) const;
    // The effective size: bounding radius times collisionSensitivity.
    float effectiveRadius() const { return boundingRadius * collisionSensitivity; }

    // The context this renderable belongs to (nearest ancestor context, else
    // the context being ticked or drawn); null when none. The ancestor found
    // is kept until the renderable or a subtree is moved in the tree.
    Context* owningContext() const;

    void addPropertiesTo(PropertyContainer* container) override;
    void netPostReplicate() override;

    V3 position;
    V3 rotation;
    V3 scale{1.0f, 1.0f, 1.0f};
    uint32_t color = 0xFFFFFFFF;
    Skin* pSkin = nullptr;
    uint8_t bOwnsSkin = 0;
    uint8_t bHasInvXform = 0;
    uint8_t bPickable = 0;
    uint8_t bNoCulling = 0;
    uint8_t bInView = 0;
    int32_t scaleMode = SCALE_PLAIN;
    float collisionSensitivity = 1.0f;
    // The bounding circle sits with the skin and the flags: drawing and
    // culling read these together for every renderable every frame, and the
    // matrices below only when the transform changes.
    V3 boundingCentre;
    float boundingRadius = 0.0f;
    int32_t frameStamp = -1;  // frame number of the last onTransformChanged

private:
    // owningContext's ancestor, and the stamps it was found under.
    mutable Context* ancestorContext = nullptr;
    mutable uint64_t ancestorPlace = 0, ancestorMoves = 0;
    // The cosine and sine of the z rotation they were taken of: most
    // renderables keep their angle while they move, and calcXform runs for
    // every moving one every frame.
    float trigAngle = 0.0f, trigCos = 1.0f, trigSin = 0.0f;

public:
    M44 worldMatrix;
    M44 invWorldMatrix;
    bool bInvValid = false;  // invWorldMatrix belongs to the current worldMatrix
    M44 parentMatrix;
    bool bHasParent = false;
};
