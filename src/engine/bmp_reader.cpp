#include "engine/bmp_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr uint64_t kFileHeader = 14;
constexpr uint32_t kInfoHeader = 40;
constexpr std::array<uint32_t, 4> kMasks555 = {0x7C00, 0x03E0, 0x001F, 0};
constexpr std::array<uint32_t, 4> kMasks565 = {0xF800, 0x07E0, 0x001F, 0};
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

// Who decodes the pixels.
enum class Decoder { FreeImage, BitFields, Rle };
constexpr struct {
    int bpp;
    uint32_t compression;
    Decoder decoder;
} kPixelForms[] = {
    {1, kRgb, Decoder::FreeImage},
    {4, kRgb, Decoder::FreeImage},
    {8, kRgb, Decoder::FreeImage},
    {16, kRgb, Decoder::FreeImage},
    {24, kRgb, Decoder::FreeImage},
    {32, kRgb, Decoder::FreeImage},
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
    Decoder decoder = Decoder::FreeImage;
    Alpha alpha = Alpha::Keep;
};

uint32_t Get16(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8;
}
uint32_t Get32(const uint8_t* p) {
    return Get16(p) | Get16(p + 2) << 16;
}
void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
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

// Reads exactly size bytes at offset; false at the end of the file or on an error.
bool ReadAt(int fd, void* buffer, size_t size, uint64_t offset) {
    auto* out = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        ssize_t n = pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
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

// Reads and checks the headers; false for anything but a consistent BMP of a
// size this program accepts.
bool ReadFacts(int fd, BmpFacts& f) {
    uint8_t head[kFileHeader + 124 + 16] = {};
    if (f.fileSize < kFileHeader + 12) return false;
    if (!ReadAt(fd, head, std::min<uint64_t>(sizeof head, f.fileSize), 0)) return false;
    if (head[0] != 'B' || head[1] != 'M') return false;
    f.dataOffset = Get32(head + 10);
    const uint32_t size = Get32(head + 14);
    const HeaderForm* form = nullptr;
    for (const HeaderForm& hf : kHeaderForms)
        if (size >= hf.minSize && size <= hf.maxSize) {
            form = &hf;
            break;
        }
    if (!form || f.fileSize < kFileHeader + size) return false;

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
    if (planes != 1 || width <= 0 || height == 0) return false;
    f.topDown = height < 0;
    height = f.topDown ? -height : height;
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels) return false;
    f.width = static_cast<int>(width);
    f.height = static_cast<int>(height);
    if (form->os2 && f.compression > kRle4) return false;

    const auto* pixelForm =
        std::find_if(std::begin(kPixelForms), std::end(kPixelForms), [&](const auto& p) {
            return p.bpp == f.bpp && p.compression == f.compression;
        });
    if (pixelForm == std::end(kPixelForms)) return false;
    f.decoder = pixelForm->decoder;

    // Bit-field masks: in the header from 52 bytes on, else after it.
    uint64_t headerEnd = kFileHeader + size;
    if (f.decoder == Decoder::BitFields) {
        int count = f.compression == kAlphaBitFields ? 4 : 3;
        const uint8_t* m = h + 40;
        if (form->masksInHeader == 0) {
            headerEnd += 4 * count;
            if (f.fileSize < headerEnd) return false;
        } else {
            count = form->masksInHeader;
        }
        for (int i = 0; i < count; ++i)
            f.masks[i] = Get32(m + 4 * i);
        if (!CheckMasks(f)) return false;
        // The masks FreeImage reads right.
        std::array<uint32_t, 4> rgb = {f.masks[0], f.masks[1], f.masks[2], 0};
        if (f.bpp == 16 && (rgb == kMasks555 || rgb == kMasks565)) f.decoder = Decoder::FreeImage;
        if (f.bpp == 32 && rgb == kMasks888 && (f.masks[3] == 0 || f.masks[3] == 0xFF000000u))
            f.decoder = Decoder::FreeImage;
    } else if (f.bpp == 16) {
        f.masks = kMasks555;
    } else if (f.bpp == 32) {
        f.masks = kMasks888;
        f.masks[3] = 0xFF000000u;
    }
    if (f.bpp == 32) f.alpha = f.masks[3] == 0 ? Alpha::Opaque : Alpha::OpaqueIfClear;

    // The palette lies between the header and the pixel data.
    if (f.bpp <= 8) {
        const uint32_t full = 1u << f.bpp;
        const uint32_t declared = colours != 0 && colours <= full ? colours : full;
        f.paletteOffset = headerEnd;
        f.paletteEntryBytes = form->paletteEntryBytes;
        if (f.dataOffset < f.paletteOffset) return false;
        uint64_t room = (f.dataOffset - f.paletteOffset) / f.paletteEntryBytes;
        f.paletteEntries = static_cast<int>(std::min<uint64_t>(declared, room));
        if (f.paletteEntries == 0) return false;
    } else if (f.dataOffset < headerEnd) {
        return false;
    }

    if (f.dataOffset >= f.fileSize) return false;
    const uint64_t dataBytes = f.fileSize - f.dataOffset;
    const uint64_t pixels = static_cast<uint64_t>(f.width) * static_cast<uint64_t>(f.height);
    if (f.decoder == Decoder::Rle) {
        return pixels <= kRleBasePixels + kRlePixelsPerByte * dataBytes;
    }
    f.stride = (static_cast<uint64_t>(f.width) * f.bpp + 31) / 32 * 4;
    return f.stride * static_cast<uint64_t>(f.height) <= dataBytes;
}

