#pragma once
// The base of every menu item: a nine-slice skinned, pickable drawable with
// a caption, a hint line shown while the pointer is over it, a hover
// highlight (a second skin drawn over it) and a squash-and-stretch pulse on
// each press.
//
// Items are children of their menu and work through the pointer only (the
// menu's key navigation moves the pointer and taps with it). Each tick an
// item finds whether the pointer of the context being ticked lies on its
// skin (bHovered), fades its highlight and sets its caption colour; a press
// over an enabled item starts the pulse. Pages read and clear bClicked.
//
// The disabled and hidden flags are ZubBase's: a disabled item shows its
// disabled colour and hint and ignores presses; a hidden one is neither
// drawn nor navigated to.
//
// Caption locations (keypad): 4 left of the item, 5 centred on it (shrunk to
// fit), 6 right of it, 8 above it; any other is fatal when drawn. A caption
// on the item is dark on its light face, one beside or above it light on
// the page's dark backdrop; both turn white with the highlight.
#include <cstdint>
#include <string_view>

#include "gfx/Renderable.h"
#include "gui/CursorTarget.h"
#include "util/WString.h"

class FontQuad;
class StretchSkin;

class MenuItem : public Renderable, public CursorTarget {
    ZUB_DECLARE_CLASS(MenuItem)
public:
    // At (x, y, z), mirrored to -x for a right-to-left language; skins from
    // "gui-game-editbox" (insets 16), width 256.
    MenuItem(float x, float y, float z, std::u16string_view caption, std::u16string_view hint);
    ~MenuItem() override;

    void tick(double time, double dt) override;
    void render() override;

    // One anchor, a quarter of the skin's height below the item's centre.
    V3 cursorAnchor(int index) override;
    // Draws the item's value at a point; nothing here.
    virtual void renderValue(float x, float y, float z);
    // The item was clicked: sets bClicked and plays "mouseClick".
    virtual void onMouseClick();
    // Reads and clears bClicked: whether the item was clicked since the
    // last read (the page that reads it does so once a tick).
    bool takeClick() {
        if (!bClicked) return false;
        bClicked = 0;
        return true;
    }

    // Both skins from a sheet (skin 0 the item, skin 1 the highlight) with
    // insets left, top, right, bottom; the old ones are deleted.
    void setSkins(std::u16string_view sheet, int left, int top, int right, int bottom);
    // Both skins' width; their height stays.
    void setWidth(int width);
    // How much a text drawn in the item's font must shrink to fit the skin
    // less its height (1 when it fits or there is no room to speak of).
    float fitFactor(std::u16string_view text) const;

    float skinWidth() const;
    float skinHeight() const;
    // The colour the caption is drawn in this frame: captionCurrentColor on
    // the item, sideCaptionCurrentColor beside or above it.
    uint32_t drawnCaptionColor() const { return captionLocation == 5 ? captionCurrentColor : sideCaptionCurrentColor; }

    float baseScale = 1.0f;
    int32_t captionLocation;
    uint8_t bHovered = 0;
    WString caption;
    WString hint;
    WString disabledHint;
    uint8_t bClicked = 0;
    double highlight = 0.0;
    uint32_t captionColor = 0x80000000u;
    uint32_t captionHighlightColor = 0xFFFFFFFFu;
    uint32_t captionCurrentColor = 0;
    uint32_t captionDisabledColor = 0x40000000u;
    // A caption beside or above the item (locations 4, 6 and 8) stands on
    // the page's backdrop, the dark blurred title picture behind the menus,
    // not on the item's light face: it has light colours of its own (the
    // item's value keeps the ones above).
    uint32_t sideCaptionColor = 0xFFC8D8F0u;
    uint32_t sideCaptionHighlightColor = 0xFFFFFFFFu;
    uint32_t sideCaptionCurrentColor = 0;
    uint32_t sideCaptionDisabledColor = 0x60C8D8F0u;
    FontQuad* font = nullptr;
    Renderable highlightOverlay;
    float pulse = 0.0f;

protected:
    // A text drawn in `f` at a world point with the item's rotation, a scale
    // and a colour.
    void drawText(FontQuad* f, int flags, std::u16string_view text, const V3& at, const V3& textScale,
                  uint32_t colour) const;
};
