#include "engine/bmp_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Stored BMP lines have FreeImage's own line layout (bottom line first, padded to 4
// bytes, blue before green before red), so they are read straight into its bitmaps.
static_assert(FI_RGBA_BLUE == 0 && FI_RGBA_GREEN == 1 && FI_RGBA_RED == 2 && FI_RGBA_ALPHA == 3);

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr uint64_t kFileHeader = 14;
constexpr std::array<uint32_t, 4> kMasks555 = {0x7C00, 0x03E0, 0x001F, 0};
constexpr std::array<uint32_t, 4> kMasks888 = {0xFF0000, 0xFF00, 0xFF, 0};

// The information headers this reader knows, by size. OS/2 1.x has 16-bit sizes
// and 3-byte palette entries; OS/2 2.x headers may stop after any field, and there
// compressions 3 and 4 mean Huffman and RLE24, which are not read.
struct HeaderForm {
    uint32_t minSize;
    uint32_t maxSize;
    bool os2;
    int paletteEntryBytes;
    int masksInHeader; // bit-field masks stored at offset 40 of the header
};
constexpr HeaderForm kHeaderForms[] = {
    {12, 12, true, 3, 0},    // OS/2 1.x
    {40, 40, false, 4, 0},   // Windows; masks follow the header
    {52, 52, false, 4, 3},   // with red, green and blue masks
    {56, 56, false, 4, 4},   // with an alpha mask too
    {108, 108, false, 4, 4}, // V4
    {124, 124, false, 4, 4}, // V5
    {16, 64, true, 4, 0},    // OS/2 2.x, after the exact sizes above
};

// Who decodes the pixels: stored lines copied as they are, bit fields scaled to 8
// bits a channel, or run-length codes.
enum class Decoder { Lines, BitFields, Rle };
constexpr int kDepths[] = {1, 4, 8, 16, 24, 32};
constexpr uint32_t kCompressions[] = {kRgb, kRle8, kRle4, kBitFields, kAlphaBitFields};
constexpr struct {
    int bpp;
    uint32_t compression;
    Decoder decoder;
} kPixelForms[] = {
    {1, kRgb, Decoder::Lines},
    {4, kRgb, Decoder::Lines},
    {8, kRgb, Decoder::Lines},
    {16, kRgb, Decoder::BitFields},
    {24, kRgb, Decoder::Lines},
    {32, kRgb, Decoder::Lines},
    {4, kRle4, Decoder::Rle},
    {8, kRle8, Decoder::Rle},
    {16, kBitFields, Decoder::BitFields},
    {32, kBitFields, Decoder::BitFields},
    {16, kAlphaBitFields, Decoder::BitFields},
    {32, kAlphaBitFields, Decoder::BitFields},
};

// What becomes of the fourth byte of 32-bit pixels.
enum class Alpha {
    Keep,          // not a 32-bit picture
    OpaqueIfClear, // alpha, unless every pixel has 0 there (a plain padding byte)
    Opaque,        // padding: no alpha mask
};

struct BmpFacts {
    uint64_t fileSize = 0;
    uint64_t dataOffset = 0;
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = kRgb;
    std::array<uint32_t, 4> masks{}; // red, green, blue, alpha
    uint64_t paletteOffset = 0;
    int paletteEntryBytes = 4;
    int paletteEntries = 0;
    uint64_t stride = 0; // bytes of one stored line of uncompressed pixels
    Decoder decoder = Decoder::Lines;
    Alpha alpha = Alpha::Keep;
};

uint32_t Get16(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8;
}
uint32_t Get32(const uint8_t* p) {
    return Get16(p) | Get16(p + 2) << 16;
}

struct FileHandle {
    int fd = -1;
    FileHandle() = default;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd >= 0) close(fd);
    }
};

// Reads exactly size bytes at offset: kTruncated at the end of the file, the
// system's reason on an error.
Reason ReadAt(int fd, void* buffer, size_t size, uint64_t offset) {
    auto* out = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        ssize_t n = pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReasonFromErrno(errno, Reason::kReadError);
        if (n == 0) return Reason::kTruncated;
        out += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return Reason::kNone;
}

// A mask is a run of set bits within the pixel.
bool IsRunOfBits(uint32_t mask, int bpp) {
    if (mask == 0 || (bpp < 32 && mask >> bpp) != 0) return false;
    uint32_t low = mask >> std::countr_zero(mask);
    return (low & (low + 1)) == 0;
}

