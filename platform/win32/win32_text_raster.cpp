// Text drawn by GDI into a monochrome bitmap: the same engine the driver core
// uses for the page, so the mask matches what the page would show.
#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/win32/win32_platform.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

class MemoryDc {
public:
    MemoryDc() : dc_(::CreateCompatibleDC(nullptr)) {}
    ~MemoryDc()
    {
        if (dc_ != nullptr) ::DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// A GDI object selected into a device context for the object's lifetime.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(::SelectObject(dc, object)) {}
    ~Selected()
    {
        ::SelectObject(dc_, old_);
        ::DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ old_;
};

::LOGFONTW LogFontOf(const FontDescription& font)
{
    ::LOGFONTW lf{};
    lf.lfHeight = font.height;
    lf.lfWidth = font.width;
    // The mask is always horizontal; the page code turns it.
    lf.lfEscapement = 0;
    lf.lfOrientation = 0;
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic ? TRUE : FALSE;
    lf.lfUnderline = font.underline ? TRUE : FALSE;
    lf.lfStrikeOut = font.strikeOut ? TRUE : FALSE;
    lf.lfCharSet = font.charSet;
    lf.lfOutPrecision = font.outPrecision;
    lf.lfClipPrecision = font.clipPrecision;
    // Two colours only: grey edges would have no meaning in the mask.
    lf.lfQuality = NONANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = font.pitchAndFamily;
    const std::size_t chars = std::min<std::size_t>(font.faceName.size(), LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, font.faceName.data(), chars * sizeof(wchar_t));
    return lf;
}

}  // namespace

std::optional<TextMask> Win32TextRasterizer::Render(const FontDescription& font, std::u16string_view text,
                                                    std::string& error)
{
    if (text.size() > INT_MAX) {
        error = "the text is too long";
        return std::nullopt;
    }
    MemoryDc dc;
    if (dc.Get() == nullptr) {
        error = "CreateCompatibleDC failed with " + std::to_string(::GetLastError());
        return std::nullopt;
    }
    const ::LOGFONTW lf = LogFontOf(font);
    const HFONT handle = ::CreateFontIndirectW(&lf);
    if (handle == nullptr) {
        error = "CreateFontIndirect failed for the font description";
        return std::nullopt;
    }
    Selected selectedFont(dc.Get(), handle);
    TEXTMETRICW metrics{};
    SIZE extent{};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    if (!::GetTextMetricsW(dc.Get(), &metrics) || !::GetTextExtentPoint32W(dc.Get(), wide, length, &extent)) {
        error = "the text cannot be measured with this font";
        return std::nullopt;
    }
    TextMask mask;
    mask.height = static_cast<uint32_t>(std::max<LONG>(metrics.tmHeight, 0));
    const auto advance = static_cast<uint32_t>(std::max<LONG>(extent.cx, 0));
    // An italic string leans past its advance; the extra column room equals
    // the height, as on every target.
    mask.width = advance + (font.italic ? mask.height : 0);
    if (mask.width == 0 || mask.height == 0) return mask;

    // A top-down 1-bit bitmap: colour 0 black (text), colour 1 white.
    struct {
        ::BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = static_cast<LONG>(mask.width);
    info.header.biHeight = -static_cast<LONG>(mask.height);
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    void* bits = nullptr;
    const HBITMAP bitmap =
        ::CreateDIBSection(dc.Get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        error = "CreateDIBSection failed for " + std::to_string(mask.width) + " x " + std::to_string(mask.height);
        return std::nullopt;
    }
    Selected selectedBitmap(dc.Get(), bitmap);
    ::PatBlt(dc.Get(), 0, 0, static_cast<int>(mask.width), static_cast<int>(mask.height), WHITENESS);
    ::SetTextColor(dc.Get(), RGB(0, 0, 0));
    ::SetBkMode(dc.Get(), TRANSPARENT);
    ::SetTextAlign(dc.Get(), TA_TOP | TA_LEFT | TA_NOUPDATECP);
    ::TextOutW(dc.Get(), 0, 0, wide, length);
    ::GdiFlush();

    const std::size_t stride = ((static_cast<std::size_t>(mask.width) + 31) / 32) * 4;
    const auto* rows = static_cast<const uint8_t*>(bits);
    mask.set.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    for (uint32_t y = 0; y < mask.height; ++y)
        for (uint32_t x = 0; x < mask.width; ++x)
            if ((rows[y * stride + x / 8] & (0x80 >> (x % 8))) == 0)
                mask.set[static_cast<std::size_t>(y) * mask.width + x] = 1;
    return mask;
}

}  // namespace lt77::win32

namespace lt77 {

TextRasterizer& SystemTextRasterizer()
{
    static win32::Win32TextRasterizer instance;
    return instance;
}

}  // namespace lt77
