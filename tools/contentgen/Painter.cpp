#include "Painter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/FontRasterizer.h"

namespace contentgen {

using content::Art;
using content::Entry;
using content::Frame;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kBlack = 0xFF202020, kWhite = 0xFFFFFFFF, kPink = 0xFFF4A6BE, kDarkPink = 0xFFC8607E,
                   kRed = 0xFFD62F2A, kBrown = 0xFF8B5A2B, kGreen = 0xFF4CAF50, kYellow = 0xFFF2C530,
                   kGrey = 0xFF9E9E9E;

bool has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

struct Ctx {
    Canvas& c;
    const Entry& e;
    const Frame& f;
    int index;
    int count;
    double w, h;
    uint32_t col;
    Lcg rng;
    double phase() const { return count > 1 ? static_cast<double>(index) / (count - 1) : 0.0; }
    double m() const { return std::min(w, h); }
};

void star(Canvas& c, double cx, double cy, double R, double r, int points, double rot, uint32_t col) {
    std::vector<double> xy;
    for (int i = 0; i < 2 * points; ++i) {
        const double a = rot + kPi * i / points - kPi / 2;
        const double rr = (i % 2) ? r : R;
        xy.push_back(cx + rr * std::cos(a));
        xy.push_back(cy + rr * std::sin(a));
    }
    c.fillPolygon(xy, col);
}

void eye(Canvas& c, double x, double y, double r, double look = 0.0) {
    c.fillEllipse(x, y, r, r, kWhite);
    c.fillEllipse(x + look * r * 0.4, y, r * 0.55, r * 0.55, kBlack);
}

void boxFrame(Ctx& k, uint32_t fill, uint32_t border, double radiusFactor = 0.15) {
    const double r = k.m() * radiusFactor, t = std::max(1.0, k.m() / 16.0);
    k.c.fillRoundRect(1, 1, k.w - 2, k.h - 2, r, fill);
    k.c.strokeRoundRect(1, 1, k.w - 2, k.h - 2, r, t, border);
}

// ---- Painters ------------------------------------------------------------

void apple(Canvas& c, double cx, double cy, double r, uint32_t col) {
    c.fillEllipse(cx - r * 0.28, cy + r * 0.05, r * 0.72, r * 0.9, col);
    c.fillEllipse(cx + r * 0.28, cy + r * 0.05, r * 0.72, r * 0.9, col);
    c.fillEllipse(cx - r * 0.35, cy - r * 0.25, r * 0.22, r * 0.3, withAlpha(kWhite, 150));
    c.line(cx, cy - r * 0.7, cx + r * 0.15, cy - r * 1.05, std::max(1.5, r * 0.15), kBrown);
    c.fillEllipseRotated(cx + r * 0.42, cy - r * 0.9, r * 0.32, r * 0.14, 0.5, kGreen);
}

void paintApple(Ctx& k) {
    const double cx = k.w / 2, cy = k.h / 2 + 1, r = k.m() * 0.42;
    uint32_t col = k.index == 1 ? 0xFFE8463A : k.col;
    if (k.index == 2) col = 0xFFB8D830;  // acid
    if (k.index == 6) col = 0xFF8A5A30;  // mud
    apple(k.c, cx, cy, r, col);
    if (k.index >= 3 && k.index <= 5) {  // bitten: 1, 2 or 3 bites out of the side
        for (int b = 0; b <= k.index - 3; ++b) {
            const double a = -0.6 + b * 0.9;
            const double bx = cx + std::cos(a) * r * 1.05, by = cy + std::sin(a) * r * 1.05;
            k.c.fillEllipse(bx, by, r * 0.38, r * 0.38, 0xFFF8F0D0);
        }
    }
    if (k.index == 2)
        for (int b = 0; b < 3; ++b) k.c.fillEllipse(cx - 5 + 5 * b, cy + 2 + (b % 2) * 5, 2, 2, 0xFFF0FF80);
    if (k.index == 6)
        for (int b = 0; b < 4; ++b) k.c.fillEllipse(cx - 7 + 5 * b, cy + 4 - (b % 2) * 6, 3, 2, 0xFF4A3018);
    if (k.index == 7) {  // a worm looks out
        k.c.fillEllipse(cx + r * 0.3, cy + r * 0.1, r * 0.25, r * 0.25, 0xFF5A2A10);
        k.c.line(cx + r * 0.3, cy + r * 0.1, cx + r * 0.9, cy - r * 0.3, 4, 0xFFF090A8);
        k.c.fillEllipse(cx + r * 0.95, cy - r * 0.35, 2.5, 2.5, 0xFFF090A8);
    }
}

void paintSweets(Ctx& k) {
    static const uint32_t colours[16] = {0xffff9421, 0xff00ff00, 0xffffff00, 0xffd2bfd2, 0xffa86b31, 0xffff0000,
                                         0xfff46a71, 0xff0080ff, 0xff80ff00, 0xffffe5ff, 0xffff8080, 0xffcd614d,
                                         0xfff06f36, 0xffbca28b, 0xffff00ff, 0xffffffff};
    const uint32_t col = colours[k.index % 16];
    const double cx = k.w / 2, cy = k.h / 2;
    k.c.fillPolygon({cx - 7, cy, 1, cy - 8, 1, cy + 8}, shade(col, 0.8));
    k.c.fillPolygon({cx + 7, cy, k.w - 1, cy - 8, k.w - 1, cy + 8}, shade(col, 0.8));
    k.c.fillEllipse(cx, cy, 10, 9, col);
    k.c.strokeEllipse(cx, cy, 10, 9, 1.5, shade(col, 0.55));
    k.c.fillEllipse(cx - 3, cy - 3, 3, 2, withAlpha(kWhite, 180));
}

void paintBasket(Ctx& k) {
    const bool front = k.f.label == "front";
    const double w = k.w, h = k.h;
    const double top = front ? h * 0.45 : h * 0.3;
    std::vector<double> body = {2, top, w - 2, top, w * 0.85, h - 2, w * 0.15, h - 2};
    k.c.fillPolygon(body, front ? shade(k.col, 1.25) : k.col);
    for (double y = top + 4; y < h - 3; y += 6) k.c.line(w * 0.12, y, w * 0.88, y, 1.2, shade(k.col, 0.6));
    for (double x = w * 0.2; x < w * 0.85; x += 8)
        k.c.line(x, top + 2, x + (w / 2 - x) * 0.2, h - 3, 1.2, shade(k.col, 0.7));
    k.c.line(2, top, w - 2, top, 3, shade(k.col, 0.5));
    if (!front) k.c.strokeEllipse(w / 2, top, w * 0.36, top - 2, 3, shade(k.col, 0.8));  // the handle
}

void pigHead(Canvas& c, double cx, double cy, double r, uint32_t col) {
    c.fillPolygon({cx - r * 0.9, cy - r * 0.3, cx - r * 0.75, cy - r * 1.15, cx - r * 0.25, cy - r * 0.75},
                  shade(col, 0.85));
    c.fillPolygon({cx + r * 0.9, cy - r * 0.3, cx + r * 0.75, cy - r * 1.15, cx + r * 0.25, cy - r * 0.75},
                  shade(col, 0.85));
    c.fillEllipse(cx, cy, r, r * 0.9, col);
    c.fillEllipse(cx + r * 0.35, cy + r * 0.25, r * 0.4, r * 0.3, shade(col, 0.82));
    c.fillEllipse(cx + r * 0.23, cy + r * 0.25, r * 0.07, r * 0.11, kDarkPink);
    c.fillEllipse(cx + r * 0.47, cy + r * 0.25, r * 0.07, r * 0.11, kDarkPink);
    c.fillEllipse(cx - r * 0.1, cy - r * 0.2, r * 0.12, r * 0.12, kBlack);
}

// ---- Figures made of parts ---------------------------------------------------

// A frame painted in the coordinates of the figure it is a part of: x right
// and y up from the point that the frame's origin (its anchor and origin
// adjustment) stands on. The parts of one figure all stand on one point, so
// each is painted where it belongs in the figure, whatever its frame.
struct Figure {
    double x0, y0;  // the canvas point of the figure's (0, 0)
    double x(double fx) const { return x0 + fx; }
    double y(double fy) const { return y0 - fy; }
};

Figure figureOf(const Ctx& k) {
    const int column = (k.f.anchor - 1) % 3, row = (k.f.anchor - 1) / 3;
    const double ox = (column - 1) * k.w / 2 + k.f.ox, oy = (row - 1) * k.h / 2 + k.f.oy;
    return {k.w / 2 + ox, k.h / 2 - oy};
}

// Points of a polygon given in figure coordinates, in canvas coordinates.
std::vector<double> onCanvas(const Figure& g, std::initializer_list<double> xy) {
    std::vector<double> out(xy);
    for (size_t i = 0; i + 1 < out.size(); i += 2) {
        out[i] = g.x(out[i]);
        out[i + 1] = g.y(out[i + 1]);
    }
    return out;
}

// The pig facing right, in the coordinates of her body: from the centre of
// her body frame, the point that every part of hers stands on (her legs 32
// below it). The piglets (drawn at 0.6) share these places, so the tail,
// eyes, lids and mouth painted once fit every head and body.
namespace pigShape {
constexpr double kTorsoX = -6, kTorsoY = -5, kTorsoRx = 44, kTorsoRy = 34;
constexpr double kPigletTorsoX = -4, kPigletTorsoY = -14, kPigletTorsoRx = 45, kPigletTorsoRy = 23.5;
constexpr double kHeadX = 10, kHeadY = 4, kHeadRx = 29, kHeadRy = 28;
constexpr double kSnoutX = 32, kSnoutY = 0, kSnoutRx = 9, kSnoutRy = 8;
// The eyes, the far one first, and the sockets in the head through which
// the eyes and lids drawn under it show. An eyeball is wider than its
// socket, so that the head's nod as the tail wags opens no gap.
constexpr double kEyeX[2] = {4, 20};
constexpr double kEyeY = 15, kSocket = 5.5, kEyeball = 7.2;
// The mother's mouth, under the snout: a hole in her head that the mouth's
// frames fill.
constexpr double kMouthX = 24, kMouthY = -12.5, kMouthRx = 7, kMouthRy = 4.5;
// Where the tail starts, under the back edge of either body.
constexpr double kTailX = -42, kTailY = -2;
constexpr uint32_t kLash = 0xFF9A3A58, kInsideMouth = 0xFF7A1F30, kTongue = 0xFFE8607A;
}  // namespace pigShape

// A line from x0 to x1 at height y that sags by `sag` in its middle (a smile,
// a shut eye).
void sagLine(Canvas& c, double x0, double x1, double y, double sag, double width, uint32_t col) {
    double px = x0, py = y;
    for (int i = 1; i <= 8; ++i) {
        const double t = i / 4.0 - 1.0;
        const double x = x0 + (x1 - x0) * i / 8.0, yy = y + sag * (1.0 - t * t);
        c.line(px, py, x, yy, width, col);
        px = x;
        py = yy;
    }
}

// The body without the head; a piglet's lower and flatter under its big
// head (its frame keeps the height that sets where the body is drawn).
void pigTorso(Canvas& c, const Figure& g, uint32_t col, bool piglet) {
    using namespace pigShape;
    const double x = piglet ? kPigletTorsoX : kTorsoX, y = piglet ? kPigletTorsoY : kTorsoY;
    const double rx = piglet ? kPigletTorsoRx : kTorsoRx, ry = piglet ? kPigletTorsoRy : kTorsoRy;
    c.fillEllipse(g.x(x), g.y(y), rx, ry, col);
    c.fillEllipse(g.x(x + 4), g.y(y - ry * 0.44), rx * 0.66, ry * 0.42, shade(col, 1.06));
    c.strokeEllipse(g.x(x), g.y(y), rx, ry, 2, kDarkPink);
}

// The head as a part: ears, face, snout, with the eye sockets cut out; the
// mother's with her mouth's hole, a piglet's (which has no mouth part) with
// a smile and a mark of its own (type 4 a patch, 3 a curl, 2 freckles).
void pigHeadPart(Canvas& c, const Figure& g, uint32_t col, int piglet) {
    using namespace pigShape;
    const uint32_t ear = shade(col, 0.88), inner = shade(col, 0.72);
    c.fillPolygon(onCanvas(g, {-12, 22, 2, 31, -17, 43}), ear);
    c.fillPolygon(onCanvas(g, {-9, 25, -1, 30, -14, 38}), inner);
    c.fillPolygon(onCanvas(g, {15, 32, 29, 27, 33, 44}), ear);
    c.fillPolygon(onCanvas(g, {18, 32, 27, 29, 30, 40}), inner);
    c.fillEllipse(g.x(kHeadX), g.y(kHeadY), kHeadRx, kHeadRy, col);
    if (piglet == 4) c.fillEllipse(g.x(kHeadX - 17), g.y(kHeadY + 3), 8, 10, shade(col, 0.86));
    c.strokeEllipse(g.x(kHeadX), g.y(kHeadY), kHeadRx, kHeadRy, 2, kDarkPink);
    c.fillEllipse(g.x(14), g.y(-6), 5.5, 3.2, withAlpha(0xFFE8607A, 90));
    c.fillEllipse(g.x(kSnoutX), g.y(kSnoutY), kSnoutRx, kSnoutRy, shade(col, 0.9));
    c.strokeEllipse(g.x(kSnoutX), g.y(kSnoutY), kSnoutRx, kSnoutRy, 1.5, kDarkPink);
    for (double nx : {kSnoutX - 3.2, kSnoutX + 3.2}) c.fillEllipse(g.x(nx), g.y(kSnoutY), 1.6, 2.6, kLash);
    if (piglet == 3) {
        double px = g.x(kHeadX - 2), py = g.y(kHeadY + kHeadRy - 2);
        for (int i = 1; i <= 14; ++i) {
            const double a = -kPi / 2 + i * 0.55, r = 1.0 + i * 0.3;
            const double x = g.x(kHeadX) + r * std::cos(a), y = g.y(kHeadY + kHeadRy + 4) + r * std::sin(a);
            c.line(px, py, x, y, 1.6, kDarkPink);
            px = x;
            py = y;
        }
    }
    if (piglet == 2)
        for (int i = 0; i < 3; ++i) c.fillEllipse(g.x(10 + 3.5 * i), g.y(-3 - 1.5 * (i % 2)), 0.9, 0.9, kDarkPink);
    for (double ex : kEyeX) {
        c.strokeEllipse(g.x(ex), g.y(kEyeY), kSocket + 1.4, kSocket + 1.4, 1.6, kDarkPink);
        c.eraseEllipse(g.x(ex), g.y(kEyeY), kSocket, kSocket);
    }
    if (piglet) sagLine(c, g.x(kMouthX - 4), g.x(kMouthX + 4), g.y(kMouthY + 2), 1.8, 1.3, kLash);
    else c.eraseEllipse(g.x(kMouthX), g.y(kMouthY), kMouthRx, kMouthRy);
}

// The eyes looking from her back (0) to her front (1), a little up midway.
void pigEyes(Canvas& c, const Figure& g, double look) {
    using namespace pigShape;
    const double side = 2.0 * look - 1.0;
    for (double ex : kEyeX) {
        const double x = g.x(ex), y = g.y(kEyeY);
        c.fillEllipse(x, y, kEyeball, kEyeball, kWhite);
        const double px = x + side * 2.6, py = y - (1.0 - side * side) * 1.4;
        c.fillEllipse(px, py, 2.7, 2.9, kBlack);
        c.fillEllipse(px + 0.9, py - 1.0, 0.9, 0.9, kWhite);
    }
}

// The lids, in the head's colour, shut from open (0: nothing) to closed (1).
void pigLids(Canvas& c, const Figure& g, double shut, uint32_t col) {
    using namespace pigShape;
    if (shut <= 0.0) return;
    const uint32_t lid = shade(col, 0.96);
    for (double ex : kEyeX) {
        const double x = g.x(ex), y = g.y(kEyeY);
        if (shut >= 1.0) {
            c.fillEllipse(x, y, kEyeball + 0.5, kEyeball + 0.5, lid);
            sagLine(c, x - 4.5, x + 4.5, y + 0.5, 1.8, 1.4, kLash);
            continue;
        }
        // The lid's lower edge, curved, down over the socket.
        const double edge = y - kSocket + shut * 2.0 * kSocket;
        c.fillEllipse(x, edge - 8.5, 9, 8.5, lid);
        c.strokeEllipse(x, edge - 8.5, 9, 8.5, 1.4, kLash);
    }
}

// The mouth seen through the hole in her head: shut (0) to wide open (1).
void pigMouth(Canvas& c, const Figure& g, double open, uint32_t col) {
    using namespace pigShape;
    const double x = g.x(kMouthX), y = g.y(kMouthY);
    c.fillEllipse(x, y, kMouthRx + 1.5, kMouthRy + 1.5, col);
    if (open <= 0.0) {
        sagLine(c, x - 5.5, x + 5.5, y - 1.0, 2.0, 1.4, kLash);
        return;
    }
    const double rx = 3.2 + 3.3 * open, ry = 1.0 + 3.2 * open;
    c.fillEllipse(x, y, rx, ry, kInsideMouth);
    if (open >= 0.5) c.fillEllipse(x + 0.5, y + ry * 0.5, rx * 0.6, ry * 0.45, kTongue);
}

// The curly tail from its root under the body's back edge, swung by
// `swing` (-1 down to 1 up): a stalk out and up, then a curl that tightens.
void pigTail(Canvas& c, const Figure& g, double swing, uint32_t col) {
    using namespace pigShape;
    std::vector<double> xy;
    double x = kTailX, y = kTailY, heading = kPi * 0.9 - swing * 0.55;
    xy.push_back(x);
    xy.push_back(y);
    for (int i = 0; i < 38; ++i) {
        heading -= i < 13 ? 0.03 : 0.13 + 0.012 * (i - 13);
        x += std::cos(heading);
        y += std::sin(heading);
        xy.push_back(x);
        xy.push_back(y);
    }
    for (double width : {4.4, 2.2})
        for (size_t i = 2; i + 1 < xy.size(); i += 2)
            c.line(g.x(xy[i - 2]), g.y(xy[i - 1]), g.x(xy[i]), g.y(xy[i + 1]), width, width > 3 ? kDarkPink : col);
}

void paintPig(Ctx& k) {
    Canvas& c = k.c;
    const std::string& n = k.e.name;
    const Figure g = figureOf(k);
    if (n == "pig-body") {
        if (k.index == 0) {
            pigTorso(c, g, k.col, false);
        } else if (k.index == 1) {
            pigHeadPart(c, g, k.col, 0);
        } else {
            c.fillRoundRect(2, 0, k.w - 4, k.h - 2, 5, shade(k.col, 0.92));
            c.fillRoundRect(2, k.h - 7, k.w - 4, 6, 2, 0xFF704050);
        }
    } else if (n == "pig-tail") {
        pigTail(c, g, 2.0 * k.phase() - 1.0, k.col);
    } else if (n == "pig-mouth") {
        pigMouth(c, g, k.phase(), k.col);
    } else if (n == "pig-eyes") {
        pigEyes(c, g, k.phase());
    } else if (n == "pig-blink") {
        pigLids(c, g, k.phase(), k.col);
    }
}

// Frames 0-2 the heads of the piglets of types 4, 3 and 2; 3 their body.
void paintPiglets(Ctx& k) {
    const Figure g = figureOf(k);
    if (k.index < 3) pigHeadPart(k.c, g, k.col, 4 - k.index);
    else pigTorso(k.c, g, k.col, true);
}

// The chef's hat on the pig's head (in her body's coordinates: the hat
// stands on her body's centre like every part of hers), above her eyes.
void chefHat(Canvas& c, const Figure& g, uint32_t col) {
    struct Puff {
        double x, y, r;
    };
    const Puff puffs[] = {{-3, 43, 11}, {23, 43, 11}, {10, 48, 14}};
    for (const Puff& p : puffs) c.fillEllipse(g.x(p.x), g.y(p.y), p.r + 1.2, p.r + 1.2, kGrey);
    for (const Puff& p : puffs) c.fillEllipse(g.x(p.x), g.y(p.y), p.r, p.r, col);
    c.fillRoundRect(g.x(-5), g.y(35), 30, 11, 2, shade(col, 0.97));
    c.strokeRoundRect(g.x(-5), g.y(35), 30, 11, 2, 1.2, kGrey);
    for (double px : {3.0, 10.0, 17.0}) c.line(g.x(px), g.y(34), g.x(px), g.y(25), 1.0, withAlpha(kGrey, 140));
}

// The winged hat, standing on its origin's point (on the ground, or on the
// pig's head where she wears it).
void wingedHat(Canvas& c, const Figure& g, uint32_t col) {
    const double bx = 14, by = -3;  // the middle of its brim's lower edge
    // A wing on either side: three feathers fanned out and up.
    for (double side : {-1.0, 1.0})
        for (int i = 0; i < 3; ++i) {
            const double a = 1.05 - 0.32 * i, len = 13.0 - 2.0 * i;
            const double dx = side * std::sin(a), dy = std::cos(a);
            const double cx = bx + side * 8 + dx * len / 2, cy = by + 8 + dy * len / 2;
            const double angle = std::atan2(dy, dx);
            c.fillEllipseRotated(g.x(cx), g.y(cy), len / 2 + 0.8, 3.3, angle, kGrey);
            c.fillEllipseRotated(g.x(cx), g.y(cy), len / 2, 2.5, angle, kWhite);
        }
    std::vector<double> crown;
    for (int i = 0; i <= 24; ++i) {
        const double a = kPi * i / 24.0;
        crown.push_back(g.x(bx - std::cos(a) * 11));
        crown.push_back(g.y(by + 3 + std::sin(a) * 15));
    }
    c.fillPolygon(crown, col);
    c.fillRect(g.x(bx - 11), g.y(by + 8), 22, 4, shade(col, 0.7));
    c.fillEllipse(g.x(bx), g.y(by + 2.5), 17, 3, shade(col, 0.85));
}

void paintHat(Ctx& k) {
    const Figure g = figureOf(k);
    if (k.e.name == "chefHat") chefHat(k.c, g, k.col);
    else wingedHat(k.c, g, k.col);
}

// The upper half of an ellipse as a polygon.
std::vector<double> dome(double cx, double cy, double rx, double ry) {
    std::vector<double> xy;
    for (int i = 0; i <= 32; ++i) {
        const double a = kPi * i / 32.0;
        xy.push_back(cx - std::cos(a) * rx);
        xy.push_back(cy - std::sin(a) * ry);
    }
    return xy;
}

// The open umbrella standing on its handle's crook at its origin's point
// (on the ground, or hooked on the pig's head where she carries it), its
// shaft leaning a little forward.
void paintUmbrella(Ctx& k) {
    Canvas& c = k.c;
    const Figure g = figureOf(k);
    const double lean = 0.17, pivotY = 9;
    // A point of the upright umbrella, leaned about the crook.
    auto at = [&](double x, double y, double* cx, double* cy) {
        const double dy = y - pivotY;
        *cx = g.x(x * std::cos(lean) + dy * std::sin(lean));
        *cy = g.y(pivotY - x * std::sin(lean) + dy * std::cos(lean));
    };
    std::vector<double> canopy;
    for (int i = 0; i <= 32; ++i) {
        const double a = kPi * i / 32.0;
        double x, y;
        at(-std::cos(a) * 38, 50 + std::sin(a) * 25, &x, &y);
        canopy.push_back(x);
        canopy.push_back(y);
    }
    double x0, y0, x1, y1;
    at(0, 11, &x0, &y0);
    at(0, 77, &x1, &y1);
    c.line(x0, y0, x1, y1, 2.5, kBrown);
    c.fillPolygon(canopy, k.col);
    for (int s = 0; s < 5; ++s) {
        double sx, sy;
        at(-30.4 + 15.2 * s, 50, &sx, &sy);
        c.fillEllipse(sx, sy, 7.6, 2.4, shade(k.col, 0.7));
        c.line(sx, sy - 1, x1, y1, 1.0, shade(k.col, 0.8));
    }
    c.fillEllipse(x1, y1, 2, 2, kBrown);
    // The crook.
    double px = x0, py = y0;
    for (int i = 0; i <= 12; ++i) {
        const double a = -kPi * i / 12.0;
        double x, y;
        at(-3.5 + 3.5 * std::cos(a), 9 + 3.5 * std::sin(a), &x, &y);
        c.line(px, py, x, y, 2.5, kBrown);
        px = x;
        py = y;
    }
}

void paintFrog(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    if (k.f.label == "tongue") {
        c.line(2, h / 2, w - 5, h / 2, h * 0.6, 0xFFE06080);
        c.fillEllipse(w - 5, h / 2, h * 0.45, h * 0.45, 0xFFC04060);
        return;
    }
    if (k.index == 0) {
        c.fillEllipse(w * 0.2, h * 0.8, w * 0.2, h * 0.15, shade(k.col, 0.8));
        c.fillEllipse(w * 0.8, h * 0.8, w * 0.2, h * 0.15, shade(k.col, 0.8));
        c.fillEllipse(w / 2, h * 0.55, w * 0.4, h * 0.38, k.col);
        c.fillEllipse(w / 2, h * 0.65, w * 0.25, h * 0.2, 0xFFC8E8A0);
        return;
    }
    // The heads turn about the frame's centre, where the tongue starts: the
    // mouth lies there, the eyes above it.
    const double my = h / 2, u = 48.0;  // the mouth's row; the head's scale
    c.fillEllipse(w / 2, my - 0.12 * u, w * 0.44, 0.36 * u, k.col);
    const std::string& l = k.f.label;
    const double er = l == "alert" ? 0.2 * u : 0.15 * u, ey = my - 0.4 * u;
    for (double ex : {w * 0.3, w * 0.7}) {
        c.fillEllipse(ex, ey, er + 2, er + 2, k.col);
        if (l == "digest" || l == "idle b") c.line(ex - er, ey, ex + er, ey, 2, kBlack);
        else eye(c, ex, ey, er, l == "idle c" ? 1.0 : 0.0);
    }
    if (l == "attack") c.fillEllipse(w / 2, my, w * 0.3, 0.17 * u, 0xFF802030);
    else c.line(w * 0.25, my, w * 0.75, my, 2, shade(k.col, 0.5));
}

void paintAnimal(Ctx& k) {
    Canvas& c = k.c;
    const std::string& n = k.e.name;
    const double w = k.w, h = k.h;
    const double p = k.phase();
    if (has(n, "fish")) {
        const double wag = (k.index % 2 ? 1 : -1) * h * 0.12;
        c.fillPolygon({w * 0.28, h / 2, 2, h * 0.15 + wag, 2, h * 0.85 + wag}, shade(k.col, 0.8));
        c.fillEllipse(w * 0.58, h / 2, w * 0.38, h * 0.4, k.col);
        c.fillPolygon({w * 0.5, h * 0.15, w * 0.7, h * 0.15, w * 0.58, h * 0.35}, shade(k.col, 0.8));
        eye(c, w * 0.8, h * 0.42, h * 0.12, 1.0);
    } else if (n == "rabbit") {
        if (k.index == 0) {
            c.fillEllipse(w / 2, h, w / 2 - 2, h - 4, 0xFF7A5A30);
            c.fillEllipse(w / 2, h * 0.85, w * 0.25, h * 0.3, 0xFF302010);
            return;
        }
        const double tilt = k.index == 2 ? 0.25 : (k.index == 3 ? -0.25 : 0.0);
        c.fillEllipseRotated(w * 0.38, h * 0.3, w * 0.09, h * 0.28, 0.15 + tilt, k.col);
        c.fillEllipseRotated(w * 0.62, h * 0.3, w * 0.09, h * 0.28, -0.15 + tilt, k.col);
        c.fillEllipse(w / 2, h * 0.68, w * 0.3, h * 0.28, k.col);
        eye(c, w * 0.4, h * 0.62, 4);
        eye(c, w * 0.6, h * 0.62, 4);
        c.fillEllipse(w / 2, h * 0.76, 3, 2, kDarkPink);
    } else if (n == "bee") {
        // Seen from the side, its wings on its back beat through the frames:
        // raised, level, lowered and level again (the bee takes the frames
        // in order over a beat). The far wing shows behind the body, the
        // near one in front of it.
        static const double beat[4] = {-1.75, -2.75, 2.75, -2.75};
        const double a = beat[k.index % 4], rootX = w * 0.46, rootY = h * 0.42, len = w * 0.36;
        const auto wing = [&](double dx, double alpha) {
            c.fillEllipseRotated(rootX + dx + std::cos(a) * len / 2, rootY + std::sin(a) * len / 2, len / 2, h * 0.1, a,
                                 withAlpha(kWhite, static_cast<int>(alpha)));
        };
        wing(3, 200);
        c.fillEllipse(w / 2, h * 0.6, w * 0.36, h * 0.26, k.col);
        for (double x : {w * 0.4, w * 0.55}) c.line(x, h * 0.4, x, h * 0.8, 3, kBlack);
        eye(c, w * 0.78, h * 0.55, 3, 1.0);
        wing(0, 150);
    } else if (n == "butterfly") {
        const double open = 0.25 + 0.75 * p;
        c.fillEllipse(w / 2 - w * 0.22 * open, h * 0.38, w * 0.24 * open, h * 0.3, k.col);
        c.fillEllipse(w / 2 + w * 0.22 * open, h * 0.38, w * 0.24 * open, h * 0.3, k.col);
        c.fillEllipse(w / 2 - w * 0.15 * open, h * 0.72, w * 0.16 * open, h * 0.18, shade(k.col, 0.75));
        c.fillEllipse(w / 2 + w * 0.15 * open, h * 0.72, w * 0.16 * open, h * 0.18, shade(k.col, 0.75));
        c.line(w / 2, h * 0.2, w / 2, h * 0.85, 3, kBlack);
    } else if (n == "worm") {
        // The worm crawls toward its left end, where its head is: the worm
        // mirrors it while it travels right.
        auto wave = [&](int s) { return h / 2 + std::sin(s * 1.1 + k.index * kPi / 3) * h * 0.2; };
        for (int s = 6; s >= 1; --s) c.fillEllipse(w - 5 - s * (w - 10) / 6, wave(s), 4.5, 4.5, k.col);
        c.fillEllipse(w - 5, wave(0), 4, 4, k.col);  // the tail's tip
        c.fillEllipse(6, wave(6), 5.5, 5.5, shade(k.col, 0.9));
        c.fillEllipse(4.5, wave(6) - 1.5, 2.2, 2.2, kWhite);
        c.fillEllipse(4, wave(6) - 1.5, 1.3, 1.3, kBlack);
    } else if (n == "snail") {
        // It crawls by turns: the foot gathered under the shell, then
        // stretched, its head (with the eye on its stalk) pushed forward and
        // its tail left behind, the shell carried a little forward and down.
        const double out = k.index % 2 ? 1.0 : 0.0;
        const double tail = w * (0.1 - 0.06 * out), front = w * (0.8 + 0.12 * out);
        const uint32_t skin = 0xFFD8B890;
        c.fillEllipse((tail + front) / 2, h * 0.86, (front - tail) / 2, h * 0.1, skin);
        c.fillEllipse(front - w * 0.06, h * 0.77, w * 0.07, h * 0.12, skin);  // the head
        c.line(front - w * 0.06, h * 0.75, front - w * 0.01, h * 0.3, 2, skin);
        c.fillEllipse(front - w * 0.01, h * 0.3, 3, 3, kBlack);
        const double sx = w * (0.42 + 0.04 * out), sy = h * (0.48 + 0.03 * out);
        c.fillEllipse(sx, sy, h * 0.34, h * 0.34, k.col);
        c.strokeEllipse(sx, sy, h * 0.22, h * 0.22, 3, shade(k.col, 0.6));
        c.strokeEllipse(sx, sy, h * 0.1, h * 0.1, 3, shade(k.col, 0.6));
    } else if (n == "bear") {
        // Every frame is drawn in the bear's own frame: x toward its front,
        // y up, from the body's origin, which stands 45 units above the
        // ground it walks on. (bx, by) is the frame's own origin on the
        // canvas: the body's origin for the body and the head (which stands
        // there, its picture at the body's front), the point a leg swings
        // about for a leg. The body keeps its back and shoulders above the
        // legs.
        const double bx = w / 2 + k.f.ox, by = h / 2 - k.f.oy;
        const uint32_t paw = 0xFF3A2414, muzzle = shade(k.col, 1.35);
        if (k.index == 0) {
            auto X = [&](double x) { return bx + x; };
            auto Y = [&](double y) { return by - y; };
            c.fillEllipse(X(-66), Y(28), 7, 7, shade(k.col, 0.85));  // the tail
            c.fillEllipse(X(-38), Y(12), 30, 28, k.col);             // the haunch
            c.fillEllipse(X(-4), Y(14), 60, 28, k.col);
            c.fillEllipse(X(28), Y(20), 32, 26, k.col);  // the shoulder hump
            c.fillEllipse(X(-2), Y(-2), 40, 9, shade(k.col, 1.12));
        } else if (k.index <= 4) {
            // A leg swings about the point where the bear stands it (its
            // frame's origin) and stands upright at the middle of its swing;
            // its hip lies inside the body. Parts 1 and 2 are the near hind
            // and front legs, 3 and 4 the far front and hind legs (darker).
            struct Leg {
                double pivotX, pivotY, rest, hipX, footY, width;
            };
            static const Leg legs[4] = {{-10, 16, 0.0, -42, -40, 20},
                                        {5, 5, kPi / 16, 32, -41, 19},
                                        {0, 0, kPi / 16, 26, -34, 17},
                                        {0, 0, -kPi / 16, -26, -35, 17}};
            const Leg& g = legs[k.index - 1];
            const bool nearSide = k.index <= 2;
            const uint32_t fur = nearSide ? k.col : shade(k.col, 0.72);
            const double cs = std::cos(-g.rest), sn = std::sin(-g.rest);
            // A point of the bear's frame, turned back by the rest angle about
            // the pivot, on the canvas.
            auto at = [&](double x, double y, double& cx, double& cy) {
                const double dx = x - g.pivotX, dy = y - g.pivotY;
                cx = bx + dx * cs - dy * sn;
                cy = by - (dx * sn + dy * cs);
            };
            double x0, y0, x1, y1, px, py, tx, ty;
            at(g.hipX, 12, x0, y0);
            at(g.hipX + 2, g.footY + 6, x1, y1);
            at(g.hipX + 4, g.footY + 4, px, py);
            at(g.hipX, 4, tx, ty);
            if (nearSide) c.fillEllipseRotated(tx, ty, g.width * 0.8, g.width, -g.rest, fur);  // thigh, shoulder
            c.line(x0, y0, x1, y1, g.width, fur);
            c.fillEllipseRotated(px, py, g.width / 2 + 4, 4.5, -g.rest, paw);
        } else {
            auto X = [&](double x) { return bx + x; };
            auto Y = [&](double y) { return by - y; };
            c.fillEllipse(X(50), Y(44), 8, 8, k.col);  // the ear
            c.fillEllipse(X(50), Y(44), 4, 4, shade(k.col, 0.7));
            c.fillEllipse(X(60), Y(26), 22, 20, k.col);
            c.fillEllipse(X(78), Y(16), 13, 10, muzzle);
            c.fillEllipse(X(89), Y(19), 4, 3.5, kBlack);  // the nose
            c.line(X(76), Y(9), X(84), Y(9), 1.5, shade(k.col, 0.6));
            eye(c, X(64), Y(32), 4, 1.0);
        }
    } else if (n == "hedgy") {
        if (k.index == 2) {
            c.fillRoundRect(0, 0, w, h, 2, 0xFF5A4030);
            return;
        }
        for (int s = 0; s < 9; ++s) {
            const double a = kPi * (0.1 + 0.8 * s / 8.0);
            const double bx = w * 0.45 - std::cos(a) * w * 0.3, by = h * 0.75 - std::sin(a) * h * 0.42;
            c.fillPolygon({bx - 5, by + 6, bx + 5, by + 6, bx - std::cos(a) * 12, by - std::sin(a) * 14},
                          shade(k.col, 0.6));
        }
        c.fillEllipse(w * 0.45, h * 0.72, w * 0.32, h * 0.26, k.col);
        c.fillPolygon({w * 0.65, h * 0.6, w - 2, h * 0.78, w * 0.65, h * 0.92}, 0xFFD8B890);
        c.fillEllipse(w - 3, h * 0.78, 2.5, 2.5, kBlack);
        if (k.index == 0) eye(c, w * 0.74, h * 0.7, 3.5, 1.0);
        else c.line(w * 0.7, h * 0.7, w * 0.79, h * 0.7, 1.5, kBlack);
    } else if (n == "horse-body") {
        // The horse's own frame: x toward its front, y up, from the body's
        // origin, 64 above the ground. The head stands on the neck's top
        // whichever way it looks (it swaps ends about x 39), so the neck
        // rises upright there.
        auto X = [&](double x) { return w / 2 + x; };
        auto Y = [&](double y) { return h / 2 - y; };
        const uint32_t far = shade(k.col, 0.8), hoof = 0xFF3A2A1A, hair = shade(k.col, 0.45);
        for (double x : {-40.0, 22.0}) {
            c.line(X(x), Y(-8), X(x), Y(-54), 10, far);
            c.fillRoundRect(X(x) - 6, Y(-56), 12, 8, 2, hoof);
        }
        c.line(X(-60), Y(10), X(-72), Y(-12), 8, hair);  // the tail
        c.line(X(-72), Y(-12), X(-68), Y(-36), 6, hair);
        c.fillEllipse(X(-12), Y(-2), 50, 22, k.col);
        c.fillEllipse(X(-46), Y(4), 20, 20, k.col);                                    // the rump
        c.fillEllipse(X(30), Y(0), 20, 21, k.col);                                     // the chest
        c.fillPolygon({X(20), Y(2), X(50), Y(2), X(50), Y(30), X(28), Y(30)}, k.col);  // the neck
        c.fillEllipse(X(39), Y(30), 11, 5, k.col);
        c.fillEllipse(X(-50), Y(-8), 14, 16, k.col);  // the near thigh
        for (double x : {-52.0, 34.0}) {
            c.line(X(x), Y(-6), X(x), Y(-54), 11, k.col);
            c.fillRoundRect(X(x) - 6.5, Y(-56), 13, 8, 2, hoof);
        }
    } else if (n == "horse-head") {
        // The head looking along +x from its frame's origin (x right, y up):
        // its neck, at x 27, stands on the body's neck in both poses, and it
        // tilts about the origin toward an apple.
        auto X = [&](double x) { return w / 2 + k.f.ox + x; };
        auto Y = [&](double y) { return h / 2 - k.f.oy - y; };
        c.line(X(27), Y(4), X(27), Y(-18), 24, k.col);
        c.line(X(16), Y(16), X(15), Y(-16), 6, shade(k.col, 0.45));  // the mane
        c.fillPolygon({X(24), Y(15), X(25), Y(27), X(30), Y(15)}, shade(k.col, 0.7));
        c.fillEllipse(X(34), Y(-4), 15, 13, k.col);  // the cheek
        c.fillEllipse(X(36), Y(6), 14, 12, k.col);
        c.fillPolygon({X(26), Y(14), X(42), Y(18), X(68), Y(-6), X(70), Y(-18), X(56), Y(-24), X(28), Y(-12)}, k.col);
        c.fillEllipse(X(62), Y(-15), 10, 9, shade(k.col, 1.1));  // the muzzle
        c.fillPolygon({X(28), Y(16), X(31), Y(29), X(36), Y(16)}, shade(k.col, 0.85));
        c.fillEllipseRotated(X(36), Y(17), 6, 3, -0.4, shade(k.col, 0.45));  // the forelock
        c.fillEllipse(X(66), Y(-12), 2, 1.5, kBlack);
        c.line(X(56), Y(-21), X(68), Y(-20), 1.5, shade(k.col, 0.4));
        if (k.index == 0) c.line(X(38), Y(5), X(46), Y(5), 2, kBlack);
        else eye(c, X(42), Y(5), k.index == 2 ? 5.5 : 4, 1.0);
    } else if (n == "horse-lick") {
        // The lick stands 8 behind and 29 below the head's origin, in the
        // head's frame; its frame's origin puts the tongue at the mouth's
        // corner, (58, -21) from the head's origin. Frames 0 and 3: the
        // tongue in (the lick ends on its last frame).
        auto X = [&](double x) { return w / 2 + k.f.ox + 8 + x; };
        auto Y = [&](double y) { return h / 2 - k.f.oy - 29 - y; };
        if (k.index == 0 || k.index == 3) {
            c.fillEllipse(X(58), Y(-21), 2, 2, withAlpha(k.col, 120));
            return;
        }
        if (k.index == 1) {
            c.line(X(58), Y(-21), X(66), Y(-30), 6, k.col);
            c.fillEllipse(X(67), Y(-31), 4, 4, k.col);
        } else {
            c.line(X(58), Y(-21), X(70), Y(-27), 6, k.col);
            c.line(X(70), Y(-27), X(75), Y(-18), 5, k.col);
            c.fillEllipse(X(75), Y(-17), 3.5, 3.5, k.col);
        }
    } else {
        c.fillEllipse(k.w / 2, k.h / 2, k.w / 2 - 2, k.h / 2 - 2, k.col);
        eye(c, k.w * 0.7, k.h * 0.4, k.m() * 0.1);
    }
}

// The house picture follows the house's hull: x right, y up in the house's
// frame; the frame's centre stands at -origin.
void paintHouse(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    auto X = [&](double x) { return x + k.f.ox + w / 2; };
    auto Y = [&](double y) { return h / 2 - k.f.oy - y; };
    auto poly = [&](std::initializer_list<double> pts, uint32_t col) {
        std::vector<double> xy;
        const double* p = pts.begin();
        for (size_t i = 0; i + 1 < pts.size(); i += 2) {
            xy.push_back(X(p[i]));
            xy.push_back(Y(p[i + 1]));
        }
        c.fillPolygon(xy, col);
    };
    if (k.e.name == "house-roofsnow") {  // a cap along the roof's top edge
        poly({-150, 66, -92, 156, 28, 118, 76, 74, 64, 70, 24, 104, -90, 140, -136, 66}, kWhite);
        for (int i = 0; i < 3; ++i) c.fillEllipse(X(-136 + 20 * i), Y(82 + 29 * i), 6, 6, kWhite);
        return;
    }
    if (k.index == 0) {  // the house part: a porch along its chain
        poly({155, -23, 172, -58, 150, -90, -40, -90, -170, -77, -206, -39, -186, 24, -160, 10, -150, -50, 140, -50},
             0xFF9A6A3A);
        for (double y = -85; y < -52; y += 8) c.line(X(-150), Y(y), X(150), Y(y), 1.5, 0xFF6A4A2A);
        return;
    }
    if (k.index == 2) {  // the door
        // It fills the doorway, which is open behind it.
        c.fillRect(0, 0, w, h, 0xFFB0763C);
        c.strokeRoundRect(1.5, 1.5, w - 3, h - 3, 3, 3, 0xFF6A4220);
        for (double y = 14; y < h - 8; y += 14) c.line(8, y, w - 8, y, 2, 0xFF8A5A2C);
        c.fillEllipse(w * 0.75, h * 0.55, 3, 3, kYellow);
        return;
    }
    // The house, upright, in its hull (which the hero walks on): upright
    // walls on the hull's floor line, the roof along its top from the left
    // eave over the ridge to the right eave, a lean-to step on the right
    // where the hull steps down, the chimney the smoke comes from (x - 10,
    // y + 225) and the doorway the door sprite closes.
    const uint32_t roof = 0xFFA04030, roofEdge = 0xFF7A2C22, wood = 0xFF8A5A32, glass = 0xFFB8E0F8;
    c.fillRect(X(-24), Y(226), 28, Y(100) - Y(226), 0xFF8A4A3A);  // chimney
    c.fillRect(X(-28), Y(226), 36, 9, 0xFF5A3A2A);
    poly({104, -42, 165, -42, 177, -20, 117, 8, 104, 8}, wood);  // the lean-to step
    c.line(X(110), Y(-20), X(168), Y(-26), 2, shade(wood, 0.7));
    poly({-112, -42, 104, -42, 104, 34, 26, 96, -90, 132, -112, 100}, k.col);  // walls and gable
    c.fillRect(X(-112), Y(-30), 216, 12, shade(k.col, 0.8));                   // the footing
    for (double y = -6; y < 90; y += 18) {                                     // weatherboards, up into the gable
        const double right = y <= 34 ? 102 : 102 - (y - 34) * 78 / 62;
        c.line(X(-110), Y(y), X(right), Y(y), 1.2, withAlpha(shade(k.col, 0.85), 160));
    }
    poly({-178, 20, -90, 150, 28, 110, 114, 30, 98, 22, 20, 94, -90, 130, -160, 18}, roof);  // the roof
    c.line(X(-178), Y(20), X(-90), Y(150), 3, roofEdge);
    c.line(X(-90), Y(150), X(28), Y(110), 3, roofEdge);
    c.line(X(28), Y(110), X(114), Y(30), 3, roofEdge);
    // The doorway is open: the door (drawn first, while it is closed) and
    // whoever stands inside show through it, under a shadow.
    for (int y = static_cast<int>(Y(30)); y < static_cast<int>(Y(-42)); ++y)
        for (int x = static_cast<int>(X(-64)); x < static_cast<int>(X(-16)); ++x) c.set(x, y, argb(96, 24, 14, 6));
    c.strokeRoundRect(X(-68), Y(34), 56, Y(-42) - Y(34), 2, 4, wood);
    for (const double wx : {18.0, -74.0}) {  // windows: beside the door, in the gable
        const double wy = wx > 0 ? 24 : 96, ww = wx > 0 ? 44 : 30, wh = wx > 0 ? 38 : 26;
        c.fillRect(X(wx), Y(wy), ww, wh, glass);
        c.strokeRoundRect(X(wx) - 2, Y(wy) - 2, ww + 4, wh + 4, 1, 3, wood);
        c.line(X(wx + ww / 2), Y(wy), X(wx + ww / 2), Y(wy - wh), 2, wood);
    }
}

// Snow: white with a cold blue shadow.
constexpr uint32_t kSnow = 0xFFF6FAFF, kSnowShadow = 0xFFC8D8EC;

// A bare branch and its twigs, each with a line of snow along its top.
void bareBranch(Ctx& k, double x, double y, double angle, double length, double width, int depth) {
    const double x1 = x + std::cos(angle) * length, y1 = y - std::sin(angle) * length;
    k.c.line(x, y, x1, y1, width, k.col);
    // The snow lies on the upper side of branches that are not too steep.
    if (std::fabs(std::cos(angle)) > 0.25 && width > 1.2)
        k.c.line(x, y - width * 0.45, x1, y1 - width * 0.45, std::max(1.0, width * 0.55), kSnow);
    if (depth == 0) return;
    const int forks = depth > 1 ? 2 : 3;
    for (int i = 0; i < forks; ++i) {
        const double at = k.rng.range(0.55, 0.95);
        const double spread = (i % 2 ? 1.0 : -1.0) * k.rng.range(0.35, 0.75);
        bareBranch(k, x + (x1 - x) * at, y + (y1 - y) * at, angle + spread, length * k.rng.range(0.5, 0.7),
                   std::max(1.0, width * 0.6), depth - 1);
    }
}

// Winter trees stand where the summer trees stand, on the same trunk:
// frame 1 is a fir under snow, the others bare trees with snow on their
// branches.
void paintWinterTree(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    const double lean = (k.index % 2 ? 0.08 : -0.05) * w;
    c.fillEllipse(w / 2, h - 3, w * 0.2, 4, kSnowShadow);
    if (k.index == 1) {
        c.fillPolygon({w * 0.46, h, w * 0.54, h, w * 0.53 + lean, h * 0.7, w * 0.47 + lean, h * 0.7}, 0xFF5A3C22);
        const uint32_t fir = 0xFF2E5A40;
        for (int tier = 0; tier < 4; ++tier) {
            const double top = h * (0.06 + 0.17 * tier), base = h * (0.36 + 0.14 * tier);
            const double half = w * (0.16 + 0.08 * tier), cx = w / 2 + lean * (1.0 - 0.2 * tier);
            c.fillPolygon({cx, top, cx + half, base, cx - half, base}, shade(fir, 0.9 + 0.05 * tier));
            // The snow on the tier: a cap at the top and a rim along its hem.
            c.fillPolygon(
                {cx, top, cx + half * 0.45, top + (base - top) * 0.45, cx - half * 0.45, top + (base - top) * 0.45},
                kSnow);
            c.line(cx - half * 0.95, base - 2, cx + half * 0.95, base - 2, 4, kSnow);
            for (int d = 0; d < 3; ++d)
                c.fillEllipse(cx - half * 0.6 + half * 0.6 * d, base - 3, half * 0.18, 4, kSnow);
        }
        return;
    }
    // The trunk, tapering up into the crown's main branch; the limbs spread
    // over the height where the summer tree has its crown (and its apples).
    c.fillPolygon({w * 0.44, h, w * 0.56, h, w * 0.53 + lean, h * 0.4, w * 0.47 + lean, h * 0.4}, k.col);
    c.line(w * 0.5 + lean, h * 0.42, w * 0.5 + lean * 1.4, h * 0.12, w * 0.035, k.col);
    const int limbs = 6;
    for (int b = 0; b < limbs; ++b) {
        const double t = static_cast<double>(b) / (limbs - 1);
        const double y = h * (0.56 - 0.4 * t), x = w * 0.5 + lean * (1.0 + 0.4 * t);
        const double side = b % 2 ? 1.0 : -1.0;
        const double angle = kPi / 2 - side * k.rng.range(0.75, 1.15) * (1.0 - 0.4 * t);
        bareBranch(k, x, y, angle, w * k.rng.range(0.26, 0.34) * (1.0 - 0.4 * t), w * (0.045 - 0.02 * t), 2);
    }
    bareBranch(k, w * 0.5 + lean * 1.4, h * 0.13, kPi / 2 + k.rng.range(-0.2, 0.2), w * 0.12, w * 0.02, 1);
}

void paintTree(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    if (k.e.name == "treestumps" || k.e.name == "treestumps-winter") {
        // The tall stump's cut lies around a line 8 pixels under its top
        // edge, where the ground on a stump stands (drawn 1.75 times as
        // high, 14 units), and its cut and cap are as large as the others'.
        const bool tall = k.f.label == "tall stump";
        const double u = tall ? 64.0 : h;
        const auto y = [&](double f) { return tall ? 8.0 + (f - 0.3) * u : h * f; };
        c.fillRect(w * 0.2, y(0.3), w * 0.6, h * 0.98 - y(0.3), k.col);
        c.fillEllipse(w / 2, y(0.3), w * 0.3, u * 0.12, 0xFFD8B070);
        c.strokeEllipse(w / 2, y(0.3), w * 0.18, u * 0.07, 1.5, shade(k.col, 0.7));
        if (k.e.name == "treestumps-winter") {  // a cap of snow that hangs over the rim
            c.fillEllipse(w / 2, y(0.27), w * 0.33, u * 0.14, kSnow);
            c.fillEllipse(w * 0.3, y(0.36), w * 0.07, u * 0.1, kSnow);
            c.fillEllipse(w * 0.66, y(0.34), w * 0.06, u * 0.07, kSnow);
            c.fillEllipse(w / 2, h - 3, w * 0.42, 4, kSnowShadow);
        }
        return;
    }
    if (k.e.name == "trees-rigid-winter") {
        paintWinterTree(k);
        return;
    }
    const double lean = (k.index % 2 ? 0.08 : -0.05) * w;
    c.fillPolygon({w * 0.44, h, w * 0.56, h, w * 0.54 + lean, h * 0.4, w * 0.46 + lean, h * 0.4}, 0xFF6A4426);
    for (int b = 0; b < 4; ++b) {
        const double bx = w / 2 + lean + k.rng.range(-0.18, 0.18) * w,
                     by = h * (0.2 + 0.1 * b) + k.rng.range(0, 0.05) * h;
        const double r = w * k.rng.range(0.18, 0.28);
        c.fillEllipse(bx, by, r, r * 0.9, shade(k.col, 0.85 + 0.1 * b));
    }
}

void paintPlant(Ctx& k) {
    Canvas& c = k.c;
    const std::string& n = k.e.name;
    const double w = k.w, h = k.h;
    if (has(n, "deco-grass")) {  // tiles in x: blades at fixed steps
        for (double x = 2; x < w; x += 6) {
            const double tall = h * (0.45 + 0.5 * std::fabs(std::sin(x * 0.37)));
            c.line(x, h, x + 2, h - tall, 2.5, shade(k.col, 0.8 + 0.3 * std::fabs(std::sin(x * 0.11))));
        }
        return;
    }
    if (n == "shrubs") {
        // Each draw of the generator in a statement of its own, so that every
        // compiler paints the same picture (the order in which a call's
        // arguments are evaluated is the compiler's choice).
        for (int b = 0; b < 6; ++b) {
            const double tone = k.rng.range(0.8, 1.2);
            const double y = h * k.rng.range(0.45, 0.75);
            const double x = w * k.rng.range(0.25, 0.75);
            c.fillEllipse(x, y, w * 0.22, h * 0.28, shade(k.col, tone));
        }
        return;
    }
    if (n == "shrubs-winter") {  // the same mounds, dark under a thick blanket of snow
        double lumps[6][2];
        for (auto& l : lumps) {  // drawn in the order of the ordinary mounds
            const double tone = k.rng.range(0.8, 1.2);
            l[1] = h * k.rng.range(0.45, 0.75);
            l[0] = w * k.rng.range(0.25, 0.75);
            c.fillEllipse(l[0], l[1], w * 0.22, h * 0.28, shade(k.col, tone));
        }
        for (const auto& l : lumps) c.fillEllipse(l[0], l[1] - h * 0.1, w * 0.19, h * 0.17, kSnowShadow);
        for (const auto& l : lumps) c.fillEllipse(l[0] - w * 0.02, l[1] - h * 0.13, w * 0.16, h * 0.13, kSnow);
        for (int twig = 0; twig < 4; ++twig) {  // bare twigs poke out of the snow
            const double x = w * k.rng.range(0.25, 0.75), y = h * k.rng.range(0.3, 0.45);
            c.line(x, y + h * 0.12, x + w * k.rng.range(-0.06, 0.06), y - h * 0.08, 1.5, shade(k.col, 0.7));
        }
        return;
    }
    if (n == "flowers1-winter") {  // snowdrops: drooping white bells on bent stalks
        const double lean = k.index % 2 ? 4 : -4, top = h * (0.3 + 0.08 * (k.index % 3));
        const double bend = (k.index % 2 ? 1.0 : -1.0);
        c.line(w / 2, h, w / 2 + lean, top, 2.2, 0xFF3A7A40);
        c.line(w / 2 + lean, top, w / 2 + lean + bend * 6, top + 5, 1.8, 0xFF3A7A40);
        c.line(w / 2 - 3, h, w / 2 - 7, h * 0.55, 2.5, 0xFF4A8A50);  // the two narrow leaves
        c.line(w / 2 + 3, h, w / 2 + 6, h * 0.6, 2.5, 0xFF4A8A50);
        const double bx = w / 2 + lean + bend * 7, by = top + 11;
        c.fillEllipseRotated(bx - 3, by, 3.5, 8, -0.25 * bend, k.col);  // three petals
        c.fillEllipseRotated(bx + 3, by, 3.5, 8, 0.25 * bend, k.col);
        c.fillEllipse(bx, by + 1, 3.5, 7, shade(k.col, 0.92));
        c.fillEllipse(bx, by + 6, 2, 1.5, 0xFF60B060);  // the green tip of the inner petals
        c.fillEllipse(bx, by - 7, 2, 2, 0xFF3A7A40);    // the green cap on the stalk
        c.fillEllipse(w / 2, h - 2, w * 0.3, 2.5, kSnowShadow);
        return;
    }
    if (n == "cactus") {
        c.fillRoundRect(w * 0.35, h * 0.1, w * 0.3, h * 0.9, w * 0.15, k.col);
        c.fillRoundRect(w * 0.08, h * 0.35, w * 0.2, h * 0.3, w * 0.1, k.col);
        c.fillRect(w * 0.18, h * 0.55, w * 0.2, h * 0.08, k.col);
        if (k.index == 1) c.fillEllipse(w / 2, h * 0.1, 6, 6, 0xFFF06080);
        return;
    }
    if (n == "flowers-cattail") {
        c.line(w / 2, h, w / 2, h * 0.08, 2.5, 0xFF4A7A30);
        c.fillRoundRect(w / 2 - 5, h * 0.15, 10, h * 0.28, 5, k.col);
        c.line(w / 2, h, w * 0.15, h * 0.35, 2, 0xFF5A8A40);
        return;
    }
    if (n == "details1") {
        const double cx = w / 2, cy = h / 2;
        switch (k.index % 7) {
            case 0:
                c.fillEllipse(cx, cy + 10, 18, 10, kGrey);
                break;
            case 1:
                c.fillEllipse(cx, cy, 12, 12, 0xFFE04040);
                break;
            case 2:
                c.line(cx - 20, cy + 20, cx + 20, cy - 10, 6, kBrown);
                break;
            case 3:
                c.fillEllipse(cx, cy, 20, 8, 0xFF60A040);
                break;
            case 4:
                star(c, cx, cy, 16, 7, 5, 0, kYellow);
                break;
            case 5:
                c.fillEllipse(cx, cy + 8, 22, 14, 0xFF70B050);
                break;
            default:  // a mushroom
                c.fillRect(cx - 5, cy, 10, 22, 0xFFF0E8D8);
                c.fillEllipse(cx, cy, 22, 14, 0xFFD03020);
                c.fillEllipse(cx - 8, cy - 4, 3, 3, kWhite);
                c.fillEllipse(cx + 6, cy - 6, 3, 3, kWhite);
        }
        return;
    }
    // flowers
    const double top = h * (0.25 + 0.1 * (k.index % 3));
    c.line(w / 2, h, w / 2 + (k.index % 2 ? 4 : -4), top, 2.5, 0xFF3A8A30);
    c.fillEllipseRotated(w / 2 - 6, h * 0.75, 7, 3, 0.5, 0xFF4A9A40);
    const double fx = w / 2 + (k.index % 2 ? 4 : -4), r = w * 0.14;
    for (int p = 0; p < 5; ++p) {
        const double a = p * 2 * kPi / 5 + k.index;
        c.fillEllipse(fx + std::cos(a) * r, top + std::sin(a) * r, r * 0.8, r * 0.8,
                      shade(k.col, 0.9 + 0.04 * k.index));
    }
    c.fillEllipse(fx, top, r * 0.6, r * 0.6, k.e.name == "flowers2" ? 0xFFA05020 : kYellow);
}

void paintRock(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    if (k.e.name == "geyser") {
        c.fillPolygon({2, h - 1, w * 0.3, 4, w * 0.7, 4, w - 2, h - 1}, k.col);
        c.fillEllipse(w / 2, 6, w * 0.22, 5, 0xFF304050);
        c.fillEllipse(w / 2, 6, w * 0.12, 3, 0xFF80C0F0);
        return;
    }
    const int lumps = k.e.name == "rockPebbles" ? 5 : 1;
    for (int l = 0; l < lumps; ++l) {
        const double cx = lumps == 1 ? w / 2 : w * (0.15 + 0.17 * l), cy = lumps == 1 ? h * 0.55 : h * 0.6;
        const double rx = lumps == 1 ? w * 0.45 : w * 0.09, ry = lumps == 1 ? h * 0.42 : h * 0.3;
        std::vector<double> xy;
        for (int i = 0; i < 9; ++i) {
            const double a = i * 2 * kPi / 9, f = k.rng.range(0.75, 1.0);
            xy.push_back(cx + std::cos(a) * rx * f);
            xy.push_back(cy + std::sin(a) * ry * f);
        }
        c.fillPolygon(xy, shade(k.col, k.rng.range(0.85, 1.1)));
    }
    if (lumps == 1) c.fillEllipse(w * 0.4, h * 0.4, w * 0.12, h * 0.08, withAlpha(kWhite, 70));
}

// An ellipse on the frame being painted, which repeats across (and, with
// `down`, downward as well): drawn again a frame's width (and height) away,
// so that the part that falls off one edge comes back in at the other.
void fillWrapped(Ctx& k, double x, double y, double rx, double ry, uint32_t col, bool down) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    for (double dx : {-w, 0.0, w}) {
        if (!down) {
            c.fillEllipse(x + dx, y, rx, ry, col);
            continue;
        }
        for (double dy : {-h, 0.0, h}) c.fillEllipse(x + dx, y + dy, rx, ry, col);
    }
}

