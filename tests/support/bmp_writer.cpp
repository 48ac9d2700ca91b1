#include "bmp_writer.h"

#include <bit>
#include <map>
#include <vector>

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Set32(std::string& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An 8-bit channel value placed in the bits of a mask.
uint32_t PackChannel(uint8_t value, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    uint32_t v = bits <= 8 ? value >> (8 - bits) : (uint32_t{value} << (bits - 8));
    return (v << shift) & mask;
}

struct Palette {
    std::vector<std::array<uint8_t, 3>> colours; // red, green, blue
    std::map<std::array<uint8_t, 3>, int> index;
};

bool BuildPalette(const RgbImage& picture, int entries, Palette& palette) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.At(x, y);
            std::array<uint8_t, 3> c{p[0], p[1], p[2]};
            if (palette.index.count(c)) continue;
            if (static_cast<int>(palette.colours.size()) == entries) return false;
            palette.index[c] = static_cast<int>(palette.colours.size());
            palette.colours.push_back(c);
        }
    for (int i = static_cast<int>(palette.colours.size()); i < entries; ++i)
        palette.colours.push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 91 + 7),
                                   static_cast<uint8_t>(i * 53 + 11)});
    return true;
}

// RLE8 for one line of palette indices.
void EncodeRle8Line(const std::vector<int>& line, bool delta, std::string& out) {
    size_t n = line.size();
    size_t i = 0;
    auto runAt = [&](size_t at) {
        size_t r = 1;
        while (at + r < n && r < 255 && line[at + r] == line[at])
            ++r;
        return r;
    };
    while (i < n) {
        size_t r = runAt(i);
        if (delta && line[i] == 0 && r >= 3) {
            out += '\0';
            out += '\2';
            out += static_cast<char>(r);
            out += '\0';
            i += r;
        } else if (r >= 2) {
            out += static_cast<char>(r);
            out += static_cast<char>(line[i]);
            i += r;
        } else {
            size_t j = i;
            while (j < n && j - i < 255 && runAt(j) < 2)
                ++j;
            size_t len = j - i;
            if (len >= 3) {
                out += '\0';
                out += static_cast<char>(len);
                for (size_t k = i; k < j; ++k)
                    out += static_cast<char>(line[k]);
                if (len & 1) out += '\0';
            } else {
                for (size_t k = i; k < j; ++k) {
                    out += '\1';
                    out += static_cast<char>(line[k]);
                }
            }
            i = j;
        }
    }
}

// RLE4 for one line: encoded runs repeat a pair of indices, absolute runs pack nibbles.
void EncodeRle4Line(const std::vector<int>& line, std::string& out) {
    size_t n = line.size();
    auto runAt = [&](size_t at) {
        size_t r = 1;
        while (at + r < n && r < 255 && line[at + r] == line[at + (r & 1)])
            ++r;
        return r;
    };
    size_t i = 0;
    while (i < n) {
        size_t r = runAt(i);
        if (r >= 3 || (r == 2 && line[i] == line[i + 1])) {
            int second = r > 1 ? line[i + 1] : 0;
            out += static_cast<char>(r);
            out += static_cast<char>((line[i] << 4) | second);
            i += r;
        } else {
            size_t j = i;
            while (j < n && j - i < 255 && runAt(j) < 3)
                ++j;
            size_t len = j - i;
            if (len >= 3) {
                out += '\0';
                out += static_cast<char>(len);
                size_t bytes = (len + 1) / 2;
                for (size_t b = 0; b < bytes; ++b) {
                    int hi = line[i + 2 * b];
                    int lo = i + 2 * b + 1 < j ? line[i + 2 * b + 1] : 0;
                    out += static_cast<char>((hi << 4) | lo);
                }
                if (bytes & 1) out += '\0';
            } else {
                for (size_t k = i; k < j; ++k) {
                    out += '\1';
                    out += static_cast<char>(line[k] << 4);
                }
            }
            i = j;
        }
    }
}

