#pragma once
// The winged hat, one of the pig's two tools (the other is the umbrella):
// plain cargo that she recognises by class. Carrying it gives her a second
// jump with a somersault. It is not dropped when she faints; carried, it
// turns with her facing.
#include "objects/cargo/Cargo.h"

class WingedHat : public Cargo {
    ZUB_DECLARE_CLASS(WingedHat)
public:
    WingedHat();
    ~WingedHat() override;
};