// The earths that repeat down a deep ground: one tone with a faint
// mottling and grains, every pattern repeating with the width and with the
// height, so that the tile continues on every side of itself.
void paintEarth(Ctx& k) {
    Canvas& c = k.c;
    const int w = static_cast<int>(k.w), h = static_cast<int>(k.h);
    const uint32_t base = shade(k.col, 0.85);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = 2 * kPi * x / w, v = 2 * kPi * y / h;
            const double f = 1.0 + 0.02 * std::sin(3 * u + 2 * v + 1.0) + 0.015 * std::sin(7 * u - v + 2.0) +
                             0.012 * std::sin(u + 3 * v + 4.0);
            c.set(x, y, shade(base, f));
        }
    for (int i = 0; i < w * h / 180; ++i) {
        const double x = k.rng.range(0, w), y = k.rng.range(0, h), r = k.rng.range(1.0, 3.5);
        fillWrapped(k, x, y, r, r * 0.8, shade(base, k.rng.range(0.65, 1.3)), true);
    }
}

// What lies along the surface over the earth: a lip of grass, or the
// autumn's leaves. The earth shows under it: below the grass's wavy edge, a
// shadow fades out within a few pixels, and below the leaves' ragged edge
// the tile is clear.
void paintLip(Ctx& k) {
    Canvas& c = k.c;
    const int w = static_cast<int>(k.w), h = static_cast<int>(k.h);
    const bool leaves = k.e.name == "ground-leaves";
    auto edge = [&](double x) {
        const double u = 2 * kPi * x / w;
        return leaves ? h * 0.42 + 3.0 * std::sin(5 * u + 1.0) + 2.0 * std::sin(13 * u + 2.0)
                      : h * 0.35 + 4.0 * std::sin(8 * u);
    };
    const uint32_t top = leaves ? k.col : 0xFF60B040;
    for (int x = 0; x < w; ++x) {
        const double t = edge(x + 0.5);
        for (int y = 0; y < h; ++y) {
            if (y + 1 <= t) c.set(x, y, shade(top, 1.0 - 0.2 * y / t));
            else if (y < t) c.set(x, y, withAlpha(shade(top, 0.8), static_cast<int>(255 * (t - y))));
        }
        // The shadow it casts on the earth, fading out in 8 pixels.
        for (int y = static_cast<int>(t); y < t + 8; ++y) {
            const double fade = 1.0 - (y + 0.5 - t) / 8.0;
            if (fade > 0.0) c.blend(x, y, withAlpha(0xFF2A1A0E, static_cast<int>(110 * fade)));
        }
    }
    const int count = w * h / (leaves ? 90 : 180);
    for (int i = 0; i < count; ++i) {
        const double x = k.rng.range(0, w), r = k.rng.range(1.0, 3.5);
        const double y = k.rng.range(0.0, std::max(1.0, edge(x) - r));
        const uint32_t col =
            leaves ? mix(0xFFD06020, 0xFFE0A030, k.rng.unit())
                   : shade(c.get(static_cast<int>(x) % w, static_cast<int>(y) % h), k.rng.range(0.65, 1.3));
        fillWrapped(k, x, y, leaves ? r * 2 : r, r * 0.8, col, false);
    }
}

