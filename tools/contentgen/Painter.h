#pragma once
// Placeholder pictures for the manifest's textures and images: every frame
// drawn as a clear, coloured shape that says what it is, labelled with its
// name and number, packed into one sheet with its skin description.
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
SheetLayout layoutSheet(const content::Frames& frames);

// Draws every frame of the entry into a sheet of the layout's size.
Canvas paintSheet(const content::Entry& entry, const SheetLayout& layout);

// The skin description text (see Texture.h): one [skinK] per frame with its
// rectangle, and its anchor and origin when they differ from the centre.
std::string skinDescription(const content::Entry& entry, const SheetLayout& layout);

// The label of frame k ("bitten 3").
std::string frameLabel(const content::Frame& frame, int index);

}  // namespace contentgen
