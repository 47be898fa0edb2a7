#pragma once
// The pig's two tools, plain cargo that she recognises by class: carrying
// the umbrella lets her glide, carrying the winged hat gives her a second
// jump with a somersault. Neither is dropped when she faints. Carried, both
// turn with her facing.
#include "objects/cargo/Cargo.h"

class Umbrella : public Cargo {
    ZUB_DECLARE_CLASS(Umbrella)
public:
    Umbrella();
    ~Umbrella() override;
};

class WingedHat : public Cargo {
    ZUB_DECLARE_CLASS(WingedHat)
public:
    WingedHat();
    ~WingedHat() override;
};
