#pragma once
// A small picture that shies away from the hero: as she comes near it
// slides back along its own downward axis (into the ground, behind a leaf)
// by three quarters of its height, and comes out again when she goes.
#include "world/A99Object.h"

class Decoration : public A99Object {
    ZUB_DECLARE_CLASS(Decoration)
public:
    // The hero's distance at which it starts to hide, and where it is gone.
    static constexpr float SHY_DISTANCE = 200.0f;
    static constexpr float HIDDEN_DISTANCE = 60.0f;
    // How far it hides, in skin heights.
    static constexpr float HIDE_DEPTH = 0.75f;

    Decoration();
    ~Decoration() override;

    // Slides between its anchor and its hiding place by the hero's
    // distance (only near the view, never while edited).
    void tick(double time, double dt) override;
    // Where it stands now is its anchor.
    void netPostReplicate() override;
    // Placed by the editor: the new place is its anchor.
    void onEdited() override;

    // Where it stands when the hero is away.
    V3 anchor;
};
