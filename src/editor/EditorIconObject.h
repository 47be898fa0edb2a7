#pragma once
// One icon of the resource picker: a drawable showing a resource (a skin as
// itself, anything else as the editor's icon) and the resource's name. Each
// frame it notes whether the pointer is over its drawable.
#include <cstdint>

#include "gfx/Renderable.h"
#include "util/WString.h"

class EditorIconObject : public ZubBase {
public:
    explicit EditorIconObject(const WString& name);
    ~EditorIconObject() override;

    // Children, then the hover test at the current context's pointer.
    void tick(double time, double dt) override;
    // Children, then the drawable (nothing while it is hidden).
    void render() override;

    Renderable drawable;
    WString name;
    uint8_t bHovered = 0;
};
