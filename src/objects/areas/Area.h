#pragma once
// An invisible region of a level, a rectangle or a circle, that gives the
// ground inside it a kind: ground that slows the pig, water, mud, acid or
// danger. Objects ask which area holds them (A99Object::findContainingArea
// searches the level's danger-area list, where areas live) and act by its
// type (AreaType, world/AreaQuery.h): the pig moves more slowly in slow
// ground, water and mud and is knocked away in acid and danger, apples spoil
// in mud and acid, cargo resting in acid or danger is lost.
//
// The area itself splashes when a body passes through its outline (its
// pass-through hull) into water or mud, and a danger circle pushes loose
// apples out of itself every tick. It is drawn only in the level editor,
// tinted by its type.
//
// Extent: the rectangle is the skin's width by its height in the area's
// local frame (the skin's centred space, before scale and rotation); the
// circle's radius is half the skin's width, scaled by the x scale (a circle
// keeps a uniform scale).
#include <cstdint>

#include "objects/Level.h"
#include "world/A99Object.h"
#include "world/AreaQuery.h"

class Area : public A99Object, public AreaQuery {
    ZUB_DECLARE_CLASS(Area)
public:
    // A danger circle pushes the apples inside it outward at this speed.
    static constexpr float APPLE_PUSH = 192.0f;
    // Bodies whose effective size (bounding radius x collision sensitivity)
    // is above this make the large splash.
    static constexpr float LARGE_SPLASH_SIZE = 30.0f;
    // The edges of the outline round a circle (local_createOutline).
    static constexpr int CIRCLE_OUTLINE_EDGES = 16;

    Area();
    ~Area() override;

    // The apple push of a danger circle (never while the level is edited).
    void tick(double time, double dt) override;
    // Areas belong to the danger-area list (the list just before the object
    // list), where the level looks for the area around a point.
    ZubBase* namedOwnerList() const override;
    // Only while the level editor is on.
    void renderObject() override;
    // Also tells the area indexes that an area's bounds moved.
    void calcBoundingCircle() override;
    // The editor skin of the shape (a circle's scale made uniform) and the
    // tint of the type.
    void onEdited() override;
    // Water and mud splash where the body crossed the outline.
    void onHullCrossed(A99Object* mover, Xsect* xsect) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // --- AreaQuery -------------------------------------------------------------------
    // The object's bounding circle (radius x its collision sensitivity)
    // touches the area; beyond a rectangle's corner the test is an ellipse
    // scaled by the rectangle's half extents.
    bool containsObject(A99Object* o) override;
    bool containsPoint(const V3& p) override;
    int getAreaType() const override { return areaType; }

    // Builds the outline (once: nothing when the area has a hull): a
    // pass-through hull along the rectangle's edges or round the circle,
    // wound clockwise so that every segment faces outward and a body
    // entering the area crosses it.
    void local_createOutline();

    // The editor tint of a type.
    static uint32_t tintOf(int type);

    bool bRectangularArea = false;
    int32_t areaType = AREA_NONE;  // an AreaType

private:
    void pushApples();
};
