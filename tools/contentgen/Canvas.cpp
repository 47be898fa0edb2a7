#include "Canvas.h"

#include <algorithm>
#include <cmath>

#include "platform/FontRasterizer.h"

namespace contentgen {

namespace {

int clampByte(double v) { return v < 0.0 ? 0 : (v > 255.0 ? 255 : static_cast<int>(v + 0.5)); }

// The 3 x 5 glyphs, rows top-down, three bits each (bit 2 = left column).
struct Glyph {
    char c;
    const char* rows;  // 15 characters of '0' and '1'
};
constexpr Glyph kGlyphs[] = {
    {'0', "111101101101111"}, {'1', "010110010010111"}, {'2', "111001111100111"}, {'3', "111001111001111"},
    {'4', "101101111001001"}, {'5', "111100111001111"}, {'6', "111100111101111"}, {'7', "111001010010010"},
    {'8', "111101111101111"}, {'9', "111101111001111"}, {'A', "010101111101101"}, {'B', "110101110101110"},
    {'C', "011100100100011"}, {'D', "110101101101110"}, {'E', "111100110100111"}, {'F', "111100110100100"},
    {'G', "011100101101011"}, {'H', "101101111101101"}, {'I', "111010010010111"}, {'J', "001001001101010"},
    {'K', "101101110101101"}, {'L', "100100100100111"}, {'M', "101111111101101"}, {'N', "111101101101101"},
    {'O', "010101101101010"}, {'P', "110101110100100"}, {'Q', "010101101110011"}, {'R', "110101110101101"},
    {'S', "011100010001110"}, {'T', "111010010010010"}, {'U', "101101101101111"}, {'V', "101101101101010"},
    {'W', "101101111111101"}, {'X', "101101010101101"}, {'Y', "101101010010010"}, {'Z', "111001010100111"},
    {'-', "000000111000000"}, {':', "000010000010000"}, {'.', "000000000000010"}, {'/', "001001010100100"},
    {'%', "101001010100101"}, {'#', "101111101111101"}, {'(', "001010010010001"}, {')', "100010010010100"},
    {'+', "000010111010000"}, {',', "000000000010100"}, {'_', "000000000000111"}, {'\'', "010010000000000"},
    {'!', "010010010000010"}, {'?', "110001010000010"}, {'=', "000111000111000"}, {'<', "001010100010001"},
    {'>', "100010001010100"}, {'*', "000101010101000"}, {'|', "010010010010010"},
};

const char* glyphRows(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return g.rows;
    return nullptr;
}

}  // namespace

uint32_t argb(int a, int r, int g, int b) {
    return static_cast<uint32_t>(std::clamp(a, 0, 255)) << 24 | static_cast<uint32_t>(std::clamp(r, 0, 255)) << 16 |
           static_cast<uint32_t>(std::clamp(g, 0, 255)) << 8 | static_cast<uint32_t>(std::clamp(b, 0, 255));
}

uint32_t shade(uint32_t c, double f) {
    return argb(alphaOf(c), clampByte(redOf(c) * f), clampByte(greenOf(c) * f), clampByte(blueOf(c) * f));
}

uint32_t mix(uint32_t a, uint32_t b, double t) {
    auto m = [t](int x, int y) { return clampByte(x + (y - x) * t); };
    return argb(m(alphaOf(a), alphaOf(b)), m(redOf(a), redOf(b)), m(greenOf(a), greenOf(b)), m(blueOf(a), blueOf(b)));
}

uint32_t withAlpha(uint32_t c, int alpha) {
    return (c & 0x00FFFFFFu) | static_cast<uint32_t>(std::clamp(alpha, 0, 255)) << 24;
}

uint32_t Lcg::next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

double Lcg::unit() { return static_cast<double>(next()) / 16777216.0; }

uint32_t hashOf(std::string_view text) {
    uint32_t h = 2166136261u;
    for (char c : text) {
        h ^= static_cast<uint8_t>(c);
        h *= 16777619u;
    }
    return h;
}

Canvas::Canvas(int width, int height, uint32_t fill)
    : w(width), h(height), px(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {
    clearClip();
}

uint32_t Canvas::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= cw_ || y >= ch_) return 0;
    return px[static_cast<size_t>(y + cy_) * static_cast<size_t>(w) + static_cast<size_t>(x + cx_)];
}

