// Draws the sample picture of `make run`: an evening landscape of 160 x 120 pixels,
// written as a plain 24-bit BMP. scripts/make-sample builds and runs it.
//
//   make_sample samples/sample.bmp
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kHorizon = 78; // first row of the lake

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double Smooth(double edge0, double edge1, double x) {
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Height of a ridge line (rows from the top) at a column.
double Ridge(double x, double base, double a1, double f1, double a2, double f2, double phase) {
    return base - a1 * std::sin(x * f1 + phase) - a2 * std::sin(x * f2 + 2.1 * phase);
}

const Rgb kSkyTop{28, 36, 92};
const Rgb kSkyMid{196, 92, 110};
const Rgb kSkyLow{252, 186, 96};
const Rgb kSun{255, 244, 200};
const Rgb kFarHills{96, 70, 120};
const Rgb kNearHills{40, 44, 70};
const Rgb kShore{24, 30, 44};
constexpr double kSunX = 104, kSunY = 60, kSunRadius = 11;

// The scene above the water line.
Rgb Land(double x, double y) {
    double t = y / kHorizon;
    Rgb sky = t < 0.55 ? Mix(kSkyTop, kSkyMid, t / 0.55) : Mix(kSkyMid, kSkyLow, (t - 0.55) / 0.45);
    double d = std::hypot(x - kSunX, y - kSunY);
    sky = Mix(sky, kSun, 0.55 * std::exp(-d * d / 900.0));             // glow
    sky = Mix(sky, kSun, 1.0 - Smooth(kSunRadius - 1, kSunRadius + 1, d)); // disc
    // Thin clouds drifting across the sun.
    for (double cy : {52.0, 57.5}) {
        double band = std::exp(-std::pow((y - cy - 2 * std::sin(x / 17)) / 1.3, 2));
        double reach = Smooth(60, 80, x) * (1 - Smooth(140, 158, x));
        sky = Mix(sky, Rgb{236, 120, 112}, 0.8 * band * reach);
    }
    Rgb colour = sky;
    if (y > Ridge(x, 62, 7, 0.045, 3, 0.13, 0.7))
        colour = Mix(kFarHills, sky, 0.25 * (1 - (y - 50) / 30));
    if (y > Ridge(x, 73, 6, 0.03, 2.5, 0.21, 2.3)) colour = kNearHills;
    if (y > kHorizon - 2) colour = kShore;
    // A small tree on the near hill.
    double tx = 30, ty = Ridge(tx, 73, 6, 0.03, 2.5, 0.21, 2.3);
    if (std::abs(x - tx) < 0.8 && y > ty - 9 && y < ty) colour = kShore;
    if (y > ty - 14 && y < ty - 5 && std::abs(x - tx) < (y - (ty - 14)) * 0.45) colour = kShore;
    return colour;
}

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    std::vector<Rgb> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Rgb c;
            if (y < kHorizon) {
                c = Land(x, y);
            } else {
                // The lake mirrors the scene with ripples, darker towards the front.
                double depth = (y - kHorizon) / double(kHeight - kHorizon);
                double ripple = 1.6 * std::sin(y * 1.3 + x * 0.08) * (0.3 + depth);
                double my = 2 * kHorizon - 1 - y;
                c = Land(std::clamp(x + ripple, 0.0, kWidth - 1.0), std::max(my, 0.0));
                c = Mix(c, Rgb{20, 28, 60}, 0.35 + 0.4 * depth);
                // Glints under the sun.
                double glint = std::exp(-std::pow((x - kSunX) / (4 + 14 * depth), 2)) *
                               (0.5 + 0.5 * std::sin(y * 2.7 + std::sin(x * 0.7)));
                c = Mix(c, kSun, 0.5 * glint * (1 - depth * 0.5));
            }
            pixels[y * kWidth + x] = c;
        }
    }
    // A small sail boat on the water.
    for (int y = 84; y < 97; ++y)
        for (int x = 52; x < 66; ++x) {
            bool hull = y >= 94 && x >= 52 + (y - 94) && x < 66 - (y - 94);
            bool sail = y < 93 && x >= 58 && x - 58 < (y - 84) * 0.75;
            bool mast = x == 58 && y < 94;
            if (hull || mast) pixels[y * kWidth + x] = Rgb{30, 20, 24};
            if (sail) pixels[y * kWidth + x] = Rgb{250, 236, 214};
        }

    const uint32_t rowBytes = (kWidth * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * kHeight;
    std::string out = "BM";
    Put32(out, 54 + dataBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, kWidth);
    Put32(out, kHeight);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, dataBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = kHeight - 1; y >= 0; --y) { // bottom-up rows, blue green red
        std::string row;
        for (int x = 0; x < kWidth; ++x) {
            const Rgb& c = pixels[y * kWidth + x];
            row += static_cast<char>(std::lround(std::clamp(c.b, 0.0, 255.0)));
            row += static_cast<char>(std::lround(std::clamp(c.g, 0.0, 255.0)));
            row += static_cast<char>(std::lround(std::clamp(c.r, 0.0, 255.0)));
        }
        row.resize(rowBytes, '\0');
        out += row;
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