// The palette as stored in the file.
bool ReadPalette(int fd, const BmpFacts& f, std::vector<RGBQUAD>& palette) {
    std::vector<uint8_t> bytes(static_cast<size_t>(f.paletteEntries) * f.paletteEntryBytes);
    if (!ReadAt(fd, bytes.data(), bytes.size(), f.paletteOffset)) return false;
    palette.assign(static_cast<size_t>(1) << f.bpp, RGBQUAD{0, 0, 0, 0});
    for (int i = 0; i < f.paletteEntries; ++i) {
        const uint8_t* e = &bytes[static_cast<size_t>(i) * f.paletteEntryBytes];
        palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
    return true;
}

// ---- FreeImage reading through a stream with a rewritten header ----

// Serves the 40-byte form of the headers, then the file's pixel data from its own
// offset, so FreeImage reads the pixels straight from the file into its bitmap.
struct HeaderStream {
    int fd = -1;
    std::string head;
    uint64_t dataOffset = 0; // in the file
    uint64_t size = 0;       // of the stream: head and pixel data
    uint64_t pos = 0;
    bool shortRead = false;
};

unsigned DLL_CALLCONV StreamRead(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* s = static_cast<HeaderStream*>(handle);
    if (size == 0) return 0;
    const uint64_t wanted = uint64_t{size} * count;
    const uint64_t avail = s->pos < s->size ? s->size - s->pos : 0;
    uint64_t n = std::min(wanted, avail) / size * size;
    auto* out = static_cast<uint8_t*>(buffer);
    uint64_t done = 0;
    if (s->pos < s->head.size()) {
        uint64_t part = std::min<uint64_t>(n, s->head.size() - s->pos);
        std::memcpy(out, s->head.data() + s->pos, part);
        done = part;
    }
    if (done < n &&
        !ReadAt(s->fd, out + done, n - done, s->dataOffset + (s->pos + done - s->head.size()))) {
        s->shortRead = true;
        return 0;
    }
    s->pos += n;
    if (n < wanted) s->shortRead = true;
    return static_cast<unsigned>(n / size);
}

unsigned DLL_CALLCONV StreamWrite(void*, unsigned, unsigned, fi_handle) {
    return 0;
}

int DLL_CALLCONV StreamSeek(fi_handle handle, long offset, int origin) {
    auto* s = static_cast<HeaderStream*>(handle);
    int64_t base = origin == SEEK_SET   ? 0
                   : origin == SEEK_CUR ? static_cast<int64_t>(s->pos)
                                        : static_cast<int64_t>(s->size);
    if (offset < -base) return -1;
    s->pos = static_cast<uint64_t>(base + offset);
    return 0;
}

long DLL_CALLCONV StreamTell(fi_handle handle) {
    return static_cast<long>(static_cast<HeaderStream*>(handle)->pos);
}

// The BITMAPFILEHEADER, BITMAPINFOHEADER, masks and palette FreeImage reads.
std::string RewrittenHead(const BmpFacts& f, const std::vector<RGBQUAD>& palette) {
    const bool fields565 = f.bpp == 16 && f.masks[0] == kMasks565[0];
    const uint64_t dataBytes = f.stride * static_cast<uint64_t>(f.height);
    std::string info;
    Put32(info, kInfoHeader);
    Put32(info, static_cast<uint32_t>(f.width));
    Put32(info, static_cast<uint32_t>(f.topDown ? -f.height : f.height));
    Put16(info, 1);
    Put16(info, static_cast<uint32_t>(f.bpp));
    Put32(info, fields565 ? kBitFields : kRgb);
    Put32(info, static_cast<uint32_t>(dataBytes));
    Put32(info, 0);
    Put32(info, 0);
    Put32(info, static_cast<uint32_t>(f.paletteEntries));
    Put32(info, 0);
    if (fields565)
        for (int i = 0; i < 3; ++i)
            Put32(info, kMasks565[i]);
    for (int i = 0; i < f.paletteEntries; ++i) {
        info += static_cast<char>(palette[i].rgbBlue);
        info += static_cast<char>(palette[i].rgbGreen);
        info += static_cast<char>(palette[i].rgbRed);
        info += '\0';
    }
    const uint64_t offset = kFileHeader + info.size();
    std::string head = "BM";
    Put32(head, static_cast<uint32_t>(std::min<uint64_t>(offset + dataBytes, UINT32_MAX)));
    Put32(head, 0);
    Put32(head, static_cast<uint32_t>(offset));
    return head + info;
}

Image LoadWithFreeImage(int fd, const BmpFacts& f) {
    std::vector<RGBQUAD> palette;
    if (f.bpp <= 8 && !ReadPalette(fd, f, palette)) return {};
    HeaderStream stream;
    stream.fd = fd;
    stream.head = RewrittenHead(f, palette);
    stream.dataOffset = f.dataOffset;
    stream.size = stream.head.size() + f.stride * static_cast<uint64_t>(f.height);
    FreeImageIO io{StreamRead, StreamWrite, StreamSeek, StreamTell};
    Image image(FreeImage_LoadFromHandle(FIF_BMP, &io, &stream, 0));
    // A file that shrank while it was read.
    if (stream.shortRead) image.Reset();
    return image;
}

// ---- Pixels this reader decodes itself ----

// One bit-field channel scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::array<uint8_t, 256> scale{};

    explicit Channel(uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
        if (bits <= 8) {
            const uint32_t top = (1u << bits) - 1;
            for (uint32_t q = 0; q <= top; ++q)
                scale[q] = static_cast<uint8_t>((q * 255 + top / 2) / top);
        }
    }
    uint8_t Value(uint32_t pixel) const {
        uint32_t q = (pixel & mask) >> shift;
        return bits > 8 ? static_cast<uint8_t>(q >> (bits - 8)) : scale[q];
    }
};