// Seamless bands: every pattern repeats with the width.
void paintTile(Ctx& k) {
    Canvas& c = k.c;
    const std::string& n = k.e.name;
    if (n == "ground-dirt" || n == "ground-gravel") {
        paintEarth(k);
        return;
    }
    if (n == "ground-grass" || n == "ground-leaves") {
        paintLip(k);
        return;
    }
    const int w = static_cast<int>(k.w), h = static_cast<int>(k.h);
    const bool water = has(n, "water");
    c.verticalGradient(k.col, water ? shade(k.col, 0.75) : shade(k.col, 0.7));
    if (water) {
        for (int y = 6; y < h; y += 14)
            for (int x = 0; x < w; ++x) {
                const double yy = y + 2.5 * std::sin(2 * kPi * x * 4 / w + y);
                c.blend(x, static_cast<int>(yy), withAlpha(kWhite, 110));
            }
        return;
    }
    if (n == "terrain-grassy") {
        const double edge = h * 0.3;
        for (int x = 0; x < w; ++x) {
            const double t = edge + 4 * std::sin(2 * kPi * x * 8 / w);
            for (int y = 0; y < h; ++y) {
                if (y < t) c.set(x, y, shade(0xFF60B040, 1.0 - 0.2 * y / t));
                else c.set(x, y, mix(0xFF8A6440, 0xFF5A3E26, static_cast<double>(y) / h));
            }
        }
    }
    const int dots = w * h / 180;
    for (int i = 0; i < dots; ++i) {
        const double x = k.rng.range(0, w), y = k.rng.range(n == "terrain-grassy" ? h * 0.4 : 0.0, h);
        const double r = k.rng.range(1.0, 3.5);
        uint32_t col = shade(c.get(static_cast<int>(x) % w, static_cast<int>(y) % h), k.rng.range(0.65, 1.3));
        if (n == "terrain-deco-roots") {
            if (i % 4 == 0) {
                const double down = k.rng.range(5, 20);
                const double across = k.rng.range(-20, 20);
                c.line(x, y, x + across, y + down, 2, 0xFF5A3A20);
            }
        } else fillWrapped(k, x, y, r, r * 0.8, col, false);
    }
}

