// Checks the bitmap shown when a picture cannot be loaded, decoded here by hand
// so the test does not lean on the code that draws it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace zv {
namespace {

constexpr const char* kPlaceholderPath = ZV_SOURCE_DIR "/src/resources/failed.bmp";
constexpr int kWidth = 90;
constexpr int kHeight = 120;
constexpr const char* kText = "FILE NOT FOUND";

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << '(' << c.r << ',' << c.g << ',' << c.b << ')';
}

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// The 16 system colours in their usual order.
const Rgb kSystemPalette[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

struct Bitmap {
    std::string error;  // empty when decoded
    uint32_t file_size_field = 0, pixel_offset = 0, info_size = 0;
    int32_t width = 0, height = 0;
    uint16_t planes = 0, bits = 0;
    uint32_t compression = 0, colours_used = 0;
    size_t file_size = 0;
    std::vector<Rgb> palette;
    std::vector<int> indices;  // top row first

    int At(int x, int y) const { return indices[static_cast<size_t>(y) * width + x]; }
    bool Red(int x, int y) const { return palette[At(x, y)] == kRed; }
};

uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d[at + i];
    return v;
}

Bitmap Decode(const std::vector<uint8_t>& d) {
    Bitmap bmp;
    bmp.file_size = d.size();
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') return bmp.error = "not a BM file", bmp;
    bmp.file_size_field = Le(d, 2, 4);
    bmp.pixel_offset = Le(d, 10, 4);
    bmp.info_size = Le(d, 14, 4);
    bmp.width = static_cast<int32_t>(Le(d, 18, 4));
    bmp.height = static_cast<int32_t>(Le(d, 22, 4));
    bmp.planes = static_cast<uint16_t>(Le(d, 26, 2));
    bmp.bits = static_cast<uint16_t>(Le(d, 28, 2));
    bmp.compression = Le(d, 30, 4);
    bmp.colours_used = Le(d, 46, 4);
    if (bmp.info_size != 40) return bmp.error = "header size " + std::to_string(bmp.info_size), bmp;
    if (bmp.bits != 4 || bmp.compression != 0 || bmp.width <= 0 || bmp.height <= 0)
        return bmp.error = "not a bottom-up uncompressed 4-bit bitmap", bmp;

    const size_t colours = bmp.colours_used ? bmp.colours_used : 16;
    const size_t palette_at = 14 + bmp.info_size;
    if (colours > 16 || palette_at + 4 * colours > d.size()) return bmp.error = "bad palette", bmp;
    for (size_t i = 0; i < colours; ++i) {
        const size_t at = palette_at + 4 * i;  // stored blue, green, red, 0
        bmp.palette.push_back({d[at + 2], d[at + 1], d[at]});
    }

    const size_t stride = (static_cast<size_t>(bmp.width) * 4 + 31) / 32 * 4;
    if (bmp.pixel_offset < palette_at + 4 * colours || bmp.pixel_offset + stride * bmp.height > d.size())
        return bmp.error = "pixel data outside the file", bmp;
    bmp.indices.resize(static_cast<size_t>(bmp.width) * bmp.height);
    for (int y = 0; y < bmp.height; ++y) {
        const size_t row = bmp.pixel_offset + stride * (bmp.height - 1 - y);  // bottom-up
        for (int x = 0; x < bmp.width; ++x) {
            const uint8_t pair = d[row + x / 2];
            const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
            if (static_cast<size_t>(index) >= colours) return bmp.error = "index beyond palette", bmp;
            bmp.indices[static_cast<size_t>(y) * bmp.width + x] = index;
        }
    }
    return bmp;
}

