#pragma once
// An invisible trigger area at a hidden spot. The first time the hero comes
// inside it says so, counts a secret found and adds bonus points; it lives
// in the level's secret list (it joins it when it is set up), so the level
// can count its secrets.
#include "objects/triggers/TriggerArea.h"

class SecretArea : public TriggerArea {
    ZUB_DECLARE_CLASS(SecretArea)
public:
    // The points a find is worth, and how long its message stays.
    static constexpr int32_t BONUS_POINTS = 5000;
    static constexpr double MESSAGE_TIME = 2.0;

    SecretArea();
    ~SecretArea() override;

    // The first visit: the sound, the message, one secret and the points. A
    // score that would pass the largest int becomes 0.
    void onHeroEnter() override;
    // The level's secret list (the secrets the level counts).
    ZubBase* namedOwnerList() const override;

    // Found in this run of the level (not saved: every load starts unfound).
    uint8_t bFound = 0;
};
