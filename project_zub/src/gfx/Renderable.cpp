#include "gfx/Renderable.h"

#include <cmath>

#include "gfx/Context.h"
#include "gfx/RenderCounters.h"
#include "gfx/ZubGraphics.h"
#include "object/Property.h"

ZUB_IMPLEMENT_NAMED_CLASS(Renderable, ZubBase, u"Renderable")

Renderable::Renderable()
    : worldMatrix(M44::identity()), invWorldMatrix(M44::identity()), parentMatrix(M44::identity()) {}

Renderable::Renderable(Skin* skin, const V3& p) : Renderable() {
    pSkin = skin;
    position = p;
    Renderable::onTransformChanged();
}

Renderable::~Renderable() {
    if (bOwnsSkin && pSkin) {
        Skin* s = pSkin;
        pSkin = nullptr;
        deleteObject(s);
    }
}

// ---------------------------------------------------------------------------
// Drawing

void Renderable::render() {
    if (bHidden) return;
    renderSelf();
    ZubBase::render();
}

void Renderable::renderSelf() {
    if (!pSkin) return;
    ++renderCounters.renderablesTotal;
    if (!updateInView()) return;
    ++renderCounters.renderablesVisible;
    pSkin->draw(this);
}

void Renderable::renderInParent(const M44& parentWorld) {
    setParentMatrix(parentWorld);
    render();
}

bool Renderable::updateInView() {
    if (bNoCulling) {
        bInView = 1;
        return true;
    }
    const Context* c = Context::environment.current;
    if (!c || !c->camera) {
        bInView = 1;
        return true;
    }
    const ViewRect r = c->camera->getCullRect(boundingCentre.z);
    // The distance from the circle's centre to the rectangle.
    const float cx = boundingCentre.x, cy = boundingCentre.y;
    float dx = 0.0f, dy = 0.0f;
    if (cx < r.left) dx = r.left - cx;
    else if (cx > r.right) dx = cx - r.right;
    if (cy < r.bottom) dy = r.bottom - cy;
    else if (cy > r.top) dy = cy - r.top;
    const bool visible = r.left <= r.right && r.bottom <= r.top && dx * dx + dy * dy <= boundingRadius * boundingRadius;
    bInView = visible ? 1 : 0;
    return visible;
}

// ---------------------------------------------------------------------------
// Fields

void Renderable::setSkin(Skin* skin) {
    pSkin = skin;
    onTransformChanged();
}

void Renderable::setPosition(const V3& p) {
    position = p;
    onTransformChanged();
}

void Renderable::setRotation(const V3& r) {
    rotation = r;
    onTransformChanged();
}

void Renderable::setRotationZ(float angle) {
    rotation.z = angle;
    onTransformChanged();
}

void Renderable::setScaleV(const V3& s) {
    scale = s;
    onTransformChanged();
}

void Renderable::setScale(float s) {
    scale.x = s;
    scale.y = s;
    onTransformChanged();
}

void Renderable::setFields(Skin* skin, const V3* p, const V3* r, const V3* s, const uint32_t* c) {
    if (skin) pSkin = skin;
    if (p) position = *p;
    if (r) rotation = *r;
    if (s) scale = *s;
    if (c) color = *c;
    onTransformChanged();
}

// ---------------------------------------------------------------------------
// Transform

void Renderable::onTransformChanged() {
    ++renderCounters.updateVisuals;
    frameStamp = renderCounters.frameNumber;
    calcXform();
    calcBoundingCircle();
}

