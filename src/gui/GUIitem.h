#pragma once
// Themed GUI items: the plain widget family of tool screens (the level
// editor's property rows are made of them), apart from the game's menu items.
//
// A GUIitem is a framed rectangle with a caption. Its theme gives it three
// nine-slice frames cut from one skin sheet (skin 0 disabled, 1 normal,
// 2 focused), the metrics (border, insets, caption padding) and the caption
// font. The frame drawn follows the item's state at every draw: disabled
// when the item or an ancestor is disabled, focused while the focus manager's
// focus is the item, normal otherwise. Hover comes from the focus manager
// too: the caption colour moves towards captionHoverColor while the pointer
// is over the item and back when it leaves (a quarter of a second each way).
//
// Geometry: the item is centred on its position; `width` x `height` is its
// inner size and the frames are (width + 2 border) x (height + 2 border).
// Child renderables are placed in the item's space: whenever the item's
// transform changes it hands its world matrix to every child as the child's
// parent matrix, so child items move with their parent.
//
// Caption locations follow the number keypad: 4 left of the frame, 5 centred,
// 6 right of it, 8 above it; -4, -6 and -8 inside it at the left, at the
// right and at the top. Inside captions are cut to the inner width with "...",
// outside ones never. Any other location is fatal when a caption is drawn.
//
// Events: a GUIitem handles none itself. Clicks (4), drags (5) and the rest
// go to its delegate, then bubble to its parents, where a panel acts on them.
#include <cstdint>
#include <string_view>

#include "gfx/Renderable.h"
#include "util/WString.h"

class FontQuad;
class GUIitem;
class StretchSkin;
class Texture;

// The look of a family of GUI items: styles mapped to skin sheets, and the
// metrics and font the items copy when they are made. Not owned by items.
class GUItheme {
public:
    virtual ~GUItheme() = default;
    GUItheme(const GUItheme&) = delete;
    GUItheme& operator=(const GUItheme&) = delete;

    // Gives the item the frames of a style; style 0 leaves it without frames.
    // An unknown style is fatal ("Unhandled style").
    virtual void setStyle(GUIitem* item, int style) = 0;

    int32_t defaultHeight;   // height items of this theme take by default
    int32_t captionPadding;  // gap between frame and caption
    int32_t border;          // added on each side of an item's inner size
    int32_t insets[4];       // nine-slice insets (left, top, right, bottom) in texture pixels
    FontQuad* font;          // caption font (not owned)

protected:
    GUItheme(int32_t defaultHeight, int32_t captionPadding, int32_t border, int32_t inset, FontQuad* font);
    // The sheet of that name (a missing one ends the program with the
    // resource manager's message) applied to the item.
    static void applySheet(GUIitem* item, std::u16string_view sheetName);
    // A font resource by name, fatal when missing.
    static FontQuad* findFont(std::u16string_view name);
};

class GUIitem : public Renderable {
public:
    enum CaptionLocation : int32_t {
        CAPTION_LEFT = 4,
        CAPTION_CENTRE = 5,
        CAPTION_RIGHT = 6,
        CAPTION_ABOVE = 8,
        CAPTION_INSIDE_LEFT = -4,
        CAPTION_INSIDE_RIGHT = -6,
        CAPTION_INSIDE_TOP = -8,
    };
    // The width limit of outside captions: never cut.
    static constexpr float UNLIMITED_CAPTION_WIDTH = 9999.0f;

    // An item of the theme's metrics and font, styled by the theme, with an
    // inner size of 0 x 0. The theme must outlive the item.
    GUIitem(GUItheme* theme, int style);
    ~GUIitem() override;

    // Hover, highlight and caption colour of this frame, after the children.
    void tick(double time, double dt) override;
    // Nothing when hidden; else the state's frame, the caption, the children.
    void render() override;
    // Also hands the new world matrix to every child renderable.
    void onTransformChanged() override;

    // The inner size; the frames follow it.
    void setSize(int w, int h);
    // Replaces the frames with nine-slice frames of the sheet's skins 0, 1
    // and 2 (disabled, normal, focused) with the item's insets.
    void applyThemeStyle(Texture* sheet);
    // Adds the child as the last child and places it in the item's space.
    void appendChild(ZubBase* child);

    // The item or one of its ancestors is disabled.
    bool isDisabled() const;
    // The focus manager's focus is this item.
    bool hasFocus() const;
    // The frame of the current state (null for an item without frames).
    StretchSkin* frameForState() const;
    // The offset from the item's centre and the text flags of a caption
    // location for a frame of w x h and a padding; false for an unknown
    // location.
    static bool captionPlacement(int location, float w, float h, float padding, V3& offset, int& flags);

    int32_t captionLocation = CAPTION_CENTRE;
    uint8_t bHovered = 0;  // the focus manager's hover object is this item (each tick)
    WString caption;
    int32_t width = 0, height = 0;  // inner size
    int32_t border;
    int32_t insets[4];
    GUItheme* theme;                     // not owned
    StretchSkin* normalFrame = nullptr;  // the three frames, owned
    StretchSkin* focusedFrame = nullptr;
    StretchSkin* disabledFrame = nullptr;
    double highlight = 0.0;  // hover highlight, 0 to 1
    uint32_t captionColor = 0xFF747A80;
    uint32_t captionHoverColor = 0xFFCC8B00;
    uint32_t captionCurrentColor = 0xFFFFFFFF;
    uint32_t captionDisabledColor = 0x80747A80;
    FontQuad* font;  // not owned

private:
    void deleteFrames();
};