// Pixels with masks FreeImage does not read: 16 bits become 24, 32 stay 32.
Image DecodeBitFields(int fd, const BmpFacts& f) {
    const int outBytes = f.bpp == 32 ? 4 : 3;
    Image image(FreeImage_Allocate(f.width, f.height, outBytes * 8, FI_RGBA_RED_MASK,
                                   FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    if (!image) return {};
    const Channel red(f.masks[0]), green(f.masks[1]), blue(f.masks[2]), alpha(f.masks[3]);
    std::vector<uint8_t> row(f.stride);
    for (int r = 0; r < f.height; ++r) {
        if (!ReadAt(fd, row.data(), row.size(), f.dataOffset + f.stride * r)) return {};
        BYTE* out = FreeImage_GetScanLine(image.get(), f.topDown ? f.height - 1 - r : r);
        const uint8_t* in = row.data();
        for (int x = 0; x < f.width; ++x, out += outBytes) {
            uint32_t v = f.bpp == 16 ? Get16(in + 2 * x) : Get32(in + 4 * x);
            out[FI_RGBA_RED] = red.Value(v);
            out[FI_RGBA_GREEN] = green.Value(v);
            out[FI_RGBA_BLUE] = blue.Value(v);
            if (outBytes == 4) out[FI_RGBA_ALPHA] = f.masks[3] ? alpha.Value(v) : 0xFF;
        }
    }
    return image;
}

// Reads the file in blocks, never past its end.
struct ByteSource {
    int fd;
    uint64_t pos;
    uint64_t end;
    std::vector<uint8_t> block = std::vector<uint8_t>(64 * 1024);
    size_t have = 0;
    size_t at = 0;

    bool Next(uint8_t& byte) {
        if (at == have) {
            if (pos >= end) return false;
            have = static_cast<size_t>(std::min<uint64_t>(block.size(), end - pos));
            if (!ReadAt(fd, block.data(), have, pos)) return false;
            pos += have;
            at = 0;
        }
        byte = block[at++];
        return true;
    }
};

// RLE8 and RLE4. Pixels a run leaves out keep colour 0; runs are cut at the end of
// their line; a stream that stops before its end mark fails.
Image DecodeRle(int fd, const BmpFacts& f, const std::vector<RGBQUAD>& palette) {
    Image image(FreeImage_Allocate(f.width, f.height, f.bpp));
    if (!image) return {};
    std::copy(palette.begin(), palette.end(), FreeImage_GetPalette(image.get()));
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
        line = FreeImage_GetScanLine(image.get(), f.topDown ? f.height - 1 - y : y);
        if (!src.Next(count) || !src.Next(code)) return {};
        if (count > 0) { // a run of one colour (RLE4: two alternating colours)
            for (int i = 0; i < count; ++i)
                put(rle8 ? code : (i & 1 ? code & 15 : code >> 4));
        } else if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            break;
        } else if (code == 2) { // delta move
            if (!src.Next(a) || !src.Next(b)) return {};
            x = std::min(x + a, f.width);
            y += b;
        } else { // absolute run of code pixels, padded to a 16-bit boundary
            const int bytes = rle8 ? code : (code + 1) / 2;
            for (int i = 0; i < bytes; ++i) {
                if (!src.Next(a)) return {};
                if (rle8) {
                    put(a);
                } else {
                    put(a >> 4);
                    if (2 * i + 1 < code) put(a & 15);
                }
            }
            if ((bytes & 1) && !src.Next(a)) return {};
        }
    }
    return image;
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
    FreeImage_SetTransparent(dib, FALSE);
}