void Canvas::set(int x, int y, uint32_t c) {
    if (x < 0 || y < 0 || x >= cw_ || y >= ch_) return;
    px[static_cast<size_t>(y + cy_) * static_cast<size_t>(w) + static_cast<size_t>(x + cx_)] = c;
}

void Canvas::blend(int x, int y, uint32_t c, double coverage) {
    if (x < 0 || y < 0 || x >= cw_ || y >= ch_) return;
    uint32_t& d = px[static_cast<size_t>(y + cy_) * static_cast<size_t>(w) + static_cast<size_t>(x + cx_)];
    const double sa = alphaOf(c) / 255.0 * clamp01(coverage);
    if (sa <= 0.0) return;
    const double da = alphaOf(d) / 255.0;
    const double oa = sa + da * (1.0 - sa);
    if (oa <= 0.0) {
        d = 0;
        return;
    }
    auto ch = [&](int s, int t) { return (s * sa + t * da * (1.0 - sa)) / oa; };
    d = argb(clampByte(oa * 255.0), clampByte(ch(redOf(c), redOf(d))), clampByte(ch(greenOf(c), greenOf(d))),
             clampByte(ch(blueOf(c), blueOf(d))));
}

void Canvas::setClip(int x, int y, int cw, int ch) {
    cx_ = std::clamp(x, 0, w);
    cy_ = std::clamp(y, 0, h);
    cw_ = std::clamp(cw, 0, w - cx_);
    ch_ = std::clamp(ch, 0, h - cy_);
}

template <class F>
void Canvas::cover(double x0, double y0, double x1, double y1, F inside, uint32_t c) {
    const int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
    const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
    const int ix1 = std::min(cw_, static_cast<int>(std::ceil(x1)));
    const int iy1 = std::min(ch_, static_cast<int>(std::ceil(y1)));
    for (int y = iy0; y < iy1; ++y)
        for (int x = ix0; x < ix1; ++x) {
            int n = 0;
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx)
                    if (inside(x + (sx + 0.5) / 3.0, y + (sy + 0.5) / 3.0)) ++n;
            if (!n) continue;
            if (!erasing_) {
                blend(x, y, c, n / 9.0);
                continue;
            }
            uint32_t& d = px[static_cast<size_t>(y + cy_) * static_cast<size_t>(w) + static_cast<size_t>(x + cx_)];
            d = withAlpha(d, clampByte(alphaOf(d) * (1.0 - n / 9.0)));
        }
}

void Canvas::fillRect(double x, double y, double rw, double rh, uint32_t c) {
    cover(
        x, y, x + rw, y + rh, [&](double px_, double py) { return px_ >= x && px_ < x + rw && py >= y && py < y + rh; },
        c);
}

namespace {
bool inRoundRect(double px, double py, double x, double y, double w, double h, double r) {
    if (px < x || py < y || px >= x + w || py >= y + h) return false;
    r = std::min(r, std::min(w, h) / 2.0);
    const double qx = std::max(std::max(x + r - px, px - (x + w - r)), 0.0);
    const double qy = std::max(std::max(y + r - py, py - (y + h - r)), 0.0);
    return qx * qx + qy * qy <= r * r;
}
}  // namespace

void Canvas::fillRoundRect(double x, double y, double rw, double rh, double radius, uint32_t c) {
    cover(
        x, y, x + rw, y + rh, [&](double px_, double py) { return inRoundRect(px_, py, x, y, rw, rh, radius); }, c);
}