// Hills: a sum of sines whose periods divide the width, so the strip tiles,
// over their foot: the rows below the hills' own height (the frame's origin
// adjustment, which keeps the strip's top where the hills alone would put
// it) continue their darkest colour down, so that the strip stands on
// ground of its own however high it is drawn over the level's.
void paintHills(Ctx& k) {
    const double w = k.w, h = k.h - k.f.oy;
    Lcg rng(hashOf(k.e.name));
    const double a1 = h * rng.range(0.12, 0.2), a2 = h * rng.range(0.05, 0.1), a3 = h * rng.range(0.02, 0.05);
    const double p1 = rng.range(0, 6.28), p2 = rng.range(0, 6.28), p3 = rng.range(0, 6.28);
    const int k1 = 2 + static_cast<int>(rng.next() % 2), k2 = 5 + static_cast<int>(rng.next() % 2), k3 = 11;
    const uint32_t foot = shade(k.col, 0.7);
    // The hills darken down their own height (the frame is its sheet).
    k.c.setClip(0, 0, static_cast<int>(w), static_cast<int>(h));
    k.c.fillBelow(
        [&](double x) {
            const double u = 2 * kPi * x / w;
            return h * 0.4 + a1 * std::sin(k1 * u + p1) + a2 * std::sin(k2 * u + p2) + a3 * std::sin(k3 * u + p3);
        },
        k.col, foot);
    k.c.clearClip();
    k.c.fillRect(0, h, w, k.h - h, foot);
    // The bottom row stays clear: bilinear filtering with wrapped texture
    // coordinates would otherwise draw it along the strip's top edge.
    for (int x = 0; x < static_cast<int>(w); ++x) k.c.set(x, static_cast<int>(k.h) - 1, 0);
    for (int t = 0; t < 12; ++t) {  // a few tree dots, kept away from the seam
        const double x = w * (0.04 + 0.92 * t / 11.0);
        const double u = 2 * kPi * x / w;
        const double y = h * 0.4 + a1 * std::sin(k1 * u + p1) + a2 * std::sin(k2 * u + p2) + a3 * std::sin(k3 * u + p3);
        k.c.fillEllipse(x, y + 2, 7, 9, shade(k.col, 0.6));
    }
}

void paintSky(Ctx& k) {
    Canvas& c = k.c;
    c.verticalGradient(shade(k.col, 0.85), mix(k.col, kWhite, 0.6));
    Lcg rng(hashOf(k.e.name));
    for (int i = 0; i < 7; ++i) {
        const double x = rng.range(0, k.w), y = rng.range(k.h * 0.1, k.h * 0.55);
        for (int p = 0; p < 4; ++p) c.softDisc(x + p * 40 - 60, y + (p % 2) * 10, 60 + p * 5, withAlpha(kWhite, 170));
    }
    if (has(k.e.name, "winter"))
        for (int i = 0; i < 200; ++i) {
            const double y = rng.range(0, k.h);
            const double x = rng.range(0, k.w);
            c.fillEllipse(x, y, 2, 2, withAlpha(kWhite, 200));
        }
}

// Mrs. Tumbro facing right: her body's middle at (x, y); she reaches from
// x - 50 s to x + 80 s and from y - 59 s to y + 54 s.
void drawPig(Canvas& c, double x, double y, double s, uint32_t body = kPink, uint32_t dark = kDarkPink) {
    c.fillEllipse(x, y, 50 * s, 40 * s, body);
    c.strokeEllipse(x, y, 50 * s, 40 * s, 2 * s, dark);
    for (double lx : {-30.0, -10.0, 12.0, 30.0})
        c.fillRoundRect(x + lx * s - 6 * s, y + 30 * s, 12 * s, 24 * s, 4 * s, dark);
    pigHead(c, x + 48 * s, y - 22 * s, 32 * s, body);
}

