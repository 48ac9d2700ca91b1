// The PCX encoder against DevIL's PCX writer: the same pixels give the same bytes.
#include "devil_oracle.h"
#include "engine/pcx_encoder.h"
#include "engine/pcx_output.h"
#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace {

// A picture whose byte of plane c (0 red, 1 green, 2 blue) at (x, y) is value(x, y, c).
RgbImage Picture(int width, int height, const std::function<uint8_t(int, int, int)>& value) {
    RgbImage picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                picture.At(x, y)[c] = value(x, y, c);
    return picture;
}

RgbImage Noise(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    return Picture(width, height, [&](int, int, int) { return static_cast<uint8_t>(random()); });
}

// Every row one colour: black, the lowest and the highest count-byte values, others.
RgbImage SolidRows(int width, int height) {
    static constexpr uint8_t kColours[][3] = {
        {0, 0, 0}, {0xC0, 0xC0, 0xC0}, {0xFF, 0x12, 0xC5}, {0xBF, 0xC1, 0x3F}, {1, 2, 3}};
    return Picture(width, height, [](int, int y, int c) { return kColours[y % 5][c]; });
}

// Neighbours always differ and every byte needs a count byte: the longest coding.
RgbImage HighBytes(int width, int height) {
    return Picture(width, height, [](int x, int y, int c) {
        return static_cast<uint8_t>(0xC0 + ((x + y + c) % 2) * (c == 1 ? 0x3F : 1));
    });
}

// Runs of random lengths (1 to 140) of bytes near the count-byte boundary.
RgbImage RandomRuns(int width, int height, unsigned seed) {
    static constexpr uint8_t kValues[] = {0x00, 0x3F, 0xBF, 0xC0, 0xC1, 0xFE, 0xFF};
    std::mt19937 random(seed);
    RgbImage picture = Picture(width, height, [](int, int, int) { return uint8_t{0}; });
    for (int y = 0; y < height; ++y) {
        for (int c = 0; c < 3; ++c) {
            int x = 0;
            while (x < width) {
                const int run = 1 + static_cast<int>(random() % 140);
                const uint8_t value =
                    random() % 4 == 0 ? static_cast<uint8_t>(random()) : kValues[random() % 7];
                for (int end = std::min(width, x + run); x < end; ++x)
                    picture.At(x, y)[c] = value;
            }
        }
    }
    return picture;
}

// In every plane line a run of exactly `run` bytes between two bytes of other values,
// with a different run value in each row: low, the first count-byte value, the highest
// and zero.
RgbImage ExactRun(int run) {
    static constexpr uint8_t kRunValues[] = {0x41, 0xC0, 0xFF, 0x00};
    return Picture(run + 2, 4, [run](int x, int y, int c) {
        if (x >= 1 && x <= run) return kRunValues[y];
        return static_cast<uint8_t>(0x80 + x + c);
    });
}

struct Case {
    std::string name;
    RgbImage picture;
};

std::vector<Case> EncoderCases() {
    std::vector<Case> cases;
    std::vector<int> widths;
    for (int w = 1; w <= 17; ++w)
        widths.push_back(w);
    widths.insert(widths.end(), {63, 64, 65, 127, 128, 129});
    for (int w : widths) {
        const std::string size = std::to_string(w) + "x3";
        cases.push_back({"noise " + size, Noise(w, 3, static_cast<unsigned>(w))});
        cases.push_back({"solid rows " + std::to_string(w) + "x5", SolidRows(w, 5)});
        cases.push_back({"high bytes " + size, HighBytes(w, 3)});
        cases.push_back({"random runs " + size, RandomRuns(w, 3, static_cast<unsigned>(w) + 99)});
    }
    for (int run : {1, 2, 3, 61, 62, 63, 64, 65, 125, 126, 127, 128, 129, 189, 190})
        cases.push_back({"run of " + std::to_string(run), ExactRun(run)});
    // One pixel wide and as high as a file allows, and the widest single row.
    cases.push_back({"noise 1x65535", Noise(1, kMaxPcxHeight, 7)});
    cases.push_back({"solid rows 1x65535", SolidRows(1, kMaxPcxHeight)});
    cases.push_back({"noise 65534x1", Noise(kMaxPcxWidth, 1, 8)});
    cases.push_back({"random runs 65534x1", RandomRuns(kMaxPcxWidth, 1, 9)});
    cases.push_back({"solid 65534x1", SolidRows(kMaxPcxWidth, 1)});
    return cases;
}

