// Draws the program's pictures at build time: the built-in images of the three slot
// sets and the About banner (written as a C++ source of byte arrays that is compiled
// into the program) and the default theme "handdrawn" (written as a zip archive with
// its theme.cfg).
//
// Usage: draw_artwork <builtin_art.cpp> <handdrawn.zip>
//        draw_artwork --app-icons <folder>   (the program's desktop icon, brelvix-<size>.png)
//
// Every picture is drawn from the same shapes in one of two styles: "clean" for the
// built-in images and "sketch" for the theme, whose outlines wobble like pen strokes
// and whose fills are hatched.
#include "app/slot_names.h"

#include <archive.h>
#include <archive_entry.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct P {
    double x, y;
};
using Ring = std::vector<P>;

struct Colour {
    double r, g, b, a = 1.0;
};

Colour Hex(uint32_t rgb, double a = 1.0) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, a};
}

const Colour kNone{0, 0, 0, 0};
const Colour kInk = Hex(0x2b2b33);
const Colour kPaper = Hex(0xfdfdf8);
const Colour kFolder = Hex(0xf2c14e);
const Colour kFolderDark = Hex(0xc98f1c);
const Colour kBlue = Hex(0x2f7fd0);
const Colour kGreen = Hex(0x3aa35b);
const Colour kRed = Hex(0xd33f3f);
const Colour kOrange = Hex(0xf08a24);
const Colour kGrey = Hex(0x8a8f98);
const Colour kWhite = Hex(0xffffff);

// Deterministic noise in [-1, 1].
double Noise(uint32_t seed, uint32_t i) {
    uint32_t h = seed * 0x9e3779b1u ^ (i + 0x7f4a7c15u) * 0x85ebca6bu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return (h & 0xffff) / 32767.5 - 1.0;
}

struct Painter {
    cairo_t* cr = nullptr;
    double scale = 1;     // pixels per drawing unit
    double lineUnits = 1; // outline width in drawing units
    bool sketch = false;
    uint32_t seed = 1;

    // The ring as it is traced: straight in the clean style; in the sketch style split
    // into short pieces whose points stray a little from the line.
    Ring Trace(const Ring& ring, bool closed, double amplitude) {
        if (!sketch || ring.size() < 2) return ring;
        Ring out;
        const size_t n = closed ? ring.size() : ring.size() - 1;
        for (size_t i = 0; i < n; ++i) {
            P a = ring[i], b = ring[(i + 1) % ring.size()];
            double len = std::hypot(b.x - a.x, b.y - a.y);
            int pieces = std::max(1, static_cast<int>(len / 2.5));
            for (int k = 0; k < pieces; ++k) {
                double t = static_cast<double>(k) / pieces;
                double nx = -(b.y - a.y) / (len > 0 ? len : 1),
                       ny = (b.x - a.x) / (len > 0 ? len : 1);
                double d = Noise(seed, static_cast<uint32_t>(out.size())) * amplitude;
                out.push_back({a.x + (b.x - a.x) * t + nx * d, a.y + (b.y - a.y) * t + ny * d});
            }
        }
        if (!closed) out.push_back(ring.back());
        return out;
    }

    void PathOf(const std::vector<Ring>& rings, bool closed, double amplitude) {
        cairo_new_path(cr);
        for (const Ring& r : rings) {
            Ring t = Trace(r, closed, amplitude);
            if (t.empty()) continue;
            cairo_move_to(cr, t[0].x * scale, t[0].y * scale);
            for (size_t i = 1; i < t.size(); ++i)
                cairo_line_to(cr, t[i].x * scale, t[i].y * scale);
            if (closed) cairo_close_path(cr);
        }
    }

