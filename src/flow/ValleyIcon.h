#pragma once
// A level's marker on the valley map, standing on the road. It reads the
// current profile every frame and keeps no progress of its own: hidden
// while the level is locked, the plain marker once it is unlocked (with the
// level's title above it), and once completed the rating picture of
// "valleyDot" (the last picture for a rating of 1000) with the percentage
// below it. The current level's marker sits on a selection ring and
// sparkles (graphics detail 1 or more); a perfect level wears a badge.
//
// The markers are the valley's navigation targets: a shown marker offers
// its position to the menu's key navigation.
#include <cstdint>

#include "gfx/Renderable.h"
#include "gui/CursorTarget.h"

class Texture;
struct LevelResult;

class ValleyIcon : public Renderable, public CursorTarget {
public:
    static constexpr double SPARKLE_INTERVAL = 0.25;
    static constexpr uint32_t TITLE_COLOUR = 0xFF80FF00u;
    static constexpr uint32_t SPARKLE_COLOUR = 0xFFFFCCCCu;
    // From this level on the map is wintry and the texts are outlined.
    static constexpr int32_t FIRST_WINTER_LEVEL = 24;

    // Skin "valleyIcons:0", hidden, pickable; x and y truncated.
    ValleyIcon(int32_t levelIndex, float pathPosition, const V3& position);
    ~ValleyIcon() override;

    // Shows the marker as the profile stands, sparkles, then the children.
    void tick(double time, double dt) override;
    // Sparkles, ring, marker, badge, then the texts.
    void render() override;
    // The marker on the reference screen (through the camera of the context
    // that holds it); none but anchor 0.
    V3 cursorAnchor(int index) override;

    // The current profile's record of the marker's level.
    const LevelResult& record() const;
    // The skin index of "valleyDot" for a rating (0 ... 1000) among n skins.
    static int dotSkinIndex(int32_t rating, int n);

    int32_t levelIndex;
    float pathPosition;
    double sparkleTimer = 0.0;
    Texture* pDotSkins;
};