void paintScene(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    if (k.e.name == "valley") {
        // The four seasons' valleys from left to right, blending into each
        // other, under the road and its markers. The level titles are light
        // green and the ratings white, in the small plain font up to the
        // winter valley and with an outline there: every valley is of a deep
        // tone for them, the winter one too, snow in the blue of a winter
        // evening with frosted trees.
        static const uint32_t seasons[4] = {0xFF3E7434, 0xFF6A6A2A, 0xFF7C4626, 0xFF3C4E6C};
        static const uint32_t trees[4] = {0xFF285A22, 0xFF4A5418, 0xFF5A2C14, 0xFF2A3A52};
        // The borders between the valleys (pixels of the picture, which
        // the map centres): the road enters the winter valley at x 548 of
        // the map, where the last autumn level's title still stands on
        // autumn.
        const double borders[3] = {w * 0.25, w * 0.5, w * 0.5 + 560}, blend[3] = {48, 48, 12};
        auto seasonAt = [&](double x, const uint32_t* colours) {
            int i = 0;
            while (i < 3 && x >= borders[i] + blend[i]) ++i;
            if (i < 3 && x > borders[i] - blend[i]) {
                const double t = (x - borders[i] + blend[i]) / (2 * blend[i]);
                return mix(colours[i], colours[i + 1], t * t * (3 - 2 * t));
            }
            return colours[i];
        };
        for (int x = 0; x < static_cast<int>(w); ++x) {
            const uint32_t ground = seasonAt(x + 0.5, seasons);
            for (int y = 0; y < static_cast<int>(h); ++y) c.set(x, y, shade(ground, 1.08 - 0.2 * y / h));
        }
        Lcg rng(7);
        for (int p = 0; p < 40; ++p) {  // meadows and fields: soft lighter patches
            const double x = rng.range(0, w), y = rng.range(0, h);
            c.softDisc(x, y, rng.range(60, 140), withAlpha(shade(seasonAt(x, seasons), 1.25), 60));
        }
        double py = h * 0.5;
        for (double x = 0; x < w; x += 8) {  // a river across the valleys
            const double y = h * 0.5 + std::sin(x / 160.0) * h * 0.25;
            c.line(x - 8, py, x, y, 18, 0xFF2F6CA8);
            c.line(x - 8, py - 4, x, y - 4, 4, 0xFF4E8CC8);
            py = y;
        }
        const double winter = borders[2] + blend[2];
        for (int t = 0; t < 220; ++t) {  // trees, in the season's colour
            const double x = rng.range(0, w), y = rng.range(0, h);
            const uint32_t tree = shade(seasonAt(x, trees), rng.range(0.85, 1.15));
            c.fillEllipse(x + 2, y + 3, 9, 11, withAlpha(0xFF000000, 50));
            c.fillEllipse(x, y, 9, 11, tree);
            if (x >= winter) c.fillEllipse(x - 1, y - 4, 6, 5, 0xFFC8D6E6);  // snow on the crown
        }
        for (int f = 0; f < 500; ++f) {  // falling snow
            const double x = rng.range(winter, w), y = rng.range(0, h);
            c.fillEllipse(x, y, 1.5, 1.5, withAlpha(kWhite, 170));
        }
        return;
    }
    // The intro picture: Mrs. Tumbro, her apples and her house under the sky,
    // sharp behind the main menu and the intro story, blurred behind every
    // other page. The pages' texts stand in a band across the middle of the
    // picture: the credits roll up it from the bottom edge to the top (light
    // pink rows from about x 220 to 800, white headings), and the high-score
    // rows stand in it (yellow to green, and the other seasons' colours).
    // So the house, the pig and her apples keep to the sides, out of the
    // band, and the blurred picture is the same scene at dusk: a sky and a
    // meadow dark enough that light texts stand out anywhere in the band.
    const bool dusk = k.e.name == "intro-blurred";
    auto lit = [dusk](uint32_t c) { return dusk ? shade(c, 0.6) : c; };
    if (dusk) c.verticalGradient(0xFF1E3060, 0xFF7080B0);
    else c.verticalGradient(0xFF3F86D2, 0xFFB4DAF4);
    if (dusk) c.softDisc(w * 0.09, h * 0.13, 34, 0xFFF4F0DC);  // the moon, left of the band
    // The meadow is of a deep green by day too: the main menu's greeting
    // stands on it in light pink, its hint line in a pink of middle
    // lightness.
    c.fillBelow([&](double x) { return h * 0.4 + 22 * std::sin(x / 150.0 + 1.0); }, dusk ? 0xFF3A6D35 : 0xFF3A7E32,
                dusk ? 0xFF264C24 : 0xFF1E4A1A);
    const double hx = w * 0.81, hy = h * 0.43;  // the house on the hill, right of the band
    c.fillRect(hx, hy - 110, 170, 120, lit(0xFFC86E46));
    c.fillPolygon({hx - 18, hy - 110, hx + 85, hy - 190, hx + 188, hy - 110}, lit(0xFFA04030));
    c.fillRect(hx + 65, hy - 60, 38, 70, lit(0xFF7A4A20));
    if (dusk) {  // lamplight in the windows
        c.fillRect(hx + 18, hy - 86, 30, 26, 0xFFF2C860);
        c.fillRect(hx + 122, hy - 86, 30, 26, 0xFFF2C860);
    }
    // Mrs. Tumbro below it on her way home, and her apples in a heap at the
    // left edge.
    drawPig(c, w * 0.88, h * 0.8, 1.4, lit(kPink), lit(kDarkPink));
    static const double heap[6][2] = {{45, 0}, {88, 0}, {131, 0}, {66, -32}, {109, -32}, {88, -64}};
    for (const auto& a : heap) apple(c, a[0], h * 0.86 + a[1], 20, lit(kRed));
    if (dusk) c.blur(6, 2);
}

void paintMinimap(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    Lcg rng(hashOf(k.e.name));
    c.verticalGradient(0xFF9CD0F4, 0xFFE0F0FF);
    const double a = rng.range(15, 35), b = rng.range(5, 15), p = rng.range(0, 6);
    c.fillBelow([&](double x) { return h * 0.6 + a * std::sin(x / 40.0 + p) + b * std::sin(x / 13.0); }, 0xFF58A040,
                0xFF6A4A2A);
    const double hx = rng.range(w * 0.6, w * 0.9);
    const double hy = h * 0.6 + a * std::sin(hx / 40.0 + p) + b * std::sin(hx / 13.0);
    c.fillRect(hx - 10, hy - 18, 20, 18, 0xFFC86E46);
    c.fillPolygon({hx - 13, hy - 18, hx, hy - 30, hx + 13, hy - 18}, 0xFFA04030);
    for (int i = 0; i < 4; ++i) {
        const double x = rng.range(w * 0.05, w * 0.55);
        const double y = h * 0.6 + a * std::sin(x / 40.0 + p) + b * std::sin(x / 13.0);
        c.fillEllipse(x, y - 4, 4, 4, kRed);
    }
}

// An arc of a circle from angle a0 to a1 (radians, clockwise on screen from
// the right), drawn as a line with round ends.
void arc(Canvas& c, double cx, double cy, double r, double a0, double a1, double width, uint32_t col) {
    const int steps = std::max(4, static_cast<int>(std::fabs(a1 - a0) * r / 2.0));
    double px = cx + r * std::cos(a0), py = cy + r * std::sin(a0);
    for (int i = 1; i <= steps; ++i) {
        const double a = a0 + (a1 - a0) * i / steps;
        const double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
        c.line(px, py, x, y, width, col);
        px = x;
        py = y;
    }
}

// A pie slice from the top, clockwise, `fraction` of the whole disc.
void pie(Canvas& c, double cx, double cy, double r, double fraction, uint32_t col) {
    if (fraction <= 0.0) return;
    if (fraction >= 1.0) {
        c.fillEllipse(cx, cy, r, r, col);
        return;
    }
    std::vector<double> xy = {cx, cy};
    const int steps = std::max(2, static_cast<int>(48 * fraction));
    for (int i = 0; i <= steps; ++i) {
        const double a = -kPi / 2 + 2 * kPi * fraction * i / steps;
        xy.push_back(cx + r * std::cos(a));
        xy.push_back(cy + r * std::sin(a));
    }
    c.fillPolygon(xy, col);
}

// A question mark of strokes, s high, centred on (cx, cy).
void questionMark(Canvas& c, double cx, double cy, double s, double width, uint32_t col) {
    const double r = s * 0.24, hy = cy - s * 0.22;
    arc(c, cx, hy, r, kPi * 1.05, kPi * 2.3, width, col);
    const double ex = cx + r * std::cos(kPi * 2.3), ey = hy + r * std::sin(kPi * 2.3);
    c.line(ex, ey, cx, cy + s * 0.14, width, col);
    c.fillEllipse(cx, cy + s * 0.38, width * 0.7, width * 0.7, col);
}

void checkMark(Canvas& c, double cx, double cy, double r, double width, uint32_t col) {
    c.line(cx - r * 0.5, cy, cx - r * 0.12, cy + r * 0.4, width, col);
    c.line(cx - r * 0.12, cy + r * 0.4, cx + r * 0.55, cy - r * 0.42, width, col);
}

// A small house: walls w wide with a roof, standing on (cx, base).
void smallHouse(Canvas& c, double cx, double base, double w, uint32_t walls) {
    c.fillRect(cx - w * 0.4, base - w * 0.55, w * 0.8, w * 0.55, walls);
    c.fillPolygon({cx - w * 0.55, base - w * 0.5, cx, base - w * 0.95, cx + w * 0.55, base - w * 0.5}, 0xFFA04030);
    c.fillRect(cx - w * 0.1, base - w * 0.3, w * 0.2, w * 0.3, 0xFF5A3A20);
}

// A small basket: a woven tub w wide standing on (cx, base).
void smallBasket(Canvas& c, double cx, double base, double w, uint32_t col) {
    const double top = base - w * 0.55;
    c.fillPolygon({cx - w / 2, top, cx + w / 2, top, cx + w * 0.36, base, cx - w * 0.36, base}, col);
    c.line(cx - w / 2, top, cx + w / 2, top, std::max(1.0, w * 0.1), shade(col, 0.55));
    c.line(cx - w * 0.42, top + w * 0.25, cx + w * 0.42, top + w * 0.25, std::max(0.8, w * 0.05), shade(col, 0.65));
    arc(c, cx, top, w * 0.32, kPi, 2 * kPi, std::max(1.0, w * 0.08), shade(col, 0.8));
}

void paintIcon(Ctx& k) {
    Canvas& c = k.c;
    const std::string& l = k.f.label;
    const std::string& n = k.e.name;
    const double w = k.w, h = k.h, cx = w / 2, cy = h / 2, r = k.m() / 2 - 1.5;
    const uint32_t glass = withAlpha(kWhite, 170);
    if (n == "hud-touchscreen") {
        if (l == "unused") return;
        c.fillEllipse(cx, cy, r, r, withAlpha(0xFF000000, 90));
        c.strokeEllipse(cx, cy, r, r, 3, glass);
        if (l == "left")
            c.fillPolygon({cx - r * 0.5, cy, cx + r * 0.35, cy - r * 0.5, cx + r * 0.35, cy + r * 0.5}, glass);
        else if (l == "right")
            c.fillPolygon({cx + r * 0.5, cy, cx - r * 0.35, cy - r * 0.5, cx - r * 0.35, cy + r * 0.5}, glass);
        else if (l == "jump")
            c.fillPolygon({cx, cy - r * 0.5, cx - r * 0.5, cy + r * 0.35, cx + r * 0.5, cy + r * 0.35}, glass);
        else if (l == "pause") {
            c.fillRect(cx - r * 0.35, cy - r * 0.4, r * 0.25, r * 0.8, glass);
            c.fillRect(cx + r * 0.1, cy - r * 0.4, r * 0.25, r * 0.8, glass);
        } else if (l == "help") questionMark(c, cx, cy, r * 1.1, r * 0.16, glass);
        else if (l == "stats") {
            for (int b = 0; b < 3; ++b)
                c.fillRect(cx - r * 0.45 + b * r * 0.35, cy + r * 0.4 - r * 0.3 * (b + 1), r * 0.25, r * 0.3 * (b + 1),
                           glass);
        } else {  // the map: a folded sheet with a route on it
            const double x0 = cx - r * 0.55, y0 = cy - r * 0.4, pw = r * 1.1 / 3, ph = r * 0.8, tilt = r * 0.1;
            for (int p = 0; p < 3; ++p) {
                const double a = x0 + p * pw, b = a + pw, up = (p % 2) ? tilt : 0.0, down = (p % 2) ? 0.0 : tilt;
                c.fillPolygon({a, y0 + up, b, y0 + down, b, y0 + ph + down, a, y0 + ph + up},
                              withAlpha(kWhite, p % 2 ? 130 : 190));
            }
            c.line(x0 + pw * 0.4, y0 + ph * 0.75, x0 + pw * 1.5, y0 + ph * 0.35, 2, withAlpha(kRed, 220));
            c.line(x0 + pw * 1.5, y0 + ph * 0.35, x0 + pw * 2.5, y0 + ph * 0.55, 2, withAlpha(kRed, 220));
            c.fillEllipse(x0 + pw * 2.5, y0 + ph * 0.55, 3, 3, withAlpha(kRed, 240));
        }
        return;
    }
    if (n == "compass") {
        static const uint32_t kinds[3] = {kRed, kBrown, 0xFFC86E46};
        const int kind = (k.index / 2) % 3;
        if (k.index % 2 == 0) {
            c.fillEllipse(cx, cy, r, r, 0xFFE8E0C8);
            c.strokeEllipse(cx, cy, r, r, 3, kinds[kind]);
            for (int t = 0; t < 8; ++t) {  // ticks round the dial
                const double a = t * kPi / 4, in = t % 2 ? r * 0.78 : r * 0.68;
                c.line(cx + std::cos(a) * in, cy + std::sin(a) * in, cx + std::cos(a) * (r - 3),
                       cy + std::sin(a) * (r - 3), 1.2, 0xFF807860);
            }
            // What the needle leads to, under the needle's hub.
            if (kind == 0) apple(c, cx, cy + r * 0.05, r * 0.32, withAlpha(kRed, 200));
            else if (kind == 1) smallBasket(c, cx, cy + r * 0.3, r * 0.7, withAlpha(kBrown, 210));
            else smallHouse(c, cx, cy + r * 0.35, r * 0.7, withAlpha(kinds[2], 210));
        } else {
            // The needle turns by the angle of its target from +x, so at
            // rest it points right: the coloured tip right, the tail left.
            c.fillPolygon({w - 2, cy, cx, cy - 4, cx, cy + 4}, kinds[kind]);
            c.fillPolygon({2, cy, cx, cy - 4, cx, cy + 4}, 0xFF606060);
            c.fillEllipse(cx, cy, 2.5, 2.5, 0xFF303030);
        }
        return;
    }
    if (n == "minimapIcons") {
        if (l == "pig") pigHead(c, cx, cy + 1.5, 5.8, kPink);
        else if (l == "apple") apple(c, cx, cy + 1.5, 5.8, kRed);
        else if (l == "basket") smallBasket(c, cx, h - 2, w - 3, kBrown);
        else if (l == "hat") {
            c.fillEllipseRotated(cx - 5, cy, 3.5, 2, 0.5, kWhite);
            c.fillEllipseRotated(cx + 5, cy, 3.5, 2, -0.5, kWhite);
            c.fillPolygon(dome(cx, cy + 4, 5, 7), 0xFF40A0E0);
            c.fillRect(cx - 6, cy + 3, 12, 2.5, 0xFF2A70A0);
        } else if (l == "umbrella") {
            c.fillPolygon(dome(cx, cy - 1, 7, 6), 0xFF4060D0);
            c.line(cx, cy - 5, cx, h - 2, 1.5, kBrown);
        } else smallHouse(c, cx, h - 1, w - 4, 0xFFC86E46);
        return;
    }
    // The award sprites: one picture at three sizes (the big one while it is
    // awarded, the small ones it settles as), so that nothing changes but
    // the size it already had when it takes a small frame. The star is
    // drawn light, since it takes its row's colour; the trophy in gold.
    if (n == "statsStar") {
        star(c, cx, cy, r, r * 0.45, 5, 0, 0xFF806838);
        star(c, cx, cy + r * 0.02, r * 0.84, r * 0.38, 5, 0, 0xFFFFF6D8);
        star(c, cx - r * 0.08, cy - r * 0.1, r * 0.36, r * 0.16, 5, 0, kWhite);
        return;
    }
    if (n == "statsTrophy") {
        const uint32_t gold = k.col, dark = shade(k.col, 0.55), light = mix(k.col, kWhite, 0.5);
        const double t = std::max(1.5, w * 0.06);
        c.strokeEllipse(w * 0.22, h * 0.32, w * 0.14, h * 0.15, t, dark);
        c.strokeEllipse(w * 0.78, h * 0.32, w * 0.14, h * 0.15, t, dark);
        c.fillPolygon({w * 0.2, h * 0.1, w * 0.8, h * 0.1, w * 0.66, h * 0.56, w * 0.34, h * 0.56}, dark);
        c.fillPolygon({w * 0.25, h * 0.14, w * 0.75, h * 0.14, w * 0.63, h * 0.52, w * 0.37, h * 0.52}, gold);
        c.fillPolygon({w * 0.32, h * 0.17, w * 0.42, h * 0.17, w * 0.42, h * 0.45, w * 0.38, h * 0.45}, light);
        c.fillRect(w * 0.44, h * 0.55, w * 0.12, h * 0.2, dark);
        c.fillRoundRect(w * 0.28, h * 0.74, w * 0.44, h * 0.14, w * 0.03, dark);
        c.fillRoundRect(w * 0.31, h * 0.76, w * 0.38, h * 0.09, w * 0.02, gold);
        return;
    }
    if (n == "editor_icons") {  // white symbols on the editor's colour
        c.fillRoundRect(1, 1, w - 2, h - 2, 6, k.col);
        c.strokeRoundRect(1, 1, w - 2, h - 2, 6, 1.5, shade(k.col, 0.45));
        const uint32_t ink = kWhite, dim = 0xFFE8C8E8, dark = 0xFFC8A0C8;
        if (l == "object") {  // a box seen from above the corner
            c.fillPolygon({cx, 6, w - 7, 11, cx, 16, 7, 11}, ink);
            c.fillPolygon({7, 11, cx, 16, cx, h - 5, 7, h - 10}, dim);
            c.fillPolygon({cx, 16, w - 7, 11, w - 7, h - 10, cx, h - 5}, dark);
        } else if (l == "trigger") {  // a lightning bolt
            c.fillPolygon({cx + 3, 4, 8, cy + 2, cx - 1, cy + 2, cx - 4, h - 4, w - 8, cy - 3, cx + 1, cy - 3}, ink);
        } else if (l == "hint") {  // a light bulb
            c.fillEllipse(cx, cy - 3, 8, 8, ink);
            c.fillRect(cx - 4, cy + 3, 8, 5, ink);
            c.fillRect(cx - 3.5, cy + 8.5, 7, 2, dark);
            c.fillRect(cx - 2.5, cy + 11, 5, 2, dark);
        } else {  // secret: a key
            c.strokeEllipse(10, cy, 6, 6, 3, ink);
            c.line(15, cy, w - 5, cy, 3, ink);
            c.line(w - 7, cy, w - 7, cy + 5, 3, ink);
            c.line(w - 12, cy, w - 12, cy + 4, 3, ink);
        }
        return;
    }
    if (n == "editor_symbols") {  // point marks: the shape tells the kind
        const uint32_t edge = 0xFF301030, fill = k.col;
        const double a = r - 1;
        if (l == "s0") {
            c.fillRect(cx - a, cy - a, 2 * a, 2 * a, edge);
            c.fillRect(cx - a + 1.5, cy - a + 1.5, 2 * a - 3, 2 * a - 3, fill);
        } else if (l == "s1") {
            c.fillPolygon({cx, cy - a - 1, cx + a + 1, cy, cx, cy + a + 1, cx - a - 1, cy}, edge);
            c.fillPolygon({cx, cy - a + 1, cx + a - 1, cy, cx, cy + a - 1, cx - a + 1, cy}, fill);
        } else if (l == "point") {
            c.fillEllipse(cx, cy, a, a, edge);
            c.fillEllipse(cx, cy, a - 1.5, a - 1.5, fill);
            c.fillEllipse(cx - 1.5, cy - 1.5, 1.5, 1.5, withAlpha(kWhite, 200));
        } else if (l == "s3") {
            c.fillPolygon({cx, cy - a - 1, cx + a + 1, cy + a, cx - a - 1, cy + a}, edge);
            c.fillPolygon({cx, cy - a + 2, cx + a - 1.5, cy + a - 1.2, cx - a + 1.5, cy + a - 1.2}, fill);
        } else if (l == "s4") {
            c.line(cx - a, cy - a, cx + a, cy + a, 4, edge);
            c.line(cx + a, cy - a, cx - a, cy + a, 4, edge);
            c.line(cx - a + 1, cy - a + 1, cx + a - 1, cy + a - 1, 2, fill);
            c.line(cx + a - 1, cy - a + 1, cx - a + 1, cy + a - 1, 2, fill);
        } else {  // vertex: a hollow square round a dot
            c.strokeRoundRect(cx - a, cy - a, 2 * a, 2 * a, 1, 2.5, edge);
            c.strokeRoundRect(cx - a + 0.75, cy - a + 0.75, 2 * a - 1.5, 2 * a - 1.5, 1, 1.2, fill);
            c.fillEllipse(cx, cy, 2, 2, fill);
        }
        return;
    }
    if (n == "valleyDot") {  // the rating fills the dot like a clock, the best one with a star
        c.fillEllipse(cx, cy, r, r, 0xFF707070);
        pie(c, cx, cy, r, (k.index + 1.0) / k.count, k.col);
        c.strokeEllipse(cx, cy, r, r, std::max(1.5, r / 7), 0xFF403820);
        if (k.index + 1 == k.count) star(c, cx, cy, r * 0.6, r * 0.26, 5, 0, kWhite);
        return;
    }
    // The marker and the ring stand on the road point (the frame's middle);
    // the level's title stands from 10 units above that point upwards and a
    // finished level's rating from 10 units below it downwards, so both keep
    // within 10 units of the point: the ring, under the marker, is a flat
    // halo whose sides show beside a finished level's dot (radius 9.5), and
    // the pin's head sits on the point, its needle below (an open level
    // shows no rating).
    if (l == "ring") {
        const double rx = w / 2 - 2, ry = h / 2 - 2.5;
        c.strokeEllipse(cx, cy, rx, ry, 3.5, 0xFF3A2A08);
        c.strokeEllipse(cx, cy, rx, ry, 2, 0xFFFFE060);
        return;
    }
    if (l == "marker") {  // a map pin
        const double pr = 8.5, py = cy + 1;
        c.fillEllipse(cx + 2, h - 3, w * 0.14, 2.5, withAlpha(0xFF000000, 80));
        c.fillPolygon({cx - pr * 0.8, py + pr * 0.55, cx, h - 3, cx + pr * 0.8, py + pr * 0.55}, shade(k.col, 0.8));
        c.fillEllipse(cx, py, pr, pr, k.col);
        c.strokeEllipse(cx, py, pr, pr, 1.5, shade(k.col, 0.6));
        c.fillEllipse(cx, py, pr * 0.42, pr * 0.42, kWhite);
        return;
    }
    uint32_t col = k.col;
    if (l == "perfect") col = 0xFFFFD030;
    if (l == "record") col = 0xFF4080F0;
    if (l == "100%") col = 0xFF40B040;
    c.fillEllipse(cx, cy, r, r, col);
    c.strokeEllipse(cx, cy, r, r, std::max(1.0, r / 8), shade(col, 0.55));
    if (l == "perfect") star(c, cx, cy, r * 0.7, r * 0.3, 5, 0, kWhite);
    if (l == "record") {  // a stopwatch
        const double t = std::max(1.0, r * 0.14);
        c.fillRect(cx - t, cy - r * 0.85, 2 * t, r * 0.2, kWhite);
        c.strokeEllipse(cx, cy + r * 0.06, r * 0.56, r * 0.56, t, kWhite);
        c.line(cx, cy + r * 0.06, cx, cy - r * 0.3, t, kWhite);
        c.line(cx, cy + r * 0.06, cx + r * 0.28, cy + r * 0.06, t, kWhite);
    }
    if (l == "100%") checkMark(c, cx, cy, r, std::max(2.0, r * 0.2), kWhite);
}