bool IsWindowsHeader(int size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The file for a picture, or (words given) for 16- or 32-bit pixel words.
std::string Encode(const RgbImage& picture, const BmpLayout& layout,
                   const std::vector<uint32_t>* words) {
    const int w = picture.width, h = picture.height, bpp = layout.bpp;
    const int hs = layout.headerSize;
    const bool os2v1 = hs == 12;
    const bool paletted = bpp <= 8;
    if (w <= 0 || h <= 0) return {};
    if (!os2v1 && !IsWindowsHeader(hs) && (hs < 16 || hs > 64)) return {};
    if (os2v1 && (layout.topDown || bpp == 16 || bpp == 32 || layout.compression != 0)) return {};
    const bool rle = layout.compression == 1 || layout.compression == 2;
    if (rle && (layout.topDown || bpp != (layout.compression == 1 ? 8 : 4))) return {};
    const bool fields = layout.compression == 3 || layout.compression == 6;
    if (fields && bpp != 16 && bpp != 32) return {};

    // Colours: palette, or masks of direct-colour pixels.
    Palette palette;
    int entries = 0;
    if (paletted) {
        entries = layout.paletteEntries ? layout.paletteEntries : 1 << bpp;
        // Without a colour count in the header the whole palette is written.
        if (os2v1 || hs < 36) entries = 1 << bpp;
        if (!BuildPalette(picture, entries, palette)) return {};
    }
    std::array<uint32_t, 4> masks = layout.masks;
    const bool defaultMasks = masks[0] == 0 && masks[1] == 0 && masks[2] == 0;
    if (bpp == 16 && defaultMasks) masks = {0x7C00, 0x03E0, 0x001F, 0};
    if (bpp == 32 && defaultMasks) masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

    // Pixel data, bottom line first unless top-down.
    const size_t stride = ((static_cast<size_t>(w) * bpp + 31) / 32) * 4;
    std::string data;
    for (int row = 0; row < h; ++row) {
        int y = layout.topDown ? row : h - 1 - row;
        if (paletted) {
            std::vector<int> line(w);
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = picture.At(x, y);
                line[x] = palette.index.at({p[0], p[1], p[2]});
            }
            if (layout.compression == 1) {
                EncodeRle8Line(line, layout.rleDelta, data);
            } else if (layout.compression == 2) {
                EncodeRle4Line(line, data);
            } else {
                std::string bytes(stride, '\0');
                for (int x = 0; x < w; ++x) {
                    size_t bit = static_cast<size_t>(x) * bpp;
                    int shift = 8 - bpp - static_cast<int>(bit % 8);
                    bytes[bit / 8] = static_cast<char>(bytes[bit / 8] | (line[x] << shift));
                }
                data += bytes;
            }
            if (rle && (row + 1 < h || layout.rleEndOfLineBeforeEnd)) data += std::string(2, '\0');
            continue;
        }
        std::string bytes;
        for (int x = 0; x < w; ++x) {
            if (words) {
                const uint32_t v = (*words)[static_cast<size_t>(y) * w + x];
                if (bpp == 16)
                    Put16(bytes, v);
                else
                    Put32(bytes, v);
                continue;
            }
            const uint8_t* p = picture.At(x, y);
            if (bpp == 24) {
                bytes += static_cast<char>(p[2]);
                bytes += static_cast<char>(p[1]);
                bytes += static_cast<char>(p[0]);
                continue;
            }
            uint32_t v = PackChannel(p[0], masks[0]) | PackChannel(p[1], masks[1]) |
                         PackChannel(p[2], masks[2]) | PackChannel(layout.alpha, masks[3]);
            if (bpp == 16)
                Put16(bytes, v);
            else
                Put32(bytes, v);
        }
        bytes.resize(stride, '\0');
        data += bytes;
    }
    if (rle) {
        data += '\0';
        data += '\1';
    }

    // Information header.
    std::string info;
    if (os2v1) {
        Put32(info, 12);
        Put16(info, w);
        Put16(info, h);
        Put16(info, 1);
        Put16(info, bpp);
    } else {
        Put32(info, hs);
        Put32(info, w);
        Put32(info, static_cast<uint32_t>(layout.topDown ? -h : h));
        Put16(info, 1);
        Put16(info, bpp);
        Put32(info, layout.compression);
        Put32(info, static_cast<uint32_t>(data.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, paletted && !layout.colourCountZero ? entries : 0);
        Put32(info, 0);
        if (IsWindowsHeader(hs)) {
            bool inHeader = bpp == 16 || bpp == 32;
            for (int i = 0; i < 4; ++i)
                Put32(info, inHeader ? masks[i] : 0);
            Put32(info, 0x73524742); // sRGB
            info.resize(hs, '\0');
            if (hs == 124) Set32(info, 108, 4); // rendering intent: pictures
        } else {
            info.resize(64, '\0');
            info.resize(hs);
        }
    }
    if (hs == 40 && fields) {
        for (int i = 0; i < (layout.compression == 6 ? 4 : 3); ++i)
            Put32(info, masks[i]);
    }
    for (const auto& c : palette.colours) {
        info += static_cast<char>(c[2]);
        info += static_cast<char>(c[1]);
        info += static_cast<char>(c[0]);
        if (!os2v1) info += '\0';
    }
    info += std::string(layout.extraGap, '\x5A');

    std::string file = "BM";
    Put32(file, static_cast<uint32_t>(14 + info.size() + data.size()));
    Put32(file, 0);
    Put32(file, static_cast<uint32_t>(14 + info.size()));
    return file + info + data;
}

} // namespace

std::string EncodeBmp(const RgbImage& picture, const BmpLayout& layout) {
    return Encode(picture, layout, nullptr);
}

std::string EncodeBmpWords(int width, int height, const std::vector<uint32_t>& words,
                           const BmpLayout& layout) {
    if ((layout.bpp != 16 && layout.bpp != 32) || width <= 0 || height <= 0 ||
        words.size() != static_cast<size_t>(width) * height)
        return {};
    RgbImage shape;
    shape.width = width;
    shape.height = height;
    return Encode(shape, layout, &words);
}

bool WriteBmpFile(const std::string& path, const RgbImage& picture, const BmpLayout& layout) {
    std::string bytes = EncodeBmp(picture, layout);
    return !bytes.empty() && WriteFile(path, bytes);
}

RgbImage MakeTestPicture(int width, int height, int colours) {
    RgbImage img;
    img.width = width;
    img.height = height;
    img.pixels.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = img.At(x, y);
            if (colours > 0) {
                // Runs of a few pixels, a change every other line, and scattered single pixels.
                int i = (x / 5 + (y / 2) * 3 + ((x * 7 + y * 3) % 11 == 0 ? 1 : 0)) % colours;
                p[0] = static_cast<uint8_t>(40 + i * 193);
                p[1] = static_cast<uint8_t>(255 - i * 71);
                p[2] = static_cast<uint8_t>(i * 29 + (i & 1) * 128);
            } else {
                p[0] = static_cast<uint8_t>(width > 1 ? x * 255 / (width - 1) : 128);
                p[1] = static_cast<uint8_t>(height > 1 ? y * 255 / (height - 1) : 64);
                p[2] = static_cast<uint8_t>((x * 37 + y * 91) & 0xFF);
            }
        }
    return img;
}