    void SetColour(Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

    // A filled figure of one or more rings (even-odd), with an outline.
    void Shape(const std::vector<Ring>& rings, Colour fill, Colour line = kInk, double width = -1) {
        if (width < 0) width = lineUnits;
        cairo_save(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        if (fill.a > 0) {
            PathOf(rings, true, 0);
            if (sketch) {
                // A lighter wash, then hatching in the full colour.
                SetColour({fill.r + (1 - fill.r) * 0.35, fill.g + (1 - fill.g) * 0.35,
                           fill.b + (1 - fill.b) * 0.35, fill.a});
                cairo_fill_preserve(cr);
                cairo_clip(cr);
                SetColour({fill.r * 0.85, fill.g * 0.85, fill.b * 0.85, 0.55 * fill.a});
                // Hatching in device pixels, over the whole surface.
                const double side = cairo_image_surface_get_width(cairo_get_target(cr));
                const double step = std::max(2.6, side / 18.0);
                cairo_set_line_width(cr, std::max(0.7, step * 0.3));
                for (double d = -side; d < 2 * side; d += step) {
                    cairo_move_to(cr, d, 0);
                    cairo_line_to(cr, d - side, side);
                }
                cairo_stroke(cr);
                cairo_reset_clip(cr);
            } else {
                SetColour(fill);
                cairo_fill(cr);
            }
        }
        if (line.a > 0 && width > 0) Outline(rings, line, width, true);
        cairo_restore(cr);
    }

    void Outline(const std::vector<Ring>& rings, Colour line, double width, bool closed) {
        cairo_save(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        SetColour(line);
        cairo_set_line_width(cr, width * scale);
        PathOf(rings, closed, sketch ? 0.28 : 0);
        cairo_stroke(cr);
        if (sketch) {
            // A second, fainter pass of the pen.
            ++seed;
            SetColour({line.r, line.g, line.b, line.a * 0.45});
            cairo_set_line_width(cr, width * 0.7 * scale);
            PathOf(rings, closed, 0.4);
            cairo_stroke(cr);
        }
        cairo_restore(cr);
    }

    void Line(const Ring& points, Colour c, double width) { Outline({points}, c, width, false); }
};

Ring Rect(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

Ring Arc(double cx, double cy, double r, double a0, double a1, int n = 24) {
    Ring out;
    for (int i = 0; i <= n; ++i) {
        double a = a0 + (a1 - a0) * i / n;
        out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return out;
}

Ring Circle(double cx, double cy, double r) {
    Ring c = Arc(cx, cy, r, 0, 2 * M_PI, 28);
    c.pop_back();
    return c;
}

Ring Star(double cx, double cy, double r1, double r2, int points = 5) {
    Ring out;
    for (int i = 0; i < points * 2; ++i) {
        double a = -M_PI / 2 + i * M_PI / points;
        double r = i % 2 ? r2 : r1;
        out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return out;
}

// Shapes on the 16-unit grid of an icon.
void Page(Painter& p, double x0, double y0, double x1, double y1, Colour fill = kPaper) {
    const double f = (x1 - x0) * 0.32;
    p.Shape({{{x0, y0}, {x1 - f, y0}, {x1, y0 + f}, {x1, y1}, {x0, y1}}}, fill);
    p.Shape({{{x1 - f, y0}, {x1 - f, y0 + f}, {x1, y0 + f}}}, Hex(0xdcdcd4));
}

void Folder(Painter& p, double x0, double y0, double x1, double y1, Colour fill = kFolder) {
    const double tab = (x1 - x0) * 0.4;
    p.Shape({{{x0, y0 + 1.5},
              {x0 + 0.5, y0},
              {x0 + tab, y0},
              {x0 + tab + 1.2, y0 + 1.5},
              {x1, y0 + 1.5},
              {x1, y1},
              {x0, y1}}},
            kFolderDark);
    p.Shape({Rect(x0, y0 + 3, x1, y1)}, fill);
}

// An arrow along a straight line from a to b with a triangular head.
void Arrow(Painter& p, P a, P b, Colour c, double shaft, double head) {
    double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
    double ux = dx / len, uy = dy / len, nx = -uy, ny = ux;
    P base{b.x - ux * head, b.y - uy * head};
    double s = shaft / 2, h = head * 0.75;
    p.Shape({{{a.x + nx * s, a.y + ny * s},
              {base.x + nx * s, base.y + ny * s},
              {base.x + nx * h, base.y + ny * h},
              b,
              {base.x - nx * h, base.y - ny * h},
              {base.x - nx * s, base.y - ny * s},
              {a.x - nx * s, a.y - ny * s}}},
            c);
}

// An arc of the circle (cx, cy, r) from angle a0 to a1 with a head at a1.
void ArcArrow(Painter& p, double cx, double cy, double r, double a0, double a1, Colour c,
              double shaft = 2.3, double head = 3.2) {
    p.Line(Arc(cx, cy, r, a0, a1, 12), c, shaft);
    const P end{cx + r * std::cos(a1), cy + r * std::sin(a1)};
    const double tx = -std::sin(a1), ty = std::cos(a1); // direction of travel
    const double nx = std::cos(a1), ny = std::sin(a1);  // outwards
    const double h = head * 0.62;
    p.Shape({{{end.x + nx * h, end.y + ny * h},
              {end.x + tx * head, end.y + ty * head},
              {end.x - nx * h, end.y - ny * h}}},
            c);
}

void Badge(Painter& p, Colour fill) {
    p.Shape({Circle(8, 8, 7)}, fill);
}

void Plus(Painter& p, double cx, double cy, double r, Colour c) {
    const double w = r * 0.38;
    p.Shape({{{cx - w, cy - r},
              {cx + w, cy - r},
              {cx + w, cy - w},
              {cx + r, cy - w},
              {cx + r, cy + w},
              {cx + w, cy + w},
              {cx + w, cy + r},
              {cx - w, cy + r},
              {cx - w, cy + w},
              {cx - r, cy + w},
              {cx - r, cy - w},
              {cx - w, cy - w}}},
            c);
}

void Gear(Painter& p, double cx, double cy, double r, Colour fill) {
    Ring outer;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        double a = 2 * M_PI * i / (teeth * 4);
        double rr = (i % 4 == 0 || i % 4 == 1) ? r : r * 0.74;
        outer.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
    }
    p.Shape({outer, Circle(cx, cy, r * 0.32)}, fill);
}

void Tray(Painter& p) {
    p.Shape({{{1.5, 10},
              {4.5, 10},
              {5.5, 12},
              {10.5, 12},
              {11.5, 10},
              {14.5, 10},
              {14.5, 14.5},
              {1.5, 14.5}}},
            kGrey);
}

// White marks drawn on round badges.
void Glyph(Painter& p, char which) {
    const double w = 2.1;
    if (which == '!') {
        p.Line({{8, 3.8}, {8, 9}}, kWhite, w);
        p.Shape({Circle(8, 11.8, 1.2)}, kWhite, kNone);
    } else if (which == 'i') {
        p.Shape({Circle(8, 4.4, 1.25)}, kWhite, kNone);
        p.Line({{8, 7.2}, {8, 12}}, kWhite, w);
    } else if (which == '?') {
        Ring hook = Arc(8, 6, 2.6, M_PI * 1.05, M_PI * 2.25, 14);
        hook.push_back({8, 9.2});
        p.Line(hook, kWhite, w * 0.9);
        p.Shape({Circle(8, 12.2, 1.15)}, kWhite, kNone);
    }
}

// The icon of a slot, on the 16-unit grid.
void DrawIcon(Painter& p, const std::string& name) {
    if (name == "New") {
        Page(p, 3, 1.5, 13, 14.5);
        p.Shape({Star(4.5, 4.5, 3.6, 1.5)}, Hex(0xffd23f), Hex(0xb88700), p.lineUnits * 0.8);
    } else if (name == "Add") {
        Page(p, 2, 1.5, 11.5, 14);
        p.Shape({Circle(11.5, 11.5, 4)}, kGreen);
        Plus(p, 11.5, 11.5, 2.5, kWhite);
    } else if (name == "InFiles") {
        Page(p, 5, 1, 14, 11.5, Hex(0xe8eef8));
        Page(p, 2, 4.5, 11, 15);
    } else if (name == "InFolder") {
        Folder(p, 1, 2.5, 15, 14);
    } else if (name == "OutFolder") {
        Folder(p, 1, 3.5, 13, 14.5);
        Arrow(p, {6, 10}, {15, 3}, kBlue, 2.2, 4);
    } else if (name == "OutFormat") {
        Page(p, 2.5, 1.5, 13.5, 14.5);
        p.Shape({Rect(4.5, 6, 7, 12.5)}, kRed, kInk, p.lineUnits * 0.6);
        p.Shape({Rect(7, 8, 9.5, 12.5)}, kGreen, kInk, p.lineUnits * 0.6);
        p.Shape({Rect(9.5, 4.5, 12, 12.5)}, kBlue, kInk, p.lineUnits * 0.6);
    } else if (name == "FavFolder") {
        Folder(p, 1, 2.5, 15, 14);
        p.Shape({Star(8, 9.3, 4.2, 1.8)}, Hex(0xff7b2e), Hex(0x9a3c00), p.lineUnits * 0.8);
    } else if (name == "ImportFiles") {
        Tray(p);
        Arrow(p, {8, 1}, {8, 11}, kGreen, 2.6, 4.5);
    } else if (name == "ExportFiles") {
        Tray(p);
        Arrow(p, {8, 11}, {8, 1}, kBlue, 2.6, 4.5);
    } else if (name == "Exit") {
        p.Shape({Rect(2, 1.5, 10, 14.5)}, Hex(0xa8744a));
        p.Shape({Circle(8, 8.5, 0.8)}, Hex(0xffd23f), kNone);
        Arrow(p, {6, 8}, {15.5, 8}, kRed, 2.4, 4.5);
    } else if (name == "Copy") {
        Page(p, 5.5, 1, 14.5, 11);
        Page(p, 1.5, 5, 10.5, 15);
    } else if (name == "Delete") {
        p.Line({{3, 3}, {13, 13}}, kRed, 3.2);
        p.Line({{13, 3}, {3, 13}}, kRed, 3.2);
    } else if (name == "SelectAll") {
        p.Shape({Rect(2, 2, 14, 14)}, Hex(0xcfe1f7), kNone);
        for (double i = 0; i < 4; ++i) {
            double a = 2 + i * 3;
            p.Line({{a, 2}, {a + 1.6, 2}}, kBlue, p.lineUnits);
            p.Line({{14, a}, {14, a + 1.6}}, kBlue, p.lineUnits);
            p.Line({{14 - i * 3, 14}, {12.4 - i * 3, 14}}, kBlue, p.lineUnits);
            p.Line({{2, 14 - i * 3}, {2, 12.4 - i * 3}}, kBlue, p.lineUnits);
        }
    } else if (name == "Convert") {
        ArcArrow(p, 8, 8, 5.0, M_PI * 1.0, M_PI * 1.75, kGreen);
        ArcArrow(p, 8, 8, 5.0, M_PI * 0.0, M_PI * 0.75, kBlue);
    } else if (name == "Error") {
        Badge(p, kRed);
        Glyph(p, '!');
    } else if (name == "Preferences") {
        Gear(p, 8, 8, 7, kGrey);
    } else if (name == "CustomConverter") {
        Page(p, 1.5, 1, 11, 13);
        p.Line({{10.5, 10.5}, {14.8, 14.8}}, Hex(0x5a4632), 2.6);
        p.Shape({Circle(8.5, 8.5, 3.6)}, Hex(0xbfe3ff, 0.85));
    } else if (name == "Help") {
        Badge(p, kBlue);
        Glyph(p, '?');
    } else if (name == "Email") {
        p.Shape({Rect(1, 3.5, 15, 12.5)}, kPaper);
        p.Line({{1.4, 4}, {8, 9}, {14.6, 4}}, kInk, p.lineUnits);
        p.Line({{1.4, 12}, {6, 7.6}}, kInk, p.lineUnits * 0.7);
        p.Line({{14.6, 12}, {10, 7.6}}, kInk, p.lineUnits * 0.7);
    } else if (name == "Web") {
        p.Shape({Circle(8, 8, 7)}, Hex(0x4aa3df));
        Ring meridian;
        for (int i = 0; i <= 24; ++i) {
            double a = -M_PI / 2 + M_PI * i / 24;
            meridian.push_back({8 + 3 * std::cos(a), 8 + 7 * std::sin(a)});
        }
        Ring other = meridian;
        for (P& q : other)
            q.x = 16 - q.x;
        p.Line(meridian, kWhite, p.lineUnits * 0.8);
        p.Line(other, kWhite, p.lineUnits * 0.8);
        p.Line({{8, 1}, {8, 15}}, kWhite, p.lineUnits * 0.8);
        p.Line({{1, 8}, {15, 8}}, kWhite, p.lineUnits * 0.8);
        p.Line({{2.2, 4.5}, {13.8, 4.5}}, kWhite, p.lineUnits * 0.6);
        p.Line({{2.2, 11.5}, {13.8, 11.5}}, kWhite, p.lineUnits * 0.6);
    } else if (name == "Updates") {
        Badge(p, kGreen);
        Arrow(p, {8, 3}, {8, 13}, kWhite, 2.4, 4.5);
    } else if (name == "About") {
        Badge(p, kBlue);
        Glyph(p, 'i');
    }
}

// The large Convert button on a 100-unit grid: a picture card, a palette card and a
// bold arrow from the one to the other.
void DrawConvertButton(Painter& p) {
    p.Shape({Rect(5, 6, 53, 48)}, Hex(0x9fd3f5));
    p.Shape({{{5, 48}, {5, 37}, {17, 27}, {29, 39}, {37, 32}, {53, 44}, {53, 48}}}, kGreen, kNone);
    p.Shape({Circle(40, 18, 5)}, Hex(0xffd23f), Hex(0xb88700));
    p.Outline({Rect(5, 6, 53, 48)}, kInk, p.lineUnits, true);

    const Colour cells[] = {kRed,          kOrange,       Hex(0xffd23f), kGreen, kBlue,
                            Hex(0x7b4fc9), Hex(0x2b2b33), kGrey,         kWhite};
    for (int i = 0; i < 9; ++i) {
        double x = 51 + (i % 3) * 14, y = 53 + (i / 3) * 14;
        p.Shape({Rect(x, y, x + 14, y + 14)}, cells[i], kInk, p.lineUnits * 0.6);
    }
    p.Outline({Rect(51, 53, 93, 95)}, kInk, p.lineUnits, true);

    Ring curve = Arc(52, 36, 30, -M_PI * 0.43, 0, 16);
    p.Line(curve, kOrange, 8.5);
    const P tip = curve.back();
    p.Shape({{{tip.x - 10.5, tip.y - 1}, {tip.x + 10.5, tip.y - 1}, {tip.x, tip.y + 14}}}, kOrange);
}

struct Surface {
    cairo_surface_t* s;
    explicit Surface(int w, int h) : s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)) {}
    ~Surface() { cairo_surface_destroy(s); }
};

struct Context {
    cairo_t* cr;
    explicit Context(cairo_surface_t* s) : cr(cairo_create(s)) {}
    ~Context() { cairo_destroy(cr); }
};

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::string Png(cairo_surface_t* s) {
    std::string out;
    cairo_surface_flush(s);
    cairo_surface_write_to_png_stream(s, AppendBytes, &out);
    return out;
}

uint32_t NameSeed(const std::string& name, int size) {
    uint32_t h = 2166136261u;
    for (char c : name)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h ^ static_cast<uint32_t>(size * 7919);
}

std::string IconPng(const std::string& name, int size, bool sketch) {
    Surface surface(size, size);
    Context ctx(surface.s);
    Painter p;
    p.cr = ctx.cr;
    p.scale = size / 16.0;
    p.lineUnits = (0.9 + (size - 16) / 30.0) / p.scale;
    p.sketch = sketch && size >= 24;
    p.seed = NameSeed(name, size);
    DrawIcon(p, name);
    return Png(surface.s);
}

std::string ButtonPng(const std::string& name, int size, bool sketch) {
    Surface surface(size, size);
    Context ctx(surface.s);
    Painter p;
    p.cr = ctx.cr;
    p.sketch = sketch;
    p.seed = NameSeed(name, size);
    if (name == "Convert") {
        p.scale = size / 100.0;
        p.lineUnits = 2.2;
        DrawConvertButton(p);
    } else {
        p.scale = size / 16.0;
        p.lineUnits = 0.9 / p.scale * (1 + size / 40.0);
        DrawIcon(p, name);
    }
    return Png(surface.s);
}

// The program's desktop icon: the Convert picture, its lines at least a pixel wide.
std::string AppIconPng(int size) {
    Surface surface(size, size);
    Context ctx(surface.s);
    Painter p;
    p.cr = ctx.cr;
    p.scale = size / 100.0;
    p.lineUnits = std::max(2.2, 1.0 / p.scale);
    p.seed = NameSeed("Convert", size);
    DrawConvertButton(p);
    return Png(surface.s);
}

// The About banner, 360 x 40, as a 24-bit BMP file.
std::string BannerBmp() {
    const int w = 360, h = 40;
    Surface surface(w, h);
    {
        Context ctx(surface.s);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, 0);
        cairo_pattern_add_color_stop_rgb(g, 0, 0.09, 0.24, 0.45);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.16, 0.55, 0.62);
        cairo_set_source(ctx.cr, g);
        cairo_paint(ctx.cr);
        cairo_pattern_destroy(g);
        cairo_save(ctx.cr);
        cairo_translate(ctx.cr, 6, 4);
        Painter p;
        p.cr = ctx.cr;
        p.scale = 32 / 100.0;
        p.lineUnits = 3;
        DrawConvertButton(p);
        cairo_restore(ctx.cr);

        PangoLayout* layout = pango_cairo_create_layout(ctx.cr);
        PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans Bold 15px");
        pango_layout_set_font_description(layout, font);
        pango_layout_set_markup(
            layout, "Vextara BMP to PCX <span weight=\"normal\" alpha=\"75%\">2.5</span>", -1);
        int tw = 0, th = 0;
        pango_layout_get_pixel_size(layout, &tw, &th);
        cairo_set_source_rgb(ctx.cr, 1, 1, 1);
        cairo_move_to(ctx.cr, 48, (h - th) / 2.0);
        pango_cairo_show_layout(ctx.cr, layout);
        pango_font_description_free(font);
        g_object_unref(layout);
    }
    cairo_surface_flush(surface.s);
    const unsigned char* data = cairo_image_surface_get_data(surface.s);
    const int stride = cairo_image_surface_get_stride(surface.s);
    const int rowBytes = (w * 3 + 3) & ~3;
    const uint32_t fileSize = 54 + rowBytes * h;
    std::string bmp(fileSize, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 255);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, rowBytes * h);
    put32(38, 2835);
    put32(42, 2835);
    for (int y = 0; y < h; ++y) {
        const unsigned char* src = data + (h - 1 - y) * stride; // bottom-up rows
        for (int x = 0; x < w; ++x) {
            // ARGB32 in native (little-endian) order is B, G, R, A; the surface is opaque.
            bmp[54 + y * rowBytes + x * 3 + 0] = static_cast<char>(src[x * 4 + 0]);
            bmp[54 + y * rowBytes + x * 3 + 1] = static_cast<char>(src[x * 4 + 1]);
            bmp[54 + y * rowBytes + x * 3 + 2] = static_cast<char>(src[x * 4 + 2]);
        }
    }
    return bmp;
}