// An arrow from (x0, y0) to (x1, y1) with a filled head.
void arrow(Canvas& c, double x0, double y0, double x1, double y1, double width, uint32_t col) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    if (len <= 0.0) return;
    const double ux = (x1 - x0) / len, uy = (y1 - y0) / len, head = width * 2.6;
    c.line(x0, y0, x1 - ux * head * 0.8, y1 - uy * head * 0.8, width, col);
    c.fillPolygon({x1, y1, x1 - ux * head - uy * head * 0.75, y1 - uy * head + ux * head * 0.75,
                   x1 - ux * head + uy * head * 0.75, y1 - uy * head - ux * head * 0.75},
                  col);
}

// A tutorial page: a small picture of one lesson on a card, with the page's
// place among the pages as dots under it.
void paintTutorialPage(Ctx& k, int page, int pages) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    c.fillRoundRect(0, 0, w, h, 14, shade(k.col, 0.6));
    c.fillRoundRect(6, 6, w - 12, h - 12, 10, 0xFFE8F4FF);
    const double ground = h * 0.7;
    // The scene: sky and a meadow.
    c.fillRoundRect(12, 12, w - 24, ground - 12, 6, 0xFFB8DCF8);
    c.fillRect(12, ground, w - 24, h * 0.12, 0xFF6AB85A);
    c.fillRect(12, ground + h * 0.12, w - 24, 3, 0xFF4A8A3A);
    const uint32_t cue = 0xFFF08A24;
    const double px = w * 0.36, py = ground - 26;
    switch (page % 5) {
        case 0:  // walk: the pig between two arrows
            drawPig(c, px + 10, py, 0.55);
            arrow(c, px - 40, py - 40, px - 80, py - 40, 5, cue);
            arrow(c, px + 60, py - 40, px + 100, py - 40, 5, cue);
            break;
        case 1:  // jump: the pig in the air over a rock, on her way along the arc
            c.fillEllipse(px + 60, ground, 22, 14, 0xFF8C8C8C);
            arc(c, px + 60, ground + 30, 90, kPi + 0.34, 2 * kPi - 0.34, 3, withAlpha(cue, 200));
            drawPig(c, px + 60, ground - 86, 0.45);
            arrow(c, px - 50, py + 10, px - 50, py - 50, 5, cue);
            break;
        case 2:  // push: the pig rolls an apple ahead of her
            drawPig(c, px - 10, py, 0.55);
            apple(c, px + 80, ground - 14, 14, kRed);
            arrow(c, px + 100, ground - 46, px + 140, ground - 46, 5, cue);
            break;
        case 3:  // the apple goes into the basket
            smallBasket(c, w * 0.62, ground + 2, 64, kBrown);
            apple(c, w * 0.62, ground - 70, 14, kRed);
            arrow(c, w * 0.62 + 34, ground - 90, w * 0.62 + 34, ground - 50, 5, cue);
            drawPig(c, w * 0.27, py, 0.45);
            break;
        default:  // home: apples in the basket by the house
            smallHouse(c, w * 0.66, ground + 1, 90, 0xFFC86E46);
            smallBasket(c, w * 0.32, ground + 2, 54, kBrown);
            for (int a = 0; a < 3; ++a) apple(c, w * 0.32 - 14 + 14 * a, ground - 34 - (a % 2) * 6, 8, kRed);
            star(c, w * 0.85, ground - 95, 12, 5, 5, 0, 0xFFFFD840);
            break;
    }
    for (int d = 0; d < pages; ++d) {
        const double dx = w / 2 + (d - (pages - 1) / 2.0) * 16, dy = h - 20;
        if (d == page) c.fillEllipse(dx, dy, 5, 5, shade(k.col, 0.8));
        else c.strokeEllipse(dx, dy, 5, 5, 1.5, shade(k.col, 0.8));
    }
}

// The push button. Its sheet is stretched with fixed left and bottom borders
// (36 pixels) and the rest scaled, so its look runs along x: a candy-like
// bar with a gloss on top and a darker lip below, thin sides. The captions
// are half-transparent black, a quarter black while the button is disabled
// and white at full highlight: the face is light, so that a caption reads
// and a disabled one plainly fades; the highlight, drawn over the face as
// the pointer comes, is the same bar in a deep shade with a golden rim, so
// that the white caption reads on it.
//
// Both ends are round, with no straight piece of outline: the left one a
// half circle in the fixed border, the right one drawn squeezed to
// kButtonRightEnd of its width (its end and its rim). The pages' buttons
// (160 and 256 wide) stretch the frame's 92 scaled columns 1.35 to 2.4
// times, which widens that end back to 0.8 to 1.4 times a half circle
// with a rim of one to three pixels.
constexpr double kButtonRightEnd = 0.6;

// The bar inset by `inset` at the top, left and right (the right squeezed)
// and by `bottom` at the bottom, its ends as round as the outline's at that
// inset; only its part above row `cut`.
void fillButtonBar(Canvas& c, double w, double h, double inset, double bottom, uint32_t col, double cut = 1e9) {
    const double y0 = inset, y1 = h - bottom, yc = (y0 + y1) / 2, ry = (y1 - y0) / 2;
    const double rl = h / 2 - inset, rr = rl * kButtonRightEnd;
    const double cl = inset + rl, cr = w - inset * kButtonRightEnd - rr;
    constexpr int steps = 48;
    std::vector<double> outline;
    for (int i = 0; i <= steps; ++i) {  // the left end, from the top down
        const double t = kPi * i / steps;
        outline.push_back(cl - rl * std::sin(t));
        outline.push_back(yc - ry * std::cos(t));
    }
    for (int i = 0; i <= steps; ++i) {  // the right end, from the bottom up
        const double t = kPi * i / steps;
        outline.push_back(cr + rr * std::sin(t));
        outline.push_back(yc + ry * std::cos(t));
    }
    // Cut along the row: each edge keeps its part above it.
    std::vector<double> xy;
    const size_t n = outline.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        const double ax = outline[2 * i], ay = outline[2 * i + 1], bx = outline[2 * j], by = outline[2 * j + 1];
        if (ay <= cut) xy.insert(xy.end(), {ax, ay});
        if ((ay <= cut) != (by <= cut)) xy.insert(xy.end(), {ax + (bx - ax) * (cut - ay) / (by - ay), cut});
    }
    c.fillPolygon(xy, col);
}

void paintButton(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    const bool lit = k.f.label == "highlight";
    const uint32_t face = lit ? shade(k.col, 0.62) : mix(k.col, kWhite, 0.45);
    const uint32_t rim = lit ? 0xFFFFD840 : shade(k.col, 0.5);
    fillButtonBar(c, w, h, 0, 0, rim);
    fillButtonBar(c, w, h, 2, 2, shade(face, 0.86));
    fillButtonBar(c, w, h, 2, 7, face);
    // The gloss: the upper part of a bar set in further.
    fillButtonBar(c, w, h, 4, 9, withAlpha(shade(face, 1.12), 200), 4 + (h - 9) * 0.42);
    c.fillRoundRect(h / 2 - 4, 5, w - h / 2 - 6, 3, 1.5, withAlpha(kWhite, lit ? 90 : 140));
}

// The frame of value, choice, toggle, slider and key items (insets 16 on
// every side): a light box with a darker border for their captions and
// values in half-transparent black, and for the highlight, over it, a deep
// box with a golden rim for the same texts in white.
void paintEditBox(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h, r = std::min(10.0, h / 4);
    const bool lit = k.f.label == "highlight";
    const uint32_t face = lit ? shade(k.col, 0.62) : mix(k.col, kWhite, 0.55);
    c.fillRoundRect(0, 0, w, h, r, lit ? 0xFFFFD840 : shade(k.col, 0.55));
    c.fillRoundRect(3, 3, w - 6, h - 6, std::max(0.0, r - 3), face);
    c.fillRoundRect(5, 5, w - 10, std::min((h - 10) * 0.4, 11.0), std::max(0.0, r - 5),
                    withAlpha(shade(face, 1.1), 200));
}

// The squares behind dialogs and overlays (insets 36; their titles stand
// 30 units below the top edge): wooden boards in a frame of lighter wood.
// The frame fills the 36-unit borders of the nine-slice stretching, so it
// keeps its width on a panel of any size (the top rail a little more), and
// it carries the texts in
// half-transparent black that stand at a panel's edges: the title in its
// top rail, the footers ("Press Enter to continue") in its bottom rail.
// The board inside carries the light texts without an outline (the current
// player's name, the name being typed, the statistics' rows in white and,
// for a perfect category, bright green) and the hints' lines and message
// texts in half-transparent black. The translucent one (the hint, pause and
// statistics panels over the frozen level, most of which it hides) has the
// darker board, on which the bright green stands out; the opaque one
// (message boxes, the players page, the name entry) a lighter board, still
// dark enough for a white name.
void paintSquare(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h, r = 26.0, b = 7.0;
    // The board's edge, just inside the borders.
    const double in = 34.0;
    const uint32_t board = k.col;
    const uint32_t frame = withAlpha(0xFFE2CCA4, std::max(alphaOf(k.col), 0xF4));
    const uint32_t border = withAlpha(shade(k.col, 0.55), std::max(alphaOf(k.col), 0xF0));
    c.fillRoundRect(0, 0, w, h, r, border);
    c.fillRoundRect(b, b, w - 2 * b, h - 2 * b, r - b, frame);
    // The frame's grain, along its rails.
    const uint32_t frameGrain = withAlpha(shade(frame, 0.94), alphaOf(frame));
    for (double y : {b + 8.0, b + 17.0, h - b - 9.0, h - b - 18.0})
        c.line(b + 10, y, w - b - 10, y + 1, 1.0, frameGrain);
    c.strokeRoundRect(b, b, w - 2 * b, h - 2 * b, r - b, 2, withAlpha(shade(frame, 1.06), alphaOf(frame)));
    // The board, set into the frame (a dark groove beside and under it),
    // with its grain. The top rail reaches two rows past the top border, into
    // the rows that stretch with the panel: a title's letters reach below the
    // border, and so they stand on the rail whole.
    const double top = 38.0;
    c.fillRect(in - 2, top, w - 2 * in + 4, h - top - in + 2, withAlpha(shade(frame, 0.6), alphaOf(frame)));
    c.fillRect(in, top, w - 2 * in, h - top - in, board);
    for (int y = static_cast<int>(top) + 5; y < static_cast<int>(h - in) - 3; y += 9)
        c.line(in + 4, y, w - in - 4, y + 1, 1.0, withAlpha(shade(board, 0.93), alphaOf(board)));
}