void Renderable::calcXform() {
    V3 s = scale;
    if (scaleMode == SCALE_ASPECT) {
        if (ZubGraphics* g = ZubGraphics::active()) s.y *= g->aspectRatio;
    } else if (scaleMode == SCALE_PIXELS) {
        if (ZubGraphics* g = ZubGraphics::active()) s *= g->pixelToDesign();
    }
    const V3 o = pSkin ? pSkin->origin : V3();
    M44 m;
    if (rotation.x == 0.0f && rotation.y == 0.0f) {
        // The usual case, written out: translate(-o) . scale . rotZ . translate(p).
        // The same angle gives the same values: taken again only when it changed.
        if (!(rotation.z == trigAngle) || std::signbit(rotation.z) != std::signbit(trigAngle)) {
            trigAngle = rotation.z;
            trigCos = std::cos(rotation.z);
            trigSin = std::sin(rotation.z);
        }
        const float c = trigCos, sn = trigSin;
        m = M44::identity();
        m.m[0][0] = s.x * c;
        m.m[0][1] = s.x * sn;
        m.m[1][0] = -s.y * sn;
        m.m[1][1] = s.y * c;
        m.m[2][2] = s.z;
        m.m[3][0] = -o.x * m.m[0][0] - o.y * m.m[1][0] + position.x;
        m.m[3][1] = -o.x * m.m[0][1] - o.y * m.m[1][1] + position.y;
        m.m[3][2] = -o.z * s.z + position.z;
        if (!bHasParent && bHasInvXform && s.x != 0.0f && s.y != 0.0f && s.z != 0.0f && std::isfinite(s.x) &&
            std::isfinite(s.y) && std::isfinite(s.z)) {
            // Its inverse written out too: local = (world - position) . rotate(-a) . scale(1/s) + origin.
            // Exact where the general inverse would round, so points at whole
            // positions map back to whole positions.
            worldMatrix = m;
            M44& inv = invWorldMatrix;
            inv = M44::identity();
            inv.m[0][0] = c / s.x;
            inv.m[0][1] = -sn / s.y;
            inv.m[1][0] = sn / s.x;
            inv.m[1][1] = c / s.y;
            inv.m[2][2] = 1.0f / s.z;
            inv.m[3][0] = o.x - (position.x * inv.m[0][0] + position.y * inv.m[1][0]);
            inv.m[3][1] = o.y - (position.x * inv.m[0][1] + position.y * inv.m[1][1]);
            inv.m[3][2] = o.z - position.z * inv.m[2][2];
            ++renderCounters.matrixInversions;
            bInvValid = true;
            return;
        }
    } else {
        m = M44::translation(-o.x, -o.y, -o.z) * M44::scaling(s.x, s.y, s.z) * M44::rotationX(rotation.x) *
            M44::rotationY(rotation.y) * M44::rotationZ(rotation.z) * M44::translation(position);
    }
    worldMatrix = bHasParent ? m * parentMatrix : m;
    bInvValid = false;
    if (bHasInvXform) {
        bool ok = false;
        invWorldMatrix = M44::inverse(worldMatrix, &ok);
        ++renderCounters.matrixInversions;
        bInvValid = ok;
    }
}

void Renderable::calcBoundingCircle() {
    const float(&w)[4][4] = worldMatrix.m;
    boundingCentre = V3(w[3][0], w[3][1], w[3][2]);
    if (!pSkin) {
        boundingRadius = 0.0f;
        return;
    }
    // Corners are centre +- a +- b with a, b the transformed half axes.
    const float hw = pSkin->width * 0.5f, hh = pSkin->height * 0.5f;
    const V3 a(w[0][0] * hw, w[0][1] * hw, w[0][2] * hw);
    const V3 b(w[1][0] * hh, w[1][1] * hh, w[1][2] * hh);
    const float r2 = std::fmax((a + b).lengthSquared(), (a - b).lengthSquared());
    boundingRadius = std::sqrt(r2);
}

void Renderable::setParentMatrix(const float m[16]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) parentMatrix.m[r][c] = m[4 * r + c];
    bHasParent = true;
    onTransformChanged();
}

void Renderable::setParentMatrix(const M44& m) { setParentMatrix(&m.m[0][0]); }

void Renderable::clearParentMatrix() {
    parentMatrix = M44::identity();
    bHasParent = false;
    onTransformChanged();
}