// Opens the file and reads its headers; Reason::kNone when it is a BMP this reader takes.
Reason OpenBmp(const std::string& path, FileHandle& file, BmpFacts& f) {
    file.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) return ReasonFromErrno(errno, Reason::kReadError);
    struct stat st {};
    if (fstat(file.fd, &st) != 0) return ReasonFromErrno(errno, Reason::kReadError);
    if (!S_ISREG(st.st_mode)) return Reason::kNotRegularFile;
    f.fileSize = static_cast<uint64_t>(st.st_size);
    if (!ReadFacts(file.fd, f)) return Reason::kNotBmp;
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

Image LoadBmp(const std::string& path, Reason* why) {
    Reason unused = Reason::kNone;
    Reason& reason = why ? *why : unused;
    FileHandle file;
    BmpFacts f;
    reason = OpenBmp(path, file, f);
    if (reason != Reason::kNone) return {};

    Image image;
    if (f.decoder == Decoder::FreeImage) {
        image = LoadWithFreeImage(file.fd, f);
    } else if (f.decoder == Decoder::BitFields) {
        image = DecodeBitFields(file.fd, f);
    } else {
        std::vector<RGBQUAD> palette;
        if (ReadPalette(file.fd, f, palette)) image = DecodeRle(file.fd, f, palette);
    }
    if (!image || image.Width() != f.width || image.Height() != f.height) {
        reason = Reason::kTruncated;
        return {};
    }
    SettleAlpha(image.get(), f.alpha);
    return image;
}