// The card of the recipe, the minimap and the tutorial, in the frame of the
// other panels: paper, cream where a recipe's part stands (its first line,
// the red title of the first and the last part, among them), turning over
// three rows into its own tone just above the tutorial's lines, on which
// they stand in white, as do the footers in half-transparent black. The
// black and blue lines of the recipe read on both.
void paintCard(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    const double b = std::clamp(std::min(w, h) / 10.0, 2.0, 12.0), r = std::min(w, h) / 5.0;
    const uint32_t cream = 0xFFFAEED7;
    c.fillRoundRect(0, 0, w, h, r, k.col);
    // The tutorial's lines stand from two thirds down (the card drawn twice
    // as large around its middle, their tops 100 units below the screen's
    // middle). The recipe's parts, of one to nine lines, stand centred on
    // the card drawn 1.1 times as tall, 22 units from line to line, their
    // boxes 17 high (the small font at its pages' size, on a screen of at
    // least 1024 x 768 pixels): 50 to 55 units below the card's middle,
    // just above the tutorial's lines, every part has a gap between two
    // lines or no line at all, and there the colour changes.
    const double to = h * 0.67, from = to - 3.0;
    for (int y = 0; y < static_cast<int>(to); ++y) {
        const double t = std::clamp((y + 0.5 - from) / (to - from), 0.0, 1.0);
        c.setClip(0, y, static_cast<int>(w), 1);
        c.fillRoundRect(b, b - y, w - 2 * b, h - 2 * b, std::max(0.0, r - b), mix(cream, k.col, t));
    }
    c.clearClip();
    c.strokeRoundRect(0, 0, w, h, r, b, shade(k.col, 0.55));
}

void paintPanel(Ctx& k) {
    Canvas& c = k.c;
    const std::string& l = k.f.label;
    const double w = k.w, h = k.h;
    if (k.e.name == "gui-game-button") {
        paintButton(k);
        return;
    }
    if (k.e.name == "gui-game-editbox") {
        paintEditBox(k);
        return;
    }
    if (k.e.name == "gui-game-square" || k.e.name == "gui-game-square-opaque") {
        paintSquare(k);
        return;
    }
    if (l == "page") {
        paintTutorialPage(k, k.index - 1, k.count - 1);
        return;
    }
    if (k.e.name == "minimapBackground") {
        paintCard(k);
        return;
    }
    uint32_t fill = k.col, border = shade(k.col, 0.55);
    if (l == "disabled") {
        fill = mix(k.col, kGrey, 0.7);
        border = shade(fill, 0.6);
    } else if (l == "focused") {
        // The GUI themes' focused frame, which an edit box wears while it is
        // typed into: dark, so that its grey caption and caret stand out.
        fill = shade(k.col, 0.3);
        border = 0xFFFFD840;
    } else if (l == "highlight") {
        fill = shade(k.col, 1.3);
        border = 0xFFFFD840;
    }
    if (l == "circle") {
        c.fillEllipse(w / 2, h / 2, w / 2 - 1, h / 2 - 1, withAlpha(fill, 90));
        c.strokeEllipse(w / 2, h / 2, w / 2 - 1, h / 2 - 1, 3, fill);
        return;
    }
    if (l == "rect") {
        c.fillRect(1, 1, w - 2, h - 2, withAlpha(fill, 90));
        c.fillRect(1, 1, w - 2, 3, fill);
        c.fillRect(1, h - 4, w - 2, 3, fill);
        c.fillRect(1, 1, 3, h - 2, fill);
        c.fillRect(w - 4, 1, 3, h - 2, fill);
        return;
    }
    if (l == "highlight") fill = withAlpha(fill, 110);
    const double b = std::clamp(std::min(w, h) / 10.0, 2.0, 12.0), r = std::min(w, h) / 5.0;
    c.fillRoundRect(0, 0, w, h, r, fill);
    // Light from above: a brighter band under the top edge, kept inside the
    // top border of nine-slice stretching so that it never runs across a
    // stretched panel's middle. Its corners are at most half its height
    // round; where the frame's inner edge curves more widely (a large
    // panel), the band starts that much further in, so that its corners
    // stay within the frame instead of showing beyond its rounded corners.
    if (l != "highlight" && std::min(w, h) >= 32) {
        const double bandH = std::min((h - 2 * b) * 0.45, 24.0);
        const double bandR = std::min(std::max(0.0, r - b), bandH / 2.0);
        const double inset = std::max(0.0, r - b - bandR);
        c.fillRoundRect(b + inset, b, w - 2 * (b + inset), bandH, bandR, withAlpha(shade(fill, 1.15), alphaOf(fill)));
    }
    c.strokeRoundRect(0, 0, w, h, r, b, border);
}

void paintBubble(Ctx& k) {
    static const uint32_t borders[3] = {0xFF505050, 0xFFE0789A, 0xFF3B7DD8};
    k.c.fillRoundRect(0, 0, k.w, k.h, 22, k.col);
    k.c.strokeRoundRect(0, 0, k.w, k.h, 22, 4, borders[k.index % 3]);
}

void paintBar(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    if (k.e.name == "gui-game-hud") {
        if (k.index == 0) {
            // A light strip under the points and apples, which are drawn in
            // half-transparent black (the apples not yet gathered too).
            c.fillRoundRect(0, 0, w, h, h / 2, withAlpha(0xFFF4ECD8, 225));
            c.strokeRoundRect(0, 0, w, h, h / 2, 3, k.col);
        } else {
            apple(c, w / 2, h / 2 + 1, w * 0.42, k.index == 1 ? kRed : 0xFFE8463A);
        }
        return;
    }
    if (k.index == 0) {
        c.fillRoundRect(0, 0, w, h, h / 2, 0xFF303840);
        c.strokeRoundRect(0, 0, w, h, h / 2, 3, 0xFFB0B8C0);
    } else {  // the bar, inside the frame's rim (revealed from its left end)
        const double in = 5, r = (h - 2 * in) / 2;
        c.fillRoundRect(in, in, w - 2 * in, h - 2 * in, r, shade(k.col, 0.8));
        c.fillRoundRect(in, in, w - 2 * in, (h - 2 * in) * 0.7, r, k.col);
        c.fillRoundRect(in + 4, in + 2, w - 2 * in - 8, (h - 2 * in) * 0.3, r * 0.5,
                        withAlpha(shade(k.col, 1.35), 200));
    }
}

void paintPointer(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    if (k.e.name == "valleyArrow") {
        c.fillPolygon(
            {4, h * 0.3, w * 0.5, h * 0.3, w * 0.5, 4, w - 4, h / 2, w * 0.5, h - 4, w * 0.5, h * 0.7, 4, h * 0.7},
            k.col);
        return;
    }
    const uint32_t col = k.index == 0 ? 0xFFFF8080 : k.col;
    c.fillPolygon({1, 1, 1, 25, 7, 19, 12, 29, 16, 27, 11, 17, 19, 17}, kBlack);
    c.fillPolygon({3, 5, 3, 20, 7, 16, 12, 26, 13, 25, 9, 15, 15, 15}, col);
}

// The bold face of the logos' titles: DejaVu Sans Bold when it is there,
// else what the font configuration offers for it.
const std::string& titleFontFile() {
    static const std::string file = [] {
        const char* usual = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
        if (std::FILE* f = std::fopen(usual, "rb")) {
            std::fclose(f);
            return std::string(usual);
        }
        const std::string found = platform::findFontFile("DejaVu Sans:style=Bold");
        return found.empty() ? platform::defaultGlyphFontFile() : found;
    }();
    return file;
}

// A title centred on cx with its baseline at `baseline`: `size` pixels high,
// or smaller so that it fits maxWidth. Without an outline font it falls back
// to the built-in letters.
void letterTitle(Canvas& c, const std::string& text, double cx, int baseline, int size, double maxWidth,
                 const Canvas::LetteringStyle& style) {
    const std::string& file = titleFontFile();
    std::string error;
    std::unique_ptr<platform::FontRasterizer> font =
        file.empty() ? nullptr : platform::openFontRasterizer(file, size, error);
    if (font) {
        const int width = Canvas::letteringWidth(*font, text);
        if (width > maxWidth)
            font = platform::openFontRasterizer(file, std::max(8, static_cast<int>(size * maxWidth / width)), error);
    }
    if (!font) {
        const int scale = std::max(1, std::min(static_cast<int>(maxWidth / Canvas::textWidth(text, 1)), size / 5));
        c.text(static_cast<int>(cx - Canvas::textWidth(text, scale) / 2.0), baseline - Canvas::kGlyphHeight * scale,
               text, scale, style.top);
        return;
    }
    const int width = Canvas::letteringWidth(*font, text);
    c.lettering(*font, static_cast<int>(std::lround(cx - width / 2.0)), baseline, text, style);
}

// The game's logo: its name in big pink letters on a cream cloud, Mrs. Tumbro
// looking over it and apples rolling below.
void paintGameLogo(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    struct Puff {
        double x, y, rx, ry;
    };
    const Puff cloud[] = {{0.5, 0.56, 0.46, 0.27},  {0.3, 0.36, 0.15, 0.17}, {0.53, 0.3, 0.16, 0.2},
                          {0.74, 0.38, 0.14, 0.16}, {0.2, 0.7, 0.14, 0.14},  {0.8, 0.7, 0.14, 0.14}};
    const uint32_t edge = 0xFF6A2A44, cream = 0xFFFFF6E6;
    for (const Puff& p : cloud)
        c.fillEllipse(w * p.x + 3, h * p.y + 5, w * p.rx + 5, h * p.ry + 5, withAlpha(0xFF000000, 60));
    for (const Puff& p : cloud) c.fillEllipse(w * p.x, h * p.y, w * p.rx + 5, h * p.ry + 5, edge);
    for (const Puff& p : cloud) c.fillEllipse(w * p.x, h * p.y, w * p.rx, h * p.ry, cream);
    pigHead(c, w * 0.14, h * 0.3, h * 0.16, kPink);
    Canvas::LetteringStyle st;
    st.top = 0xFFFFB0CC;
    st.bottom = 0xFFD8487A;
    st.outline = edge;
    st.outlineWidth = 5.0;
    st.shadow = withAlpha(0xFF000000, 90);
    st.shadowDx = 3;
    st.shadowDy = 4;
    letterTitle(c, "Tumbrodemo", w / 2, static_cast<int>(h * 0.63), 92, w * 0.8, st);
    for (int a = 0; a < 4; ++a) apple(c, w * (0.36 + 0.09 * a), h * 0.79 + (a % 2) * 3, 13, a == 2 ? 0xFFE8463A : kRed);
}

// The maker's logo: an emblem of a valley under a rising sun, the name below.
void paintCompanyLogo(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h, cx = w / 2, cy = h * 0.36, r = h * 0.28;
    c.fillEllipse(cx + 2, cy + 4, r + 4, r + 4, withAlpha(0xFF000000, 70));
    c.fillEllipse(cx, cy, r + 4, r + 4, kWhite);
    c.fillEllipse(cx, cy, r, r, shade(k.col, 0.8));
    c.fillEllipse(cx, cy - r * 0.1, r * 0.86, r * 0.8, k.col);
    c.fillEllipse(cx, cy + r * 0.05, r * 0.34, r * 0.34, 0xFFFFD060);  // the sun
    // Two hills meet in a valley in front of the sun, both inside the disc.
    auto hill = [&](double peakX, double peakY, double spread, uint32_t col) {
        std::vector<double> xy;
        for (int i = 0; i <= 48; ++i) {
            const double x = cx - r + 2 * r * i / 48.0, half = std::sqrt(std::max(0.0, r * r - (x - cx) * (x - cx)));
            const double bump = (x - peakX) / spread;
            xy.push_back(x);
            xy.push_back(std::clamp(cy + r - (cy + r - peakY) * std::exp(-bump * bump), cy - half, cy + half));
        }
        for (int i = 48; i >= 0; --i) {
            const double x = cx - r + 2 * r * i / 48.0;
            xy.push_back(x);
            xy.push_back(cy + std::sqrt(std::max(0.0, r * r - (x - cx) * (x - cx))));
        }
        c.fillPolygon(xy, col);
    };
    hill(cx + r * 0.45, cy + r * 0.12, r * 0.62, 0xFF3E8A3E);
    hill(cx - r * 0.4, cy + r * 0.22, r * 0.6, 0xFF5AA050);
    c.strokeEllipse(cx, cy, r, r, 4, kWhite);
    Canvas::LetteringStyle st;
    st.top = kWhite;
    st.bottom = 0xFFE4D4F4;
    st.outline = shade(k.col, 0.45);
    st.outlineWidth = 4.0;
    st.shadow = withAlpha(0xFF000000, 90);
    st.shadowDx = 2;
    st.shadowDy = 3;
    letterTitle(c, "Velmora studios", cx, static_cast<int>(h * 0.9), 52, w * 0.88, st);
}

void paintLogo(Ctx& k) {
    if (k.e.name == "logo") paintGameLogo(k);
    else paintCompanyLogo(k);
}

// A note of paper with a folded corner and lines of writing.
void paintNote(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h, fold = w * 0.28;
    c.fillPolygon({3, 2, w - 3 - fold, 2, w - 3, 2 + fold, w - 3, h - 2, 3, h - 2}, shade(k.col, 0.6));
    c.fillPolygon({4.5, 3.5, w - 3.5 - fold, 3.5, w - 4.5, 3.5 + fold, w - 4.5, h - 3.5, 4.5, h - 3.5}, k.col);
    c.fillPolygon({w - 3 - fold, 2, w - 3 - fold, 2 + fold, w - 3, 2 + fold}, shade(k.col, 0.8));
    for (double y = 13; y < h - 7; y += 6)
        c.line(9, y, (y < 4 + fold ? w - 6 - fold : w - 10) - (static_cast<int>(y) % 4) * 2, y, 1.3, 0xFF8090B8);
    c.fillEllipse(w * 0.3, 5, 3, 3, kRed);
}

void paintFlag(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    const std::string& code = k.f.label;
    auto stripesV = [&](std::initializer_list<uint32_t> cols) {
        int i = 0;
        for (uint32_t col : cols) c.fillRect(w * i++ / cols.size(), 0, w / cols.size() + 1, h, col);
    };
    auto stripesH = [&](std::initializer_list<uint32_t> cols) {
        int i = 0;
        for (uint32_t col : cols) c.fillRect(0, h * i++ / cols.size(), w, h / cols.size() + 1, col);
    };
    const uint32_t R = 0xFFD02030, W = 0xFFF8F8F8, B = 0xFF2040A0, G = 0xFF209040, Y = 0xFFF8D020, K = 0xFF202020;
    if (code == "en") {
        c.fillRect(0, 0, w, h, B);
        c.line(0, 0, w, h, 12, W);
        c.line(w, 0, 0, h, 12, W);
        c.fillRect(0, h / 2 - 10, w, 20, W);
        c.fillRect(w / 2 - 10, 0, 20, h, W);
        c.fillRect(0, h / 2 - 6, w, 12, R);
        c.fillRect(w / 2 - 6, 0, 12, h, R);
    } else if (code == "fr") stripesV({B, W, R});
    else if (code == "de") stripesH({K, R, Y});
    else if (code == "it") stripesV({G, W, R});
    else if (code == "es") {
        stripesH({R, Y, Y, R});
    } else if (code == "ru") stripesH({W, B, R});
    else if (code == "he") {
        c.fillRect(0, 0, w, h, W);
        c.fillRect(0, h * 0.12, w, h * 0.12, B);
        c.fillRect(0, h * 0.76, w, h * 0.12, B);
        star(c, w / 2, h / 2, 14, 8, 6, 0, B);
    } else if (code == "el") {
        stripesH({B, W, B, W, B, W, B, W, B});
        c.fillRect(0, 0, w * 0.4, h * 5 / 9, B);
        c.fillRect(w * 0.16, 0, w * 0.08, h * 5 / 9, W);
        c.fillRect(0, h * 2 / 9, w * 0.4, h / 9, W);
    } else if (code == "pl") stripesH({W, R});
    else if (code == "ro") stripesV({B, Y, R});
    else if (code == "pt") {
        c.fillRect(0, 0, w * 0.4, h, G);
        c.fillRect(w * 0.4, 0, w * 0.6, h, R);
        c.fillEllipse(w * 0.4, h / 2, 14, 14, Y);
    } else if (code == "ja") {
        c.fillRect(0, 0, w, h, W);
        c.fillEllipse(w / 2, h / 2, h * 0.3, h * 0.3, R);
    } else if (code == "ko") {
        c.fillRect(0, 0, w, h, W);
        c.fillEllipse(w / 2, h / 2, h * 0.25, h * 0.25, B);
        c.fillPolygon(dome(w / 2, h / 2, h * 0.25, h * 0.25), R);
    } else if (code == "cs") {
        stripesH({W, R});
        c.fillPolygon({0, 0, w / 2, h / 2, 0, h}, B);
    } else if (code == "nl") stripesH({R, W, B});
    c.strokeRoundRect(0, 0, w, h, 2, 2, 0xFF404040);
}

