// DrawString with a rasteriser whose masks the test knows, so that every
// inked pixel can be checked.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "common/ximage/ximage.h"
#include "tests/render/render_test_support.h"

namespace lt77 {
namespace {

using test::kBlack;
using test::kWhite;

// Hands back a solid mask of the given size and remembers what it was asked;
// fails while `failWithFaceName` / `failAlways` say so.
class FakeRasterizer final : public TextRasterizer {
public:
    FakeRasterizer(uint32_t widthPx, uint32_t heightPx) : width_(widthPx), height_(heightPx) {}

    std::optional<TextMask> Render(const FontDescription& font, std::u16string_view, std::string& error) override
    {
        requests.push_back(font);
        if (failAlways || (failWithFaceName && !font.faceName.empty())) {
            error = "no such face";
            return std::nullopt;
        }
        TextMask mask;
        mask.width = width_;
        mask.height = height_;
        mask.set.assign(static_cast<std::size_t>(width_) * height_, 1);
        return mask;
    }

    bool failAlways = false;
    bool failWithFaceName = false;
    std::vector<FontDescription> requests;

private:
    uint32_t width_, height_;
};

std::set<std::pair<int32_t, int32_t>> InkedPixels(const CxImage& image)
{
    std::set<std::pair<int32_t, int32_t>> out;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            if (image.GetPixelColor(x, y).rgbRed == 0) out.insert({x, y});
    return out;
}

std::set<std::pair<int32_t, int32_t>> Block(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    std::set<std::pair<int32_t, int32_t>> out;
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) out.insert({x, y});
    return out;
}

FontDescription Font(int32_t height)
{
    FontDescription f;
    f.height = height;
    f.faceName = u"Arial";
    return f;
}

TEST(DrawString, ScaleScalesPositionAndFontHeight)
{
    const struct {
        const char* name;
        float scale;
        int32_t x, y, height;
        int32_t drawnX, drawnY, drawnHeight;
    } cases[] = {
        {"scale 1", 1.0f, 7, 9, -24, 7, 9, -24},
        {"half, row 101", 0.5f, 10, 101, 24, 5, 51, 12},
        // trunc(0.5 * -24 + 0.5) = trunc(-11.5): truncation goes toward zero.
        {"half, em height", 0.5f, 10, 101, -24, 5, 51, -11},
        {"three quarters", 0.75f, 3, 30, -32, 2, 23, -23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = test::WhiteImage(40, 80);
        FakeRasterizer rasterizer(4, 3);
        EXPECT_EQ(image.DrawString(c.x, c.y, u"A", Font(c.height), c.scale, 0, rasterizer), c.drawnY + 3);
        ASSERT_EQ(rasterizer.requests.size(), 1u);
        EXPECT_EQ(rasterizer.requests[0].height, c.drawnHeight);
        EXPECT_EQ(InkedPixels(image), Block(c.drawnX, c.drawnY, c.drawnX + 4, c.drawnY + 3));
    }
}

TEST(DrawString, PixelsOutsideTheImageAreSkipped)
{
    const struct {
        const char* name;
        int32_t x, y;
        std::set<std::pair<int32_t, int32_t>> inked;
    } cases[] = {
        {"over the bottom right corner", 8, 8, Block(8, 8, 10, 10)},
        {"left of the image", -2, 0, Block(0, 0, 2, 3)},
        {"above the image", 0, -2, Block(0, 0, 4, 1)},
        {"wholly outside", 20, 20, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = test::WhiteImage(10, 10);
        FakeRasterizer rasterizer(4, 3);
        EXPECT_EQ(image.DrawString(c.x, c.y, u"A", Font(-24), 1.0f, 0, rasterizer), c.y + 3);
        EXPECT_EQ(image.GetWidth(), 10);
        EXPECT_EQ(InkedPixels(image), c.inked);
    }
}

TEST(DrawString, QuarterTurnsWidenANarrowImageWithWhite)
{
    const struct {
        const char* name;
        int32_t rotation;
        int32_t imageWidth;
        int32_t widthAfter;
    } cases[] = {
        {"no turn", 0, 5, 5},
        {"quarter turn", 1, 5, 10},
        {"half turn", 2, 5, 5},
        {"three-quarter turn", 3, 5, 10},
        // Only an image narrower than the text itself is widened.
        {"quarter turn, as wide as the text", 1, 8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CxImage image = test::WhiteImage(c.imageWidth, 6);
        image.SetPixelColor(0, 5, kBlack);
        std::vector<std::string> lines;
        FakeRasterizer rasterizer(8, 2);
        EXPECT_EQ(image.DrawString(2, 1, u"A", Font(-24), 1.0f, c.rotation, rasterizer,
                                   [&lines](const std::string& line) { lines.push_back(line); }),
                  3);
        EXPECT_EQ(image.GetWidth(), c.widthAfter);
        EXPECT_EQ(image.GetHeight(), 6);
        auto expected = Block(2, 1, std::min(10, c.widthAfter), 3);
        expected.insert({0, 5});
        EXPECT_EQ(InkedPixels(image), expected) << "the old pixels stay, new columns are white";
        if (c.widthAfter != c.imageWidth) {
            EXPECT_EQ(lines, (std::vector<std::string>{"CxImage::DrawString : Width = 5, Height = 6",
                                                       "CxImage::DrawString : Width = 10, Height = 6"}));
        } else {
            EXPECT_TRUE(lines.empty());
        }
    }
}

TEST(DrawString, QuarterTurnNeverNarrowsTheImage)
{
    // Text 8 wide from column -4 in a 5-column image: it ends inside, so
    // nothing is to be added, and nothing may be taken away.
    CxImage image = test::WhiteImage(5, 4);
    image.SetPixelColor(4, 3, kBlack);
    FakeRasterizer rasterizer(8, 2);
    EXPECT_EQ(image.DrawString(-4, 0, u"A", Font(-24), 1.0f, 1, rasterizer), 2);
    EXPECT_EQ(image.GetWidth(), 5);
    auto expected = Block(0, 0, 4, 2);
    expected.insert({4, 3});
    EXPECT_EQ(InkedPixels(image), expected);
}

TEST(DrawString, WideningKeepsAOneBitImagesPalette)
{
    CxImage image;
    ASSERT_TRUE(image.Create(4, 2, 1));
    const RgbQuad palette[] = {kBlack, kWhite};
    ASSERT_TRUE(image.SetPalette(palette));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x) image.SetPixelColor(x, y, kWhite);
    FakeRasterizer rasterizer(6, 1);
    EXPECT_EQ(image.DrawString(0, 1, u"A", Font(-24), 1.0f, 1, rasterizer), 2);
    ASSERT_EQ(image.GetWidth(), 6);
    EXPECT_EQ(image.GetBpp(), 1u);
    EXPECT_EQ(InkedPixels(image), Block(0, 1, 6, 2));
}

TEST(DrawString, FaceThatCannotBeMadeFallsBackToTheDefaultFont)
{
    CxImage image = test::WhiteImage(10, 10);
    FakeRasterizer rasterizer(2, 2);
    rasterizer.failWithFaceName = true;
    EXPECT_EQ(image.DrawString(1, 1, u"A", Font(-24), 1.0f, 0, rasterizer), 3);
    ASSERT_EQ(rasterizer.requests.size(), 2u);
    EXPECT_TRUE(rasterizer.requests[1].faceName.empty());
    EXPECT_EQ(rasterizer.requests[1].height, -24);
    EXPECT_EQ(InkedPixels(image), Block(1, 1, 3, 3));
}

TEST(DrawString, FailingRasterizerReturnsTheRowAndSetsTheLastError)
{
    for (const float scale : {1.0f, 0.5f}) {
        SCOPED_TRACE(scale);
        CxImage image = test::WhiteImage(10, 10);
        FakeRasterizer rasterizer(2, 2);
        rasterizer.failAlways = true;
        EXPECT_EQ(image.DrawString(1, 7, u"A", Font(-24), scale, 0, rasterizer), scale == 1.0f ? 7 : 4);
        EXPECT_NE(image.GetLastError().find("CxImage::DrawString : GetTextExtentPoint failed"), std::string::npos)
            << image.GetLastError();
        EXPECT_TRUE(InkedPixels(image).empty());
    }
}

TEST(DrawString, ImageWithoutRasterDrawsNothing)
{
    CxImage empty;
    FakeRasterizer rasterizer(2, 2);
    EXPECT_EQ(empty.DrawString(1, 7, u"A", Font(-24), 1.0f, 0, rasterizer), 0);
    EXPECT_TRUE(rasterizer.requests.empty());
}

}  // namespace
}  // namespace lt77
