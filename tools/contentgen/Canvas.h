#pragma once
// A 32-bit ARGB picture (0xAARRGGBB, rows top-down) with the drawing the
// generated art needs: shapes with anti-aliased edges (3 x 3 samples per
// pixel), gradients, lettering in an outline font (for the titles of the
// logos), a tiny built-in 3 x 5 pixel font (for the contact sheets' labels),
// and TGA encoding. Everything is integer-seeded and deterministic.
//
// The canvas remembers every piece of writing put on it, so that a check can
// tell pictures with words in them from pictures without.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class FontRasterizer;
}

namespace contentgen {

// Colour helpers.
uint32_t argb(int a, int r, int g, int b);
inline int alphaOf(uint32_t c) { return static_cast<int>(c >> 24); }
inline int redOf(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int greenOf(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int blueOf(uint32_t c) { return static_cast<int>(c & 0xFF); }
// Scales r, g and b by f (clamped), keeping alpha.
uint32_t shade(uint32_t c, double f);
// a + (b - a) t per channel, alpha included.
uint32_t mix(uint32_t a, uint32_t b, double t);
uint32_t withAlpha(uint32_t c, int alpha);

// A small deterministic generator (the same numbers on every machine).
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state(seed ? seed : 1u) {}
    uint32_t next();
    // In [0, 1).
    double unit();
    // In [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }

private:
    uint32_t state;
};
uint32_t hashOf(std::string_view text);

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, uint32_t fill = 0);

    int width() const { return w; }
    int height() const { return h; }
    const std::vector<uint32_t>& pixels() const { return px; }
    std::vector<uint32_t>& pixels() { return px; }

    uint32_t get(int x, int y) const;
    void set(int x, int y, uint32_t c);
    // Draws c over the pixel with its alpha times `cover` (0-1).
    void blend(int x, int y, uint32_t c, double cover = 1.0);

    // The drawing area: coordinates below are relative to the clip's top
    // left, and nothing outside it changes.
    void setClip(int x, int y, int cw, int ch);
    void clearClip() { setClip(0, 0, w, h); }
    int clipW() const { return cw_; }
    int clipH() const { return ch_; }

    void fillRect(double x, double y, double rw, double rh, uint32_t c);
    void fillRoundRect(double x, double y, double rw, double rh, double radius, uint32_t c);
    // A frame `thickness` wide inside the rectangle.
    void strokeRoundRect(double x, double y, double rw, double rh, double radius, double thickness, uint32_t c);
    void fillEllipse(double cx, double cy, double rx, double ry, uint32_t c);
    void strokeEllipse(double cx, double cy, double rx, double ry, double thickness, uint32_t c);
    // A rotated ellipse (angle in radians, counter-clockwise on screen).
    void fillEllipseRotated(double cx, double cy, double rx, double ry, double angle, uint32_t c);
    // A polygon, even-odd; points as x0, y0, x1, y1 ...
    void fillPolygon(const std::vector<double>& xy, uint32_t c);
    // Cuts a hole: what lies inside the ellipse becomes transparent (its
    // edge partly so), as if it had never been drawn there.
    void eraseEllipse(double cx, double cy, double rx, double ry);
    // A line with round ends.
    void line(double x0, double y0, double x1, double y1, double width, uint32_t c);
    // A soft disc: alpha falls from the centre to the edge.
    void softDisc(double cx, double cy, double r, uint32_t c);
    // Vertical gradient over the clip from top to bottom colour.
    void verticalGradient(uint32_t top, uint32_t bottom);
    // Everything below the curve y = top(x) (x in pixel columns of the clip),
    // with an anti-aliased top edge; the colour may darken downward.
    template <class F>
    void fillBelow(F top, uint32_t c, uint32_t bottom) {
        for (int x = 0; x < cw_; ++x) {
            const double t = top(x + 0.5);
            for (int y = 0; y < ch_; ++y) {
                const double cover = clamp01(y + 1.0 - t);
                if (cover <= 0.0) continue;
                const double f = ch_ > 1 ? static_cast<double>(y) / (ch_ - 1) : 0.0;
                blend(x, y, mix(c, bottom, f), cover);
            }
        }
    }

    // Tiny text: 3 x 5 glyphs at `scale`, advance 4 x scale, with a dark
    // outline when `outline` is set. Lower case prints as upper case.
    void text(int x, int y, std::string_view s, int scale, uint32_t c, bool outline = true);
    static int textWidth(std::string_view s, int scale);
    static constexpr int kGlyphHeight = 5;

    // Lettering in an outline font: the fill runs from `top` to `bottom`
    // over the letters' height, with an outline `outlineWidth` pixels wide
    // and a shadow offset by (shadowDx, shadowDy) when their colours are
    // not transparent.
    struct LetteringStyle {
        uint32_t top = 0xFFFFFFFF, bottom = 0xFFFFFFFF;
        uint32_t outline = 0;
        double outlineWidth = 0.0;
        uint32_t shadow = 0;
        int shadowDx = 0, shadowDy = 0;
    };
    // `s` is Latin-1 text; x is the pen's start, `baseline` the baseline row.
    void lettering(platform::FontRasterizer& font, int x, int baseline, std::string_view s,
                   const LetteringStyle& style);
    // The pen advance of the text in the font.
    static int letteringWidth(platform::FontRasterizer& font, std::string_view s);

    // Every text written on the canvas (by `text` and `lettering`), in order.
    const std::vector<std::string>& writings() const { return writings_; }

    // Box blur of the clip, `radius` pixels, `passes` times.
    void blur(int radius, int passes);

    // A 32-bit run-length-encoded TGA, top-left origin, 8 alpha bits.
    std::vector<uint8_t> encodeTga() const;

private:
    template <class F>
    void cover(double x0, double y0, double x1, double y1, F inside, uint32_t c);
    static double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

    int w = 0, h = 0;
    int cx_ = 0, cy_ = 0, cw_ = 0, ch_ = 0;
    // While set, the shapes cut their cover out of the alpha instead of
    // drawing (eraseEllipse).
    bool erasing_ = false;
    std::vector<uint32_t> px;
    std::vector<std::string> writings_;
};

}  // namespace contentgen
