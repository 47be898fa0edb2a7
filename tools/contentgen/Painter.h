#pragma once
// The pictures of the manifest's textures and images: every frame drawn as a
// clear, coloured shape or symbol that shows what it is, packed into one
// sheet with its skin description. Frames carry no writing: the only words
// drawn are the titles of the two logos (the product's and the maker's
// name).
#include <string>
#include <vector>

#include "Canvas.h"
#include "Manifest.h"

namespace contentgen {

struct FrameRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct SheetLayout {
    int width = 0, height = 0;
    std::vector<FrameRect> rects;  // one per frame, in skin order
};

// Places the frames in rows, 2 pixels apart; a single frame fills the sheet.
// A frame's edge rows (Frame::edgeRows) lie above and below it.
SheetLayout layoutSheet(const content::Frames& frames);

// Draws every frame of the entry into a sheet of the layout's size.
Canvas paintSheet(const content::Entry& entry, const SheetLayout& layout);

// The skin description text (see Texture.h): one [skinK] per frame with its
// rectangle, and its anchor and origin when they differ from the centre.
std::string skinDescription(const content::Entry& entry, const SheetLayout& layout);

// The name of frame k ("bitten 3"), for lists and contact sheets.
std::string frameLabel(const content::Frame& frame, int index);

}  // namespace contentgen