Bitmap LoadPlaceholder() {
    std::ifstream in(kPlaceholderPath, std::ios::binary);
    if (!in) {
        Bitmap bmp;
        bmp.error = std::string("cannot open ") + kPlaceholderPath;
        return bmp;
    }
    return Decode(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

struct Box {
    int left, top, right, bottom;  // inclusive; left > right when empty
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
std::ostream& operator<<(std::ostream& os, const Box& b) {
    if (b.left > b.right) return os << "(no red)";
    return os << "cols " << b.left << ".." << b.right << " rows " << b.top << ".." << b.bottom;
}
constexpr Box kNoRed{kWidth, kHeight, -1, -1};

Box RedBox(const Bitmap& bmp, int first_row, int last_row) {
    Box box = kNoRed;
    for (int y = first_row; y <= last_row; ++y) {
        for (int x = 0; x < bmp.width; ++x) {
            if (!bmp.Red(x, y)) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

// The sign and the text line, in pixels from the top left.
constexpr Box kSign{7, 8, 82, 79};
constexpr Box kTextLine{5, 87, 86, 93};

TEST(PlaceholderBitmap, HeaderDescribesAFourBitBottomUpBitmap) {
    const Bitmap bmp = LoadPlaceholder();
    ASSERT_TRUE(bmp.error.empty()) << bmp.error;
    EXPECT_EQ(bmp.file_size_field, bmp.file_size);
    EXPECT_EQ(bmp.width, kWidth);
    EXPECT_EQ(bmp.height, kHeight);  // positive: bottom-up
    EXPECT_EQ(bmp.planes, 1);
    EXPECT_EQ(bmp.bits, 4);
    EXPECT_EQ(bmp.compression, 0u);
}

TEST(PlaceholderBitmap, PaletteIsTheSixteenSystemColoursAndOnlyRedAndWhiteAreUsed) {
    const Bitmap bmp = LoadPlaceholder();
    ASSERT_TRUE(bmp.error.empty()) << bmp.error;
    ASSERT_EQ(bmp.palette.size(), 16u);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(bmp.palette[i], kSystemPalette[i]) << "entry " << i;

    int others = 0, reds = 0;
    for (int y = 0; y < bmp.height; ++y) {
        for (int x = 0; x < bmp.width; ++x) {
            const Rgb c = bmp.palette[bmp.At(x, y)];
            if (c == kRed) {
                ++reds;
            } else if (!(c == kWhite) && others++ < 5) {
                ADD_FAILURE() << "pixel " << x << ',' << y << " is " << c;  // the first few only
            }
        }
    }
    EXPECT_EQ(others, 0);
    EXPECT_GT(reds, 0);
}

TEST(PlaceholderBitmap, RedLiesInTheSignAndTheTextLineOnly) {
    const Bitmap bmp = LoadPlaceholder();
    ASSERT_TRUE(bmp.error.empty()) << bmp.error;
    const struct {
        int first_row, last_row;
        Box red;
        const char* what;
    } bands[] = {
        {0, 85, kSign, "sign"},
        {86, kHeight - 1, kTextLine, "text"},
        {0, kSign.top - 1, kNoRed, "above the sign"},
        {kSign.bottom + 1, kTextLine.top - 1, kNoRed, "between sign and text"},
        {kTextLine.bottom + 1, kHeight - 1, kNoRed, "below the text"},
    };
    for (const auto& band : bands) {
        EXPECT_EQ(RedBox(bmp, band.first_row, band.last_row), band.red) << band.what;
    }
}

TEST(PlaceholderBitmap, SignIsARingCrossedFromUpperLeftToLowerRight) {
    const Bitmap bmp = LoadPlaceholder();
    ASSERT_TRUE(bmp.error.empty()) << bmp.error;
    const double cx = (kSign.left + kSign.right) / 2.0;
    const double cy = (kSign.top + kSign.bottom) / 2.0;
    const double half_w = (kSign.right - kSign.left) / 2.0;
    const double half_h = (kSign.bottom - kSign.top) / 2.0;
    // Points as fractions of the half width and height from the centre.
    const struct {
        double fx, fy;
        bool red;
        const char* what;
    } points[] = {
        {0, 0, true, "centre, on the bar"},
        {-0.4, -0.4, true, "bar, upper left"},
        {0.4, 0.4, true, "bar, lower right"},
        {-1, 0, true, "ring, leftmost"},
        {1, 0, true, "ring, rightmost"},
        {0, -1, true, "ring, top"},
        {0, 1, true, "ring, bottom"},
        {-0.88, 0, true, "ring, inner part on the left"},
        {0, 0.88, true, "ring, inner part at the bottom"},
        {0.65, -0.65, true, "ring, upper right"},
        {-0.65, 0.65, true, "ring, lower left"},
        {0.4, -0.4, false, "inside, upper right"},
        {-0.4, 0.4, false, "inside, lower left"},
        {-0.5, 0, false, "inside, left of the bar"},
        {0.5, 0, false, "inside, right of the bar"},
        {-0.97, -0.97, false, "outside, upper left corner"},
        {0.97, -0.97, false, "outside, upper right corner"},
        {-0.97, 0.97, false, "outside, lower left corner"},
        {0.97, 0.97, false, "outside, lower right corner"},
    };
    for (const auto& p : points) {
        const int x = static_cast<int>(std::floor(cx + p.fx * half_w));
        const int y = static_cast<int>(std::floor(cy + p.fy * half_h));
        EXPECT_EQ(bmp.Red(x, y), p.red) << p.what << " at " << x << ',' << y;
    }
}

TEST(PlaceholderBitmap, TextLineHasOneColumnGroupPerLetterAndWiderGapsBetweenWords) {
    const Bitmap bmp = LoadPlaceholder();
    ASSERT_TRUE(bmp.error.empty()) << bmp.error;

    // Runs of columns with red in the text rows, and the blank columns between them.
    std::vector<int> gaps;
    int groups = 0, blank = 0;
    bool in_group = false;
    for (int x = 0; x < bmp.width; ++x) {
        bool red = false;
        for (int y = kTextLine.top; y <= kTextLine.bottom; ++y) red = red || bmp.Red(x, y);
        if (red && !in_group) {
            if (groups > 0) gaps.push_back(blank);
            ++groups;
        }
        blank = red ? 0 : blank + 1;
        in_group = red;
    }

    std::vector<int> expected_words;  // letters per word of the text
    std::istringstream words(kText);
    for (std::string word; words >> word;) expected_words.push_back(static_cast<int>(word.size()));
    int letters = 0;
    for (int n : expected_words) letters += n;

    ASSERT_EQ(groups, letters);
    const int narrowest = *std::min_element(gaps.begin(), gaps.end());
    std::vector<int> found_words{1};
    for (int gap : gaps) {
        if (gap > narrowest) found_words.push_back(1);
        else ++found_words.back();
    }
    EXPECT_EQ(found_words, expected_words) << "narrowest gap " << narrowest;
}

}  // namespace
}  // namespace zv
