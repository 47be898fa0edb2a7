#pragma once
// The umbrella, one of the pig's two tools (the other is the winged hat):
// plain cargo that she recognises by class. Carrying it lets her glide. It
// is not dropped when she faints; carried, it turns with her facing.
#include "objects/cargo/Cargo.h"

class Umbrella : public Cargo {
    ZUB_DECLARE_CLASS(Umbrella)
public:
    Umbrella();
    ~Umbrella() override;
};