void Canvas::strokeRoundRect(double x, double y, double rw, double rh, double radius, double t, uint32_t c) {
    cover(
        x, y, x + rw, y + rh,
        [&](double px_, double py) {
            return inRoundRect(px_, py, x, y, rw, rh, radius) &&
                   !inRoundRect(px_, py, x + t, y + t, rw - 2 * t, rh - 2 * t, std::max(0.0, radius - t));
        },
        c);
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, uint32_t c) {
    if (rx <= 0 || ry <= 0) return;
    cover(
        cx - rx, cy - ry, cx + rx, cy + ry,
        [&](double x, double y) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            return dx * dx + dy * dy <= 1.0;
        },
        c);
}

void Canvas::eraseEllipse(double cx, double cy, double rx, double ry) {
    erasing_ = true;
    fillEllipse(cx, cy, rx, ry, 0xFF000000u);
    erasing_ = false;
}

void Canvas::strokeEllipse(double cx, double cy, double rx, double ry, double t, uint32_t c) {
    if (rx <= 0 || ry <= 0) return;
    const double ix = rx - t, iy = ry - t;
    cover(
        cx - rx, cy - ry, cx + rx, cy + ry,
        [&](double x, double y) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            if (dx * dx + dy * dy > 1.0) return false;
            if (ix <= 0 || iy <= 0) return true;
            const double ex = (x - cx) / ix, ey = (y - cy) / iy;
            return ex * ex + ey * ey > 1.0;
        },
        c);
}

void Canvas::fillEllipseRotated(double cx, double cy, double rx, double ry, double angle, uint32_t c) {
    if (rx <= 0 || ry <= 0) return;
    const double r = std::max(rx, ry);
    const double cs = std::cos(angle), sn = std::sin(angle);
    cover(
        cx - r, cy - r, cx + r, cy + r,
        [&](double x, double y) {
            const double dx = x - cx, dy = cy - y;  // y up
            const double u = (dx * cs + dy * sn) / rx, v = (-dx * sn + dy * cs) / ry;
            return u * u + v * v <= 1.0;
        },
        c);
}

void Canvas::fillPolygon(const std::vector<double>& xy, uint32_t c) {
    if (xy.size() < 6) return;
    double x0 = xy[0], x1 = xy[0], y0 = xy[1], y1 = xy[1];
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        x0 = std::min(x0, xy[i]);
        x1 = std::max(x1, xy[i]);
        y0 = std::min(y0, xy[i + 1]);
        y1 = std::max(y1, xy[i + 1]);
    }
    const size_t n = xy.size() / 2;
    cover(
        x0, y0, x1, y1,
        [&](double x, double y) {
            bool in = false;
            for (size_t i = 0, j = n - 1; i < n; j = i++) {
                const double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
                if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
            }
            return in;
        },
        c);
}

void Canvas::line(double x0, double y0, double x1, double y1, double width, uint32_t c) {
    const double r = width / 2.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double len2 = dx * dx + dy * dy;
    cover(
        std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r, std::max(y0, y1) + r,
        [&](double x, double y) {
            double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = x0 + t * dx - x, ey = y0 + t * dy - y;
            return ex * ex + ey * ey <= r * r;
        },
        c);
}

void Canvas::softDisc(double cx, double cy, double r, uint32_t c) {
    const int x0 = std::max(0, static_cast<int>(cx - r)), x1 = std::min(cw_, static_cast<int>(cx + r) + 1);
    const int y0 = std::max(0, static_cast<int>(cy - r)), y1 = std::min(ch_, static_cast<int>(cy + r) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / r;
            if (d >= 1.0) continue;
            const double a = (1.0 - d) * (1.0 - d);
            blend(x, y, c, a);
        }
}

void Canvas::verticalGradient(uint32_t top, uint32_t bottom) {
    for (int y = 0; y < ch_; ++y) {
        const uint32_t c = mix(top, bottom, ch_ > 1 ? static_cast<double>(y) / (ch_ - 1) : 0.0);
        for (int x = 0; x < cw_; ++x) set(x, y, c);
    }
}