// Red, green and blue masks must be runs of bits within the pixel that do not
// overlap; an alpha mask that is not counts as none (alpha is dropped at export).
bool CheckMasks(BmpFacts& f) {
    uint32_t seen = 0;
    for (int i = 0; i < 3; ++i) {
        if (!IsRunOfBits(f.masks[i], f.bpp) || (seen & f.masks[i]) != 0) return false;
        seen |= f.masks[i];
    }
    if (!IsRunOfBits(f.masks[3], f.bpp) || (seen & f.masks[3]) != 0) f.masks[3] = 0;
    return true;
}

// Reads and checks the headers: kNone for a consistent BMP of a size this program
// accepts, else what is wrong with the file.
Reason ReadFacts(int fd, BmpFacts& f) {
    uint8_t head[kFileHeader + 124 + 16] = {};
    if (Reason r = ReadAt(fd, head, std::min<uint64_t>(sizeof head, f.fileSize), 0);
        r != Reason::kNone)
        return r;
    // Shorter than the smallest headers, it is no BMP whatever its first bytes.
    if (f.fileSize < kFileHeader + 12 || head[0] != 'B' || head[1] != 'M') return Reason::kNotBmp;
    f.dataOffset = Get32(head + 10);
    const uint32_t size = Get32(head + 14);
    const HeaderForm* form = nullptr;
    for (const HeaderForm& hf : kHeaderForms)
        if (size >= hf.minSize && size <= hf.maxSize) {
            form = &hf;
            break;
        }
    // A size between the known ones may be a form this reader does not know; no
    // header is shorter than 12 bytes or longer than 124.
    if (!form) return size < 12 || size > 124 ? Reason::kBadHeader : Reason::kUnsupportedHeader;
    if (f.fileSize < kFileHeader + size) return Reason::kTruncated;

    // Fields past the end of a short OS/2 2.x header read as zero.
    const uint8_t* h = head + kFileHeader;
    auto field = [&](uint32_t at) { return at + 4 <= size ? Get32(h + at) : 0; };
    int64_t width, height;
    uint32_t planes, colours = 0;
    if (size == 12) {
        width = Get16(h + 4);
        height = Get16(h + 6);
        planes = Get16(h + 8);
        f.bpp = static_cast<int>(Get16(h + 10));
    } else {
        width = static_cast<int32_t>(Get32(h + 4));
        height = static_cast<int32_t>(Get32(h + 8));
        planes = Get16(h + 12);
        f.bpp = static_cast<int>(Get16(h + 14));
        f.compression = field(16);
        colours = field(32);
    }
    // The most negative height has no positive counterpart in the field.
    if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) return Reason::kBadHeader;
    f.topDown = height < 0;
    height = f.topDown ? -height : height;
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        return Reason::kTooLarge;
    f.width = static_cast<int>(width);
    f.height = static_cast<int>(height);

    if (std::find(std::begin(kDepths), std::end(kDepths), f.bpp) == std::end(kDepths))
        return Reason::kUnsupportedDepth;
    if ((form->os2 && f.compression > kRle4) ||
        std::find(std::begin(kCompressions), std::end(kCompressions), f.compression) ==
            std::end(kCompressions))
        return Reason::kUnsupportedCompression;
    const auto* pixelForm =
        std::find_if(std::begin(kPixelForms), std::end(kPixelForms), [&](const auto& p) {
            return p.bpp == f.bpp && p.compression == f.compression;
        });
    // A known compression on a depth it does not apply to (RLE8 on 24 bits).
    if (pixelForm == std::end(kPixelForms)) return Reason::kBadHeader;
    f.decoder = pixelForm->decoder;

    // Bit-field masks: in the header from 52 bytes on, else after it.
    uint64_t headerEnd = kFileHeader + size;
    if (f.compression == kBitFields || f.compression == kAlphaBitFields) {
        int count = f.compression == kAlphaBitFields ? 4 : 3;
        const uint8_t* m = h + 40;
        if (form->masksInHeader == 0) {
            headerEnd += 4 * count;
            if (f.fileSize < headerEnd) return Reason::kTruncated;
        } else {
            count = form->masksInHeader;
        }
        for (int i = 0; i < count; ++i)
            f.masks[i] = Get32(m + 4 * i);
        if (!CheckMasks(f)) return Reason::kBadMasks;
        // Bytes in the usual order are copied as they are.
        std::array<uint32_t, 4> rgb = {f.masks[0], f.masks[1], f.masks[2], 0};
        if (f.bpp == 32 && rgb == kMasks888 && (f.masks[3] == 0 || f.masks[3] == 0xFF000000u))
            f.decoder = Decoder::Lines;
    } else if (f.bpp == 16) {
        f.masks = kMasks555;
    } else if (f.bpp == 32) {
        f.masks = kMasks888;
        f.masks[3] = 0xFF000000u;
    }
    if (f.bpp == 32) f.alpha = f.masks[3] == 0 ? Alpha::Opaque : Alpha::OpaqueIfClear;

    // The palette lies between the header and the pixel data: as many entries as
    // the header declares (all of them when it says 0 or more than the depth
    // holds), but no more than fit before the pixel data.
    if (f.dataOffset < headerEnd) return Reason::kBadHeader;
    if (f.bpp <= 8) {
        const uint32_t full = 1u << f.bpp;
        const uint32_t declared = colours != 0 && colours <= full ? colours : full;
        f.paletteOffset = headerEnd;
        f.paletteEntryBytes = form->paletteEntryBytes;
        uint64_t room = (f.dataOffset - f.paletteOffset) / f.paletteEntryBytes;
        f.paletteEntries = static_cast<int>(std::min<uint64_t>(declared, room));
        if (f.paletteEntries == 0) return Reason::kBadPalette;
    }

    if (f.dataOffset >= f.fileSize) return Reason::kTruncated;
    const uint64_t dataBytes = f.fileSize - f.dataOffset;
    const uint64_t pixels = static_cast<uint64_t>(f.width) * static_cast<uint64_t>(f.height);
    // An RLE file far shorter than any encoding of its picture is cut short (or
    // made to look large).
    if (f.decoder == Decoder::Rle)
        return pixels <= kRleBasePixels + kRlePixelsPerByte * dataBytes ? Reason::kNone
                                                                        : Reason::kTruncated;
    f.stride = (static_cast<uint64_t>(f.width) * f.bpp + 31) / 32 * 4;
    return f.stride * static_cast<uint64_t>(f.height) <= dataBytes ? Reason::kNone
                                                                   : Reason::kTruncated;
}

