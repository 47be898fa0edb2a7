#pragma once
// A bending plant (VegetationBend) the hero brushes past. It leans away from
// her side and, with bSaveSnapshot, makes its place her respawn point and
// the level's checkpoint (with a sound when the checkpoint changes).
#include "objects/scenery/VegetationBend.h"

class SaveProgressTrigger : public VegetationBend {
    ZUB_DECLARE_CLASS(SaveProgressTrigger)
public:
    // The push of the hero passing through: from -LEAN at her far left to
    // +LEAN at her far right.
    static constexpr float LEAN = 2.0f;

    SaveProgressTrigger();
    ~SaveProgressTrigger() override;

    // The plant's tick, then, while the hero touches it, the lean and the
    // checkpoint.
    void tick(double time, double dt) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Makes its place her respawn point and the level's checkpoint.
    bool bSaveSnapshot = false;
};