int Canvas::textWidth(std::string_view s, int scale) {
    return s.empty() ? 0 : static_cast<int>(s.size()) * 4 * scale - scale;
}

void Canvas::text(int x, int y, std::string_view s, int scale, uint32_t c, bool outline) {
    writings_.emplace_back(s);
    auto glyphs = [&](uint32_t colour, int dx, int dy) {
        int gx = x + dx;
        for (char ch : s) {
            if (const char* rows = glyphRows(ch))
                for (int r = 0; r < 5; ++r)
                    for (int col = 0; col < 3; ++col)
                        if (rows[r * 3 + col] == '1')
                            for (int sy = 0; sy < scale; ++sy)
                                for (int sx = 0; sx < scale; ++sx)
                                    blend(gx + col * scale + sx, y + dy + r * scale + sy, colour);
            gx += 4 * scale;
        }
    };
    if (outline) {
        const uint32_t dark = withAlpha(0xFF000000u, 200);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx || dy) glyphs(dark, dx, dy);
    }
    glyphs(c, 0, 0);
}

int Canvas::letteringWidth(platform::FontRasterizer& font, std::string_view s) {
    int width = 0;
    platform::GlyphImage g;
    for (char ch : s)
        if (font.renderGlyph(static_cast<unsigned char>(ch), g)) width += g.advance;
    return width;
}

void Canvas::lettering(platform::FontRasterizer& font, int x, int baseline, std::string_view s,
                       const LetteringStyle& style) {
    writings_.emplace_back(s);
    if (cw_ <= 0 || ch_ <= 0) return;
    // The letters' coverage over the clip, and the rows they span.
    std::vector<float> mask(static_cast<size_t>(cw_) * static_cast<size_t>(ch_), 0.0f);
    auto index = [&](int mx, int my) {
        return static_cast<size_t>(my) * static_cast<size_t>(cw_) + static_cast<size_t>(mx);
    };
    auto at = [&](int mx, int my) -> float& { return mask[index(mx, my)]; };
    int top = ch_, bottom = 0, pen = x;
    platform::GlyphImage g;
    for (char ch : s) {
        if (!font.renderGlyph(static_cast<unsigned char>(ch), g)) continue;
        for (int gy = 0; gy < g.height; ++gy)
            for (int gx = 0; gx < g.width; ++gx) {
                const int mx = pen + g.left + gx, my = baseline - g.top + gy;
                const uint8_t v =
                    g.coverage[static_cast<size_t>(gy) * static_cast<size_t>(g.width) + static_cast<size_t>(gx)];
                if (v == 0 || mx < 0 || my < 0 || mx >= cw_ || my >= ch_) continue;
                at(mx, my) = std::max(at(mx, my), v / 255.0f);
                top = std::min(top, my);
                bottom = std::max(bottom, my);
            }
        pen += g.advance;
    }
    if (top > bottom) return;
    // The outline: the coverage spread over a disc of the outline's width.
    std::vector<float> grown = mask;
    const int r = static_cast<int>(std::ceil(style.outlineWidth));
    if (r > 0) {
        for (int my = 0; my < ch_; ++my)
            for (int mx = 0; mx < cw_; ++mx) {
                float best = 0.0f;
                for (int dy = -r; dy <= r && best < 1.0f; ++dy)
                    for (int dx = -r; dx <= r; ++dx) {
                        const int sx = mx + dx, sy = my + dy;
                        if (sx < 0 || sy < 0 || sx >= cw_ || sy >= ch_) continue;
                        const double d = std::hypot(dx, dy);
                        if (d > style.outlineWidth + 0.5) continue;
                        const float fade = static_cast<float>(std::clamp(style.outlineWidth + 0.5 - d, 0.0, 1.0));
                        best = std::max(best, at(sx, sy) * fade);
                    }
                grown[index(mx, my)] = best;
            }
    }
    auto paint = [&](const std::vector<float>& m, int dx, int dy, auto colourOf) {
        for (int my = 0; my < ch_; ++my)
            for (int mx = 0; mx < cw_; ++mx) {
                const float v = m[index(mx, my)];
                if (v > 0.0f) blend(mx + dx, my + dy, colourOf(my), v);
            }
    };
    if (alphaOf(style.shadow) > 0) paint(grown, style.shadowDx, style.shadowDy, [&](int) { return style.shadow; });
    if (r > 0 && alphaOf(style.outline) > 0) paint(grown, 0, 0, [&](int) { return style.outline; });
    const double span = std::max(1, bottom - top);
    paint(mask, 0, 0, [&](int my) { return mix(style.top, style.bottom, std::clamp((my - top) / span, 0.0, 1.0)); });
}