// The palette as stored in the file, in 2^bpp entries (those the file leaves out
// are black).
Reason ReadPalette(int fd, const BmpFacts& f, std::vector<RGBQUAD>& palette) {
    std::vector<uint8_t> bytes(static_cast<size_t>(f.paletteEntries) * f.paletteEntryBytes);
    if (Reason r = ReadAt(fd, bytes.data(), bytes.size(), f.paletteOffset); r != Reason::kNone)
        return r;
    palette.assign(static_cast<size_t>(1) << f.bpp, RGBQUAD{0, 0, 0, 0});
    for (int i = 0; i < f.paletteEntries; ++i) {
        const uint8_t* e = &bytes[static_cast<size_t>(i) * f.paletteEntryBytes];
        palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
    return Reason::kNone;
}

// The bitmap the pixels go to; kOutOfMemory when it cannot be had.
Reason Allocate(Image& image, const BmpFacts& f, int bpp, const std::vector<RGBQUAD>& palette) {
    image.Reset(FreeImage_Allocate(f.width, f.height, bpp));
    if (!image) return Reason::kOutOfMemory;
    if (bpp <= 8) std::copy(palette.begin(), palette.end(), FreeImage_GetPalette(image.get()));
    return Reason::kNone;
}

// The bitmap line for the file's r-th stored line.
BYTE* LineFor(const Image& image, const BmpFacts& f, int r) {
    return FreeImage_GetScanLine(image.get(), f.topDown ? f.height - 1 - r : r);
}

// Uncompressed pixels in FreeImage's layout, read line by line into the bitmap.
Reason ReadLines(int fd, const BmpFacts& f, const std::vector<RGBQUAD>& palette, Image& image) {
    if (Reason r = Allocate(image, f, f.bpp, palette); r != Reason::kNone) return r;
    const size_t bytes = std::min<size_t>(f.stride, FreeImage_GetPitch(image.get()));
    for (int r = 0; r < f.height; ++r)
        if (Reason why = ReadAt(fd, LineFor(image, f, r), bytes, f.dataOffset + f.stride * r);
            why != Reason::kNone)
            return why;
    return Reason::kNone;
}

// One bit-field channel of n bits, scaled to 8 bits as round(v × 255 / (2^n − 1)),
// for any n from 1 to 32 (in 64 bits, as v × 255 needs 40). Channels of up to 16
// bits look their values up in a table.
class Channel {
  public:
    explicit Channel(uint32_t mask) : mask_(mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        top_ = (uint64_t{1} << std::popcount(mask)) - 1;
        if (top_ <= 0xFFFF) {
            table_.resize(top_ + 1);
            for (uint64_t v = 0; v <= top_; ++v)
                table_[v] = Scale(v);
        }
    }
    // An absent channel reads as full (an opaque alpha).
    uint8_t Value(uint32_t pixel) const {
        if (top_ == 0) return 0xFF;
        const uint32_t v = (pixel & mask_) >> shift_;
        return v < table_.size() ? table_[v] : Scale(v);
    }

  private:
    // Rounds half up; 2^n − 1 is odd, so no value lies exactly half way.
    uint8_t Scale(uint64_t v) const { return static_cast<uint8_t>((v * 255 + top_ / 2) / top_); }

    uint32_t mask_ = 0;
    int shift_ = 0;
    uint64_t top_ = 0; // 2^n − 1
    std::vector<uint8_t> table_;
};

// Bit-field pixels: 16 bits become 24 (there is no exact 16-bit form of other
// widths, nor of 5-bit channels in 8-bit steps), 32 stay 32 with their alpha.
Reason DecodeBitFields(int fd, const BmpFacts& f, Image& image) {
    const int outBytes = f.bpp == 32 ? 4 : 3;
    if (Reason r = Allocate(image, f, outBytes * 8, {}); r != Reason::kNone) return r;
    const Channel red(f.masks[0]), green(f.masks[1]), blue(f.masks[2]), alpha(f.masks[3]);
    std::vector<uint8_t> line(f.stride);
    for (int r = 0; r < f.height; ++r) {
        if (Reason why = ReadAt(fd, line.data(), line.size(), f.dataOffset + f.stride * r);
            why != Reason::kNone)
            return why;
        BYTE* out = LineFor(image, f, r);
        const uint8_t* in = line.data();
        for (int x = 0; x < f.width; ++x, out += outBytes) {
            const uint32_t v = f.bpp == 16 ? Get16(in + 2 * x) : Get32(in + 4 * x);
            out[FI_RGBA_RED] = red.Value(v);
            out[FI_RGBA_GREEN] = green.Value(v);
            out[FI_RGBA_BLUE] = blue.Value(v);
            if (outBytes == 4) out[FI_RGBA_ALPHA] = alpha.Value(v);
        }
    }
    return Reason::kNone;
}

// Reads the file in blocks, never past its end.
struct ByteSource {
    int fd;
    uint64_t pos;
    uint64_t end;
    std::vector<uint8_t> block = std::vector<uint8_t>(64 * 1024);
    size_t have = 0;
    size_t at = 0;
    Reason failure = Reason::kNone;

    bool Next(uint8_t& byte) {
        if (at == have) {
            if (pos >= end) {
                failure = Reason::kTruncated;
                return false;
            }
            have = static_cast<size_t>(std::min<uint64_t>(block.size(), end - pos));
            failure = ReadAt(fd, block.data(), have, pos);
            if (failure != Reason::kNone) return false;
            pos += have;
            at = 0;
        }
        byte = block[at++];
        return true;
    }
};

// RLE8 and RLE4. Pixels a run leaves out keep colour 0; runs are cut at the end of
// their line; a stream that stops before its end mark fails.
Reason DecodeRle(int fd, const BmpFacts& f, const std::vector<RGBQUAD>& palette, Image& image) {
    if (Reason r = Allocate(image, f, f.bpp, palette); r != Reason::kNone) return r;
    BYTE* bits = FreeImage_GetBits(image.get());
    std::memset(bits, 0, static_cast<size_t>(FreeImage_GetPitch(image.get())) * f.height);

    ByteSource src{fd, f.dataOffset, f.fileSize};
    const bool rle8 = f.bpp == 8;
    int x = 0, y = 0; // y counts stored lines
    BYTE* line = nullptr;
    auto put = [&](uint32_t index) {
        if (x < f.width) {
            if (rle8)
                line[x] = static_cast<BYTE>(index);
            else
                line[x / 2] = static_cast<BYTE>(line[x / 2] | (x & 1 ? index : index << 4));
            ++x;
        }
    };
    uint8_t count, code, a, b;
    while (y < f.height) {
        line = LineFor(image, f, y);
        if (!src.Next(count) || !src.Next(code)) return src.failure;
        if (count > 0) { // a run of one colour (RLE4: two alternating colours)
            for (int i = 0; i < count; ++i)
                put(rle8 ? code : (i & 1 ? code & 15 : code >> 4));
        } else if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            break;
        } else if (code == 2) { // delta move
            if (!src.Next(a) || !src.Next(b)) return src.failure;
            x = std::min(x + a, f.width);
            y += b;
        } else { // absolute run of code pixels, padded to a 16-bit boundary
            const int bytes = rle8 ? code : (code + 1) / 2;
            for (int i = 0; i < bytes; ++i) {
                if (!src.Next(a)) return src.failure;
                if (rle8) {
                    put(a);
                } else {
                    put(a >> 4);
                    if (2 * i + 1 < code) put(a & 15);
                }
            }
            if ((bytes & 1) && !src.Next(a)) return src.failure;
        }
    }
    return Reason::kNone;
}