std::string Encode(const RgbImage& picture) {
    std::string bytes;
    const bool encoded = EncodePcx(
        picture.width, picture.height, [&picture](int y) { return picture.At(0, y); },
        [&bytes](const uint8_t* data, size_t size) {
            bytes.append(reinterpret_cast<const char*>(data), size);
            return true;
        });
    return encoded ? bytes : "";
}

// Where two files first differ, or "" when they are the same.
std::string Difference(const std::string& got, const std::string& want) {
    if (got == want) return "";
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    auto byte = [](const std::string& s, size_t i) {
        return i < s.size() ? std::to_string(static_cast<uint8_t>(s[i])) : std::string("end");
    };
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size()) +
           ", first difference at byte " + std::to_string(at) + ": " + byte(got, at) +
           " instead of " + byte(want, at);
}

TEST(PcxEncoder, WritesTheBytesDevilWrites) {
    TempFolder temp;
    for (const Case& c : EncoderCases()) {
        const std::string want = DevilPcx(c.picture, temp.File("devil.pcx"));
        ASSERT_GT(want.size(), kPcxHeaderSize + kPcxTrailerSize) << c.name;
        EXPECT_EQ(Difference(Encode(c.picture), want), "") << c.name;
    }
}

TEST(PcxEncoder, CodedRowsStayWithinTheirBound) {
    // The longest coding fills the bound exactly: two bytes a byte and the padding.
    for (int width : {1, 2, 5, 64, 129}) {
        const RgbImage picture = HighBytes(width, 1);
        std::vector<uint8_t> out(PcxRowBound(width));
        const size_t padding = static_cast<size_t>(width & 1) * 3;
        EXPECT_EQ(EncodePcxRow(picture.At(0, 0), width, out.data()),
                  static_cast<size_t>(width) * 6 + padding)
            << width;
    }
}

TEST(PcxEncoder, StopsAtTheFirstFailedWriteAndRefusesSizesPcxCannotHold) {
    const RgbImage picture = Noise(9, 4, 3);
    int calls = 0;
    auto rows = [&picture](int y) { return picture.At(0, y); };
    auto failSecond = [&calls](const uint8_t*, size_t) { return ++calls < 2; };
    EXPECT_FALSE(EncodePcx(picture.width, picture.height, rows, failSecond));
    EXPECT_EQ(calls, 2);

    struct Size {
        int width, height;
    };
    for (Size s : {Size{0, 1}, Size{1, 0}, Size{kMaxPcxWidth + 1, 1}, Size{1, kMaxPcxHeight + 1},
                   Size{-1, 5}}) {
        calls = 0;
        auto count = [&calls](const uint8_t*, size_t) { return ++calls > 0; };
        EXPECT_FALSE(EncodePcx(s.width, s.height, rows, count)) << s.width << "x" << s.height;
        EXPECT_EQ(calls, 0);
    }
}

TEST(PcxEncoder, SavedFileLargerThanTheWriteBufferIsTheBytesDevilWrites) {
    TempFolder temp;
    SetPcxWriteLimit(-1);
    // Noise codes to more than a byte a byte: the file passes the 1 MiB buffer.
    const RgbImage picture = Noise(1001, 400, 11);
    PcxPicture pcx = PcxPicture::Allocate(picture.width, picture.height);
    ASSERT_TRUE(pcx);
    std::copy(picture.pixels.begin(), picture.pixels.end(), pcx.Row(0));
    ASSERT_EQ(SavePcx(pcx, temp.File("saved.pcx")), Reason::kNone);
    const std::string saved = ReadFile(temp.File("saved.pcx"));
    EXPECT_GT(saved.size(), size_t{1} << 20);
    EXPECT_EQ(Difference(saved, DevilPcx(picture, temp.File("devil.pcx"))), "");
}

} // namespace