void Renderable::localToWorld(V3& out, const V3& p) const { out = worldMatrix.transformCoord(p); }

void Renderable::world2local(V3& out, const V3& p) const {
    if (bInvValid) {
        out = invWorldMatrix.transformCoord(p);
        return;
    }
    ++renderCounters.matrixInversions;
    out = M44::inverse(worldMatrix).transformCoord(p);
}

// ---------------------------------------------------------------------------
// Tests

bool Renderable::isPointInside(float x, float y, float z) const {
    if (!pSkin) return false;
    V3 local;
    world2local(local, V3(x, y, z));
    return pSkin->isPointInside(pSkin->undeformPoint(local));
}

Context* Renderable::owningContext() const {
    if (!parent) return Context::environment.current;
    if (ancestorPlace != placeStamp() || ancestorMoves != subtreeMoveStamp()) {
        ancestorContext = nullptr;
        for (ZubBase* o = parent; o; o = o->parent)
            if (Context* c = zub_cast<Context>(o)) {
                ancestorContext = c;
                break;
            }
        ancestorPlace = placeStamp();
        ancestorMoves = subtreeMoveStamp();
    }
    return ancestorContext ? ancestorContext : Context::environment.current;
}

bool Renderable::isUnderMouse() {
    if (bHidden || !bPickable || bNoCulling) return false;
    if (!bHasInvXform) {
        bHasInvXform = 1;
        onTransformChanged();
    }
    Context* ctx = owningContext();
    if (!ctx) return false;
    V3 p = ctx->mousePosition;
    // The context's mouse position lies at depth 0: follow the view ray to
    // this renderable's depth.
    if (ctx->camera && boundingCentre.z != p.z) {
        const V3 eye = ctx->camera->eye;
        const float d0 = p.z - eye.z;
        if (d0 != 0.0f) {
            const float k = (boundingCentre.z - eye.z) / d0;
            p = V3(eye.x + (p.x - eye.x) * k, eye.y + (p.y - eye.y) * k, boundingCentre.z);
        }
    }
    return isPointInside(p.x, p.y, p.z);
}

bool Renderable::collide(Renderable* other) {
    ++renderCounters.collisionChecks;
    if (!other) return false;
    return V3::isWithinDistance(boundingCentre, other->boundingCentre, effectiveRadius() + other->effectiveRadius());
}

bool Renderable::boundsIntersecting(const Renderable* other) const {
    if (!other) return false;
    return V3::isWithinDistance(boundingCentre, other->boundingCentre, boundingRadius + other->boundingRadius);
}

bool Renderable::isPointInsideCollisionBounds(float x, float y, float z) const {
    return V3::isWithinDistance(boundingCentre, V3(x, y, z), effectiveRadius());
}

// ---------------------------------------------------------------------------
// Properties

void Renderable::addPropertiesTo(PropertyContainer* container) {
    ZubBase::addPropertiesTo(container);
    addPropertyV3(container, u"position", 0, &position, "where it stands, in world units (y up)");
    addPropertyV3(container, u"rotation", 0, &rotation, "its rotation in radians (level objects turn about z)");
    addPropertyV3(container, u"scale", 0, &scale, "its size as factors along x, y and z (a negative x mirrors it)");
    container->add(new PropertyUColor(u"color", 0, &color),
                   "its tint and opacity as ARGB (0xFFFFFFFF: drawn as it is)");
    container->add(new PropertyPointer(u"pSkin", PROP_RESOURCE, &pSkin, &Skin::classRecord),
                   "the picture it is drawn with (sheet:frame)");
    container->add(new PropertyFloat(u"collisionSensitivity", 0, &collisionSensitivity),
                   "how near counts as touching it, as a factor of its bounding radius");
}

void Renderable::netPostReplicate() {
    ZubBase::netPostReplicate();
    onTransformChanged();
}