const int kIconSizes[] = {16, 24, 32, 48, 64};
constexpr int kConvertButtonSize = 88;
constexpr int kSmallButtonSize = 48;

struct Picture {
    std::string set, name;
    int size;
    std::string type, bytes;
};

bool WriteText(const std::string& path, const std::string& text) {
    const std::string temp = path + ".part";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

bool WriteSource(const std::string& path, const std::vector<Picture>& pictures) {
    std::string out =
        "// Generated by draw_artwork; do not edit.\n#include \"app/builtin_art.h\"\n\n"
        "namespace {\n";
    char buf[8];
    for (size_t i = 0; i < pictures.size(); ++i) {
        out += "const unsigned char kPicture" + std::to_string(i) + "[] = {";
        for (size_t k = 0; k < pictures[i].bytes.size(); ++k) {
            if (k % 24 == 0) out += "\n";
            std::snprintf(buf, sizeof buf, "%u,", static_cast<unsigned char>(pictures[i].bytes[k]));
            out += buf;
        }
        out += "};\n";
    }
    out += "const BuiltinPicture kPictures[] = {\n";
    for (size_t i = 0; i < pictures.size(); ++i) {
        const std::string n = std::to_string(i);
        out += "    {\"" + pictures[i].set + "\", \"" + pictures[i].name + "\", " +
               std::to_string(pictures[i].size) + ", kPicture" + n + ", sizeof kPicture" + n +
               ", \"" + pictures[i].type + "\"},\n";
    }
    out += "};\n} // namespace\n\nstd::span<const BuiltinPicture> BuiltinPictures() { return "
           "kPictures; }\n";
    return WriteText(path, out);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool WriteTheme(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string cfg = "[Theme]\r\nName=Hand-drawn\r\n\r\n[Buttons]\r\n";
    for (const char* slot : kButtonSlots) {
        std::string entry = "buttons/" + Lower(slot) + ".png";
        cfg += std::string(slot) + "=" + entry + "\r\n";
        entries.push_back(
            {entry,
             ButtonPng(slot, std::string(slot) == "Convert" ? kConvertButtonSize : kSmallButtonSize,
                       true)});
    }
    cfg += "\r\n[Icons]\r\n";
    for (const char* slot : kIconSlots) {
        std::string base = "icons/" + Lower(slot);
        cfg += std::string(slot) + "=" + base + "\r\n";
        for (int size : kIconSizes)
            entries.push_back(
                {base + "_" + std::to_string(size) + ".png", IconPng(slot, size, true)});
    }
    entries.insert(entries.begin(), {"theme.cfg", cfg});

    const std::string temp = path + ".part";
    archive* a = archive_write_new();
    if (!a) return false;
    archive_write_set_format_zip(a);
    bool ok = archive_write_open_filename(a, temp.c_str()) == ARCHIVE_OK;
    for (const auto& [name, bytes] : entries) {
        if (!ok) break;
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, name.c_str());
        archive_entry_set_size(e, static_cast<la_int64_t>(bytes.size()));
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_mtime(e, 1767225600, 0); // fixed, so that builds are repeatable
        ok = archive_write_header(a, e) == ARCHIVE_OK &&
             archive_write_data(a, bytes.data(), bytes.size()) ==
                 static_cast<la_ssize_t>(bytes.size());
        archive_entry_free(e);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

// The sizes of the desktop icon, as the icon themes keep them.
const int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool WriteAppIcons(const std::string& folder) {
    for (int size : kAppIconSizes) {
        const std::string path = folder + "/brelvix-" + std::to_string(size) + ".png";
        if (!WriteText(path, AppIconPng(size))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--app-icons") return WriteAppIcons(argv[2]) ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <builtin_art.cpp> <theme.zip>\n"
                             "       %s --app-icons <folder>\n", argv[0], argv[0]);
        return 2;
    }
    std::vector<Picture> pictures;
    for (const char* slot : kButtonSlots)
        pictures.push_back(
            {"Buttons", slot, 0, "png",
             ButtonPng(slot, std::string(slot) == "Convert" ? kConvertButtonSize : kSmallButtonSize,
                       false)});
    for (const char* slot : kIconSlots)
        for (int size : kIconSizes)
            pictures.push_back({"Icons", slot, size, "png", IconPng(slot, size, false)});
    pictures.push_back({"Banner", "About", 0, "bmp", BannerBmp()});

    if (!WriteSource(argv[1], pictures)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (!WriteTheme(argv[2])) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