void Canvas::blur(int radius, int passes) {
    if (radius <= 0) return;
    std::vector<double> line, out;
    for (int pass = 0; pass < passes; ++pass) {
        for (int dir = 0; dir < 2; ++dir) {
            const int n = dir == 0 ? cw_ : ch_, m = dir == 0 ? ch_ : cw_;
            for (int k = 0; k < m; ++k) {
                for (int shift = 0; shift < 32; shift += 8) {
                    line.assign(static_cast<size_t>(n), 0.0);
                    for (int i = 0; i < n; ++i)
                        line[static_cast<size_t>(i)] = ((dir == 0 ? get(i, k) : get(k, i)) >> shift) & 0xFF;
                    out.assign(static_cast<size_t>(n), 0.0);
                    double sum = 0.0;
                    auto at = [&](int i) { return line[static_cast<size_t>(std::clamp(i, 0, n - 1))]; };
                    for (int i = -radius; i <= radius; ++i) sum += at(i);
                    for (int i = 0; i < n; ++i) {
                        out[static_cast<size_t>(i)] = sum / (2 * radius + 1);
                        sum += at(i + radius + 1) - at(i - radius);
                    }
                    for (int i = 0; i < n; ++i) {
                        const int x = dir == 0 ? i : k, y = dir == 0 ? k : i;
                        uint32_t p = get(x, y) & ~(0xFFu << shift);
                        p |= static_cast<uint32_t>(clampByte(out[static_cast<size_t>(i)])) << shift;
                        set(x, y, p);
                    }
                }
            }
        }
    }
}

std::vector<uint8_t> Canvas::encodeTga() const {
    std::vector<uint8_t> out(18, 0);
    out[2] = 10;  // run-length encoded true colour
    out[12] = static_cast<uint8_t>(w & 0xFF);
    out[13] = static_cast<uint8_t>(w >> 8);
    out[14] = static_cast<uint8_t>(h & 0xFF);
    out[15] = static_cast<uint8_t>(h >> 8);
    out[16] = 32;
    out[17] = 0x28;  // top-left origin, 8 alpha bits
    auto put = [&out](uint32_t p) {
        out.push_back(static_cast<uint8_t>(p & 0xFF));
        out.push_back(static_cast<uint8_t>((p >> 8) & 0xFF));
        out.push_back(static_cast<uint8_t>((p >> 16) & 0xFF));
        out.push_back(static_cast<uint8_t>(p >> 24));
    };
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = &px[static_cast<size_t>(y) * static_cast<size_t>(w)];
        int x = 0;
        while (x < w) {
            int run = 1;
            while (x + run < w && run < 128 && row[x + run] == row[x]) ++run;
            if (run >= 2) {
                out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
                put(row[x]);
                x += run;
                continue;
            }
            // A raw packet up to the next run of two or more.
            int n = 1;
            while (x + n < w && n < 128 && !(x + n + 1 < w && row[x + n] == row[x + n + 1])) ++n;
            out.push_back(static_cast<uint8_t>(n - 1));
            for (int i = 0; i < n; ++i) put(row[x + i]);
            x += n;
        }
    }
    return out;
}

}  // namespace contentgen
