#pragma once
// How far a text stands out from the picture behind it, measured on two
// captures of the same frame: one as the screen draws it and one with its
// texts left out. A text's box is where its font lays it out (its glyph
// cells); what stands behind it is the middle colour (the median of each
// channel) of the box's pixels in the capture without the texts; the measure
// is the contrast ratio of that colour and the text's colour (a
// half-transparent text's laid over it) as the web's accessibility
// guidelines define it: (L1 + 0.05) / (L2 + 0.05), L the relative luminance
// of a colour from its sRGB channels, the lighter over the darker (1 for
// equal colours, 21 for black and white).
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "util/Math.h"

class Camera;
class FontQuad;
class Renderable;

namespace contrasttest {

// The relative luminance of an ARGB colour (alpha ignored), 0 to 1.
double luminance(uint32_t colour);
// The contrast ratio of two ARGB colours (alpha ignored), 1 to 21.
double contrastRatio(uint32_t a, uint32_t b);
// An ARGB colour laid over an opaque one with its alpha: what shows.
uint32_t over(uint32_t colour, uint32_t behind);

// Pixels of a frame, rows top-down: [left, right) x [top, bottom).
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    // Wholly inside a frame of w x h pixels.
    bool within(int w, int h) const { return left >= 0 && top >= 0 && right <= w && bottom <= h; }
};
std::ostream& operator<<(std::ostream& out, const Box& b);

// The box of a text that `font` draws with `flags` at a point of the world
// `camera` looks at (unrotated; its width scaled by `scaleX` about the
// point), in a frame of w x h pixels that shows the reference screen.
Box textBox(const FontQuad& font, std::u16string_view text, int flags, const V3& at, const Camera& camera, int w, int h,
            float scaleX = 1.0f);

// The box a renderable's skin covers on the screen (empty without a skin):
// its width and height, scaled, around the skin's centre.
Box skinBox(const Renderable& r, const Camera& camera, int w, int h);
bool overlap(const Box& a, const Box& b);

// The median of each channel of the box's pixels (clipped to the frame), opaque.
uint32_t medianColour(const std::vector<uint32_t>& frame, int w, int h, const Box& box);
// How many of the box's pixels differ between two frames by more than
// `threshold` in a channel.
int pixelsThatDiffer(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int w, int h, const Box& box,
                     int threshold = 40);

// One text measured.
struct Reading {
    std::string what;
    uint32_t colour = 0;  // as given, with its alpha
    uint32_t behind = 0;
    double ratio = 0.0;
    Box box;
};
std::ostream& operator<<(std::ostream& out, const Reading& r);

// Readings of one kind of text, with the lowest kept for the report.
class Readings {
public:
    explicit Readings(std::string name) : name(std::move(name)) {}
    // Measures a text whose box is `box`: what stands behind it in `without`
    // (the capture without the texts); a failure is added when the box
    // leaves the frame or `with` shows nothing of the text in it.
    const Reading& add(std::string what, uint32_t colour, const Box& box, const std::vector<uint32_t>& with,
                       const std::vector<uint32_t>& without, int w, int h);
    // Adds a failure for every reading below `least`, and prints how many
    // texts were measured and the lowest.
    void expectAtLeast(double least) const;

    const std::vector<Reading>& all() const { return readings; }
    const Reading* lowest() const;

private:
    std::string name;
    std::vector<Reading> readings;
};

}  // namespace contrasttest