// A 32-bit picture whose fourth bytes are padding comes out opaque.
void SettleAlpha(FIBITMAP* dib, Alpha rule) {
    if (rule == Alpha::Keep || FreeImage_GetBPP(dib) != 32) return;
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    if (rule == Alpha::OpaqueIfClear) {
        for (unsigned y = 0; y < height; ++y) {
            const BYTE* p = FreeImage_GetScanLine(dib, static_cast<int>(y));
            for (unsigned x = 0; x < width; ++x)
                if (p[4 * x + FI_RGBA_ALPHA] != 0) return;
        }
    }
    for (unsigned y = 0; y < height; ++y) {
        BYTE* p = FreeImage_GetScanLine(dib, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x)
            p[4 * x + FI_RGBA_ALPHA] = 0xFF;
    }
}

// Opens the file and reads its headers; Reason::kNone when it is a BMP this reader takes.
Reason OpenBmp(const std::string& path, FileHandle& file, BmpFacts& f) {
    file.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) return ReasonFromErrno(errno, Reason::kReadError);
    struct stat st {};
    if (fstat(file.fd, &st) != 0) return ReasonFromErrno(errno, Reason::kReadError);
    if (!S_ISREG(st.st_mode)) return Reason::kNotRegularFile;
    f.fileSize = static_cast<uint64_t>(st.st_size);
    return ReadFacts(file.fd, f);
}

