#pragma once
// Two small placed objects that point the player somewhere.
//
// SecretArea: an invisible trigger area at a hidden spot. The first time the
// hero comes inside it says so, counts a secret found and adds bonus points;
// it lives in the level's secret list (it joins it when it is set up), so
// the level can count its secrets.
//
// WoodSign: a signpost as scenery, a post with one of four boards (or none)
// that the designer can turn relative to the post.
#include <memory>

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

class WoodSign : public A99Object {
    ZUB_DECLARE_CLASS(WoodSign)
public:
    // Board types: none, then the frames 1-4 of "woodsign".
    static constexpr int TYPE_COUNT = 5;
    static constexpr int DEFAULT_TYPE = 1;

    WoodSign();
    ~WoodSign() override;

    // The board follows the post: its frame, its place on the post and its
    // turn relative to the post.
    void onTransformChanged() override;
    // The post, then the board.
    void renderObject() override;
    // Editor: while A is down, the board points at the pointer.
    bool onEvent(ZubEvent& ev) override;
    void addPropertiesTo(PropertyContainer* container) override;

    int32_t type = DEFAULT_TYPE;
    // The board's turn about z, relative to the post (radians).
    float decoRotationZ = 0.0f;
    std::unique_ptr<Renderable> board;

private:
    Skin* boards[TYPE_COUNT] = {};
};
