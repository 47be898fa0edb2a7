#pragma once
// A signpost as scenery that points the player somewhere: a post with one
// of four boards (or none) that the designer can turn relative to the post.
#include <memory>

#include "world/A99Object.h"

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