// Opens, checks and decodes the file into image.
Reason Load(const std::string& path, Image& image, int& fileBitDepth) {
    FileHandle file;
    BmpFacts f;
    if (Reason r = OpenBmp(path, file, f); r != Reason::kNone) return r;

    std::vector<RGBQUAD> palette;
    if (f.bpp <= 8)
        if (Reason r = ReadPalette(file.fd, f, palette); r != Reason::kNone) return r;
    Reason r = f.decoder == Decoder::Lines       ? ReadLines(file.fd, f, palette, image)
               : f.decoder == Decoder::BitFields ? DecodeBitFields(file.fd, f, image)
                                                 : DecodeRle(file.fd, f, palette, image);
    if (r != Reason::kNone) return r;
    SettleAlpha(image.get(), f.alpha);
    fileBitDepth = f.bpp;
    return Reason::kNone;
}

} // namespace

Reason InspectBmp(const std::string& path, int* width, int* height) {
    FileHandle file;
    BmpFacts f;
    const Reason reason = OpenBmp(path, file, f);
    if (width) *width = reason == Reason::kNone ? f.width : 0;
    if (height) *height = reason == Reason::kNone ? f.height : 0;
    return reason;
}

Image LoadBmp(const std::string& path, Reason* why, int* fileBitDepth) {
    Image image;
    int depth = 0;
    const Reason reason = Load(path, image, depth);
    if (reason != Reason::kNone) image.Reset();
    if (why) *why = reason;
    if (fileBitDepth) *fileBitDepth = image ? depth : 0;
    return image;
}