void paintDevice(Ctx& k) {
    Canvas& c = k.c;
    const std::string& n = k.e.name;
    const std::string& l = k.f.label;
    const double w = k.w, h = k.h;
    if (n == "crate") {
        boxFrame(k, k.index ? shade(k.col, 0.85) : k.col, shade(k.col, 0.55), 0.05);
        c.line(6, 6, w - 6, h - 6, 6, shade(k.col, 0.7));
        c.line(w - 6, 6, 6, h - 6, 6, shade(k.col, 0.7));
    } else if (n == "drawbridge") {
        // The deck and the swinging planks are walked on along their frame's
        // middle row (their hull's line): their boards hang under it, from x0
        // to x1 in the frame's coordinates (x right from its centre).
        const auto boards = [&](double x0, double x1) {
            const double left = w / 2 + x0, right = w / 2 + x1, top = h / 2;
            c.fillRect(left, top, right - left, h / 2 - 4, k.col);
            for (double x = left; x < right; x += 23) c.line(x, top + 1, x, h - 5, 1.5, shade(k.col, 0.6));
            c.fillRect(left, h - 4, right - left, 4, shade(k.col, 0.5));
        };
        if (l == "deck") {
            boards(-w / 2, w / 2);
            // The post the chain is fastened to: the bridge ties it 145
            // units along the deck, 18 over it.
            const double post = w / 2 + 145;
            c.fillRect(post - 2, 3, 4, h / 2 - 2, shade(k.col, 0.6));
            c.strokeEllipse(post, 3, 2.5, 2.5, 1.5, 0xFF707070);
        } else if (l == "plank") {
            // Scenery: the boards fill the frame but for a strip above and
            // below.
            c.fillRect(0, 2, w, h - 10, k.col);
            for (double x = 0; x < w; x += 23) c.line(x, 3, x, h - 9, 1.5, shade(k.col, 0.6));
            c.fillRect(0, h - 10, w, 6, shade(k.col, 0.5));
        } else if (l == "plank from its pivot") {
            // Planks a rotator swings from one end: their frame is centred on
            // the pivot, twice the plank's length, and the boards cover the
            // hull on one side only (0..360, or -357..25), a little beyond
            // its ends.
            boards(-4, 364);
        } else if (l == "plank to its pivot") {
            boards(-361, 29);
        } else if (l == "board") {
            boards(-w / 2, w / 2);
        } else {
            c.fillRect(4, 20, w - 8, h - 20, 0xFF9A9A9A);
            for (int b = 0; b < 4; ++b) c.fillRect(4 + b * (w - 8) / 4 + 2, 4, (w - 8) / 4 - 4, 18, 0xFF9A9A9A);
            for (double y = 30; y < h; y += 24) c.line(4, y, w - 4, y, 1.5, 0xFF707070);
        }
    } else if (n == "woodsign") {
        if (k.index == 0) c.fillRect(w * 0.2, 0, w * 0.6, h, shade(k.col, 0.8));
        else {
            c.fillPolygon({2, 3, w - 14, 3, w - 2, h / 2, w - 14, h - 3, 2, h - 3}, k.col);
            c.line(10, h / 2, w - 24, h / 2, 2, shade(k.col, 0.5));
        }
    } else if (n == "switch") {
        c.fillRoundRect(4, h * 0.65, w - 8, h * 0.3, 4, 0xFF606870);
        if (k.index < 2) {
            c.fillRoundRect(w * 0.25, k.index ? h * 0.55 : h * 0.38, w * 0.5, k.index ? h * 0.12 : h * 0.3, 4,
                            k.index ? 0xFF40C040 : 0xFFD04040);
        } else {
            const double a = k.index == 2 ? -0.6 : 0.6;
            c.line(w / 2, h * 0.7, w / 2 + std::sin(a) * h * 0.55, h * 0.7 - std::cos(a) * h * 0.55, 4, 0xFF404040);
            c.fillEllipse(w / 2 + std::sin(a) * h * 0.55, h * 0.7 - std::cos(a) * h * 0.55, 6, 6,
                          k.index == 3 ? 0xFF40C040 : 0xFFD04040);
        }
    } else if (n == "dynamite") {
        for (int s = 0; s < 3; ++s) c.fillRoundRect(3 + s * 9, h * 0.3, 8, h * 0.68, 3, shade(k.col, 0.9 + 0.1 * s));
        c.fillRect(2, h * 0.55, w - 4, 5, kBlack);
        c.line(w / 2, h * 0.3, w * 0.8, 3, 2, 0xFF606060);
        c.fillEllipse(w * 0.8, 4, 3, 3, kYellow);
    } else if (n == "telescope") {
        if (k.index == 0) {
            // A tripod whose top is the frame's centre, where the tube
            // turns on it; above that the frame is empty.
            const double top = h / 2 + 2;
            c.line(w / 2, top, w * 0.15, h - 2, 4, k.col);
            c.line(w / 2, top, w * 0.85, h - 2, 4, k.col);
            c.line(w / 2, top, w / 2, h - 2, 4, shade(k.col, 0.8));
            c.fillRoundRect(w / 2 - 6, top - 2, 12, 8, 2, shade(k.col, 0.7));
        } else {
            c.fillPolygon({2, h * 0.3, w - 2, h * 0.1, w - 2, h * 0.9, 2, h * 0.7}, 0xFFC0A040);
            c.fillRect(w - 12, h * 0.05, 10, h * 0.9, 0xFF806020);
        }
    } else if (n == "springboard") {
        if (k.index == 0) {
            c.fillRoundRect(2, h * 0.3, w - 4, h * 0.7, 4, 0xFF606870);
            for (double x = 10; x < w - 8; x += 10) c.line(x, h * 0.3, x + 5, 2, 2, 0xFFC0C0C0);
        } else {
            c.fillRoundRect(1, 1, w - 2, h - 2, 5, k.col);
        }
    } else {
        boxFrame(k, k.col, shade(k.col, 0.55));
    }
}

void paintFence(Ctx& k) {
    Canvas& c = k.c;
    const double w = k.w, h = k.h;
    const uint32_t col = shade(k.col, 0.85 + 0.07 * (k.index % 4));
    if (k.index < 4) {
        c.fillPolygon({1, 8, w / 2, 1, w - 1, 8, w - 1, h, 1, h}, col);
        c.line(w / 2, 12, w / 2, h - 4, 1, shade(col, 0.6));
    } else if (k.index == 5) {
        for (double x = 6; x < w; x += 12) c.strokeEllipse(x, h / 2, 7, h / 2 - 1, 2, 0xFF707880);
    } else {
        c.fillRoundRect(0, 2, w, h - 4, 3, col);
        c.line(4, h / 2, w - 4, h / 2, 1, shade(col, 0.6));
    }
}

void paintLadder(Ctx& k) {
    k.c.fillRect(6, 0, 8, k.h, k.col);
    k.c.fillRect(k.w - 14, 0, 8, k.h, k.col);
    for (double y = 16; y < k.h; y += 28) k.c.fillRect(6, y, k.w - 12, 6, shade(k.col, 0.85));
}

void paintRainbow(Ctx& k) {
    static const uint32_t bands[7] = {0xFFE04040, 0xFFF09030, 0xFFF0E040, 0xFF50C050,
                                      0xFF4090E0, 0xFF5050C0, 0xFF9050C0};
    for (int b = 0; b < 7; ++b) {
        const double r = k.w / 2 - 4 - b * 14;
        k.c.strokeEllipse(k.w / 2, k.h, r, r, 14, withAlpha(bands[b], 170));
    }
}

void paintFrame(Ctx& k) {
    switch (k.e.art) {
        case Art::Plain:
            if (k.e.name == "paperNote") paintNote(k);
            else boxFrame(k, k.col, shade(k.col, 0.6));
            break;
        case Art::Transparent:
            for (int y = 0; y < static_cast<int>(k.h); ++y)
                for (int x = 0; x < static_cast<int>(k.w); ++x) k.c.set(x, y, 0x01000000u);
            break;
        case Art::Blob:
            if (k.e.name == "hotairballoon") {
                k.c.line(k.w * 0.35, k.h * 0.7, k.w * 0.42, k.h * 0.85, 1.5, kBrown);
                k.c.line(k.w * 0.65, k.h * 0.7, k.w * 0.58, k.h * 0.85, 1.5, kBrown);
                k.c.fillEllipse(k.w / 2, k.h * 0.38, k.w * 0.45, k.h * 0.36, k.col);
                k.c.fillEllipse(k.w / 2, k.h * 0.38, k.w * 0.15, k.h * 0.36, kYellow);
                k.c.fillRect(k.w * 0.4, k.h * 0.85, k.w * 0.2, k.h * 0.13, kBrown);
            } else {
                k.c.fillEllipse(k.w / 2, k.h * 0.55, k.w / 2 - 2, k.h * 0.42, k.col);
                for (double f : {0.3, 0.5, 0.7})
                    k.c.strokeEllipse(k.w * f, k.h * 0.55, k.w * 0.12, k.h * 0.42, 1.5, shade(k.col, 0.7));
                k.c.fillRect(k.w / 2 - 3, 2, 6, k.h * 0.15, 0xFF4A7A30);
            }
            break;
        case Art::Soft:
            if (k.e.name == "clouds") {
                for (int p = 0; p < 5; ++p)
                    k.c.softDisc(k.w * (0.2 + 0.15 * p), k.h * (0.5 + ((p + k.index) % 2) * 0.1), k.h * 0.42,
                                 withAlpha(kWhite, 230));
            } else if (k.e.name == "explosion") {
                k.c.softDisc(k.w / 2, k.h / 2, k.m() / 2 * (0.7 + 0.1 * k.index), k.col);
                k.c.softDisc(k.w / 2, k.h / 2, k.m() / 4, kYellow);
            } else {
                k.c.softDisc(k.w / 2, k.h / 2, k.m() / 2 * (0.7 + 0.1 * k.index), k.col);
            }
            break;
        case Art::Ring: {
            const double r = k.m() / 2 - 1;
            const double rr = k.e.name == "editor_circle" ? r : r * (0.45 + 0.18 * k.index);
            k.c.strokeEllipse(k.w / 2, k.h / 2, rr, rr, k.e.name == "editor_circle" ? 3 : 3, k.col);
            break;
        }
        case Art::Streak:
            if (k.e.name == "editor_arrow") {
                k.c.fillRect(0, k.h / 2 - 2, k.w - 12, 4, k.col);
                k.c.fillPolygon({k.w - 14, 1, k.w, k.h / 2, k.w - 14, k.h - 1}, k.col);
            } else {
                for (int x = 0; x < static_cast<int>(k.w); ++x)
                    k.c.fillRect(x, 1, 1, k.h - 2, withAlpha(k.col, 255 * x / static_cast<int>(k.w)));
            }
            break;
        case Art::Drop:
            if (k.count == 1) {
                k.c.fillEllipse(k.w / 2, k.h * 0.68, k.w * 0.35, k.w * 0.35, k.col);
                k.c.fillPolygon({k.w / 2 - k.w * 0.3, k.h * 0.62, k.w / 2, 1, k.w / 2 + k.w * 0.3, k.h * 0.62}, k.col);
            } else {
                const double spread = 0.2 + 0.8 * k.phase();
                for (int d = 0; d < 5; ++d) {
                    const double a = kPi * (1.15 + 0.7 * d / 4.0);
                    k.c.fillEllipse(k.w / 2 + std::cos(a) * k.w * 0.4 * spread,
                                    k.h * 0.8 + std::sin(a) * k.h * 0.6 * spread, 3, 3, k.col);
                }
                k.c.fillEllipse(k.w / 2, k.h * 0.85, k.w * 0.4 * (1 - 0.5 * k.phase()), 3, k.col);
            }
            break;
        case Art::Flake: {
            const double r = k.m() / 2 - 2, rot = k.index * kPi / 12;
            if (k.e.name == "glint") {
                k.c.softDisc(k.w / 2, k.h / 2, r * 0.6, k.col);
                star(k.c, k.w / 2, k.h / 2, r, r * 0.15, 4, 0, k.col);
                break;
            }
            for (int a = 0; a < 6; ++a) {
                const double ang = rot + a * kPi / 3;
                k.c.line(k.w / 2, k.h / 2, k.w / 2 + std::cos(ang) * r, k.h / 2 + std::sin(ang) * r, 2.5, k.col);
            }
            break;
        }
        case Art::Leaf:
            k.c.fillEllipseRotated(k.w / 2, k.h / 2, k.w * 0.42, k.h * 0.22, k.index * kPi / 4,
                                   mix(k.col, 0xFFE0B020, k.phase()));
            k.c.line(k.w / 2 - std::cos(k.index * kPi / 4) * k.w * 0.4,
                     k.h / 2 + std::sin(k.index * kPi / 4) * k.w * 0.4,
                     k.w / 2 + std::cos(k.index * kPi / 4) * k.w * 0.4,
                     k.h / 2 - std::sin(k.index * kPi / 4) * k.w * 0.4, 1.2, shade(k.col, 0.6));
            break;
        case Art::Panel:
            paintPanel(k);
            break;
        case Art::Bubble:
            paintBubble(k);
            break;
        case Art::Bar:
            paintBar(k);
            break;
        case Art::Icon:
            paintIcon(k);
            break;
        case Art::Pointer:
            paintPointer(k);
            break;
        case Art::Logo:
            paintLogo(k);
            break;
        case Art::Flags:
            paintFlag(k);
            break;
        case Art::Apple:
            paintApple(k);
            break;
        case Art::Sweets:
            paintSweets(k);
            break;
        case Art::Basket:
            paintBasket(k);
            break;
        case Art::Pig:
            paintPig(k);
            break;
        case Art::Piglets:
            paintPiglets(k);
            break;
        case Art::Hat:
            paintHat(k);
            break;
        case Art::Umbrella:
            paintUmbrella(k);
            break;
        case Art::Animal:
            paintAnimal(k);
            break;
        case Art::Frog:
            paintFrog(k);
            break;
        case Art::House:
            paintHouse(k);
            break;
        case Art::Tree:
            paintTree(k);
            break;
        case Art::Plant:
            paintPlant(k);
            break;
        case Art::Rock:
            paintRock(k);
            break;
        case Art::Tile:
            paintTile(k);
            break;
        case Art::Hills:
            paintHills(k);
            break;
        case Art::Sky:
            paintSky(k);
            break;
        case Art::Scene:
            paintScene(k);
            break;
        case Art::Minimap:
            paintMinimap(k);
            break;
        case Art::Dashes:  // a light dash with a dark edge, seen on dark valleys and on snow
            k.c.fillRoundRect(1, 1, k.w / 2, k.h - 2, 3, shade(k.col, 0.4));
            k.c.fillRoundRect(2, 2, k.w / 2 - 2, k.h - 4, 2, k.col);
            break;
        case Art::Ruler:
            for (int x = 0; x < static_cast<int>(k.w); ++x)
                k.c.fillRect(x, 2, 1, k.h - 4,
                             withAlpha(k.col, static_cast<int>(255 * std::sin(kPi * (x + 0.5) / k.w))));
            break;
        case Art::Device:
            paintDevice(k);
            break;
        case Art::Fence:
            paintFence(k);
            break;
        case Art::Ladder:
            paintLadder(k);
            break;
        case Art::Rainbow:
            paintRainbow(k);
            break;
    }
}

}  // namespace

std::string frameLabel(const Frame& frame, int index) { return frame.label + " " + std::to_string(index); }

SheetLayout layoutSheet(const content::Frames& frames) {
    SheetLayout out;
    if (frames.size() == 1) {
        const int edge = frames[0].edgeRows;
        out.width = frames[0].w;
        out.height = frames[0].h + 2 * edge;
        out.rects.push_back({0, edge, frames[0].w, frames[0].h});
        return out;
    }
    constexpr int kGap = 2;
    int widest = 0;
    double area = 0;
    for (const Frame& f : frames) {
        widest = std::max(widest, f.w);
        area += static_cast<double>(f.w + kGap) * (f.h + kGap);
    }
    const int limit = std::max(widest, std::min(2048, static_cast<int>(std::ceil(std::sqrt(area * 1.2)))));
    int x = 0, y = 0, shelf = 0;
    for (const Frame& f : frames) {
        if (x > 0 && x + f.w > limit) {
            x = 0;
            y += shelf + kGap;
            shelf = 0;
        }
        out.rects.push_back({x, y + f.edgeRows, f.w, f.h});
        out.width = std::max(out.width, x + f.w);
        shelf = std::max(shelf, f.h + 2 * f.edgeRows);
        x += f.w + kGap;
    }
    out.height = y + shelf;
    return out;
}

Canvas paintSheet(const Entry& entry, const SheetLayout& layout) {
    Canvas canvas(layout.width, layout.height, 0);
    const int count = static_cast<int>(entry.frames.size());
    for (int i = 0; i < count; ++i) {
        const FrameRect& r = layout.rects[static_cast<size_t>(i)];
        canvas.setClip(r.x, r.y, r.w, r.h);
        Ctx k{canvas,
              entry,
              entry.frames[static_cast<size_t>(i)],
              i,
              count,
              static_cast<double>(r.w),
              static_cast<double>(r.h),
              entry.colour,
              Lcg(hashOf(entry.name) + static_cast<uint32_t>(i) * 7919u)};
        paintFrame(k);
    }
    canvas.clearClip();
    for (int i = 0; i < count; ++i) {
        const FrameRect& r = layout.rects[static_cast<size_t>(i)];
        for (int e = 1; e <= entry.frames[static_cast<size_t>(i)].edgeRows; ++e)
            for (int x = r.x; x < r.x + r.w; ++x) {
                canvas.set(x, r.y - e, canvas.get(x, r.y));
                canvas.set(x, r.y + r.h - 1 + e, canvas.get(x, r.y + r.h - 1));
            }
    }
    return canvas;
}

std::string skinDescription(const Entry& entry, const SheetLayout& layout) {
    std::string s =
        "; " + entry.name + ": " + entry.usedBy + "\n[sheet]\ncount=" + std::to_string(entry.frames.size()) + "\n";
    for (size_t i = 0; i < entry.frames.size(); ++i) {
        const Frame& f = entry.frames[i];
        const FrameRect& r = layout.rects[i];
        char line[160];
        std::snprintf(line, sizeof line, "[skin%zu]\n; %s\nrect=%d,%d,%d,%d\n", i, f.label.c_str(), r.x, r.y, r.w, r.h);
        s += line;
        if (f.anchor != 5) s += "anchor=" + std::to_string(f.anchor) + "\n";
        if (f.ox != 0 || f.oy != 0) s += "origin=" + std::to_string(f.ox) + "," + std::to_string(f.oy) + "\n";
    }
    return s;
}

}  // namespace contentgen
