#include <cstdio>

#include "common/ximage/ximage.h"

namespace lt77 {
namespace {

constexpr RgbQuad kBlack{0, 0, 0, 0};
constexpr RgbQuad kWhite{255, 255, 255, 0};

// A copy of the image with `extra` white columns on the right.
bool Widen(CxImage& image, int32_t extra)
{
    CxImage wider;
    if (!wider.Create(image.GetWidth() + extra, image.GetHeight(), image.GetBpp())) return false;
    if (image.GetBpp() <= 8) wider.SetPalette(image.GetPalette());
    wider.SetXDPI(image.GetXDPI());
    wider.SetYDPI(image.GetYDPI());
    wider.SetClrImportant(image.GetClrImportant());
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            if (image.GetBpp() <= 8)
                wider.SetPixelIndex(x, y, image.GetPixelIndex(x, y));
            else
                wider.SetPixelColor(x, y, image.GetPixelColor(x, y));
        }
        for (int32_t x = image.GetWidth(); x < wider.GetWidth(); ++x) wider.SetPixelColor(x, y, kWhite);
    }
    image = std::move(wider);
    return true;
}

}  // namespace

int32_t CxImage::DrawString(int32_t x, int32_t y, std::u16string_view text, FontDescription font, float scale,
                            int32_t rotation, TextRasterizer& rasterizer,
                            const std::function<void(const std::string&)>& log)
{
    if (!IsValid()) return 0;
    if (scale != 1.0f) {
        font.height = static_cast<int32_t>(scale * static_cast<float>(font.height) + 0.5f);
        x = static_cast<int32_t>(scale * static_cast<float>(x) + 0.5f);
        y = static_cast<int32_t>(scale * static_cast<float>(y) + 0.5f);
    }
    std::string error;
    auto mask = rasterizer.Render(font, text, error);
    if (!mask) {
        // The host's default font stands in for one it cannot make.
        FontDescription fallback = font;
        fallback.faceName.clear();
        mask = rasterizer.Render(fallback, text, error);
    }
    if (!mask) {
        SetError(("CxImage::DrawString : GetTextExtentPoint failed with (" + error + ")").c_str());
        return y;
    }
    const auto w = static_cast<int32_t>(mask->width);
    const auto h = static_cast<int32_t>(mask->height);
    if ((rotation == 1 || rotation == 3) && GetWidth() < w) {
        char line[96];
        std::snprintf(line, sizeof(line), "CxImage::DrawString : Width = %d, Height = %d", GetWidth(), GetHeight());
        if (log) log(line);
        // Text that starts left of the image may end inside it: nothing to add.
        if (w + x > GetWidth()) Widen(*this, w + x - GetWidth());
        std::snprintf(line, sizeof(line), "CxImage::DrawString : Width = %d, Height = %d", GetWidth(), GetHeight());
        if (log) log(line);
    }
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i)
            if (mask->At(static_cast<uint32_t>(i), static_cast<uint32_t>(j)) && IsInside(x + i, y + j))
                SetPixelColor(x + i, y + j, kBlack);
    return y + h;
}

}  // namespace lt77
