#include <algorithm>
#include <cwchar>

#include "platform/printer_dc.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77 {
namespace {

class Win32PrinterDC final : public PrinterDC {
public:
    explicit Win32PrinterDC(HDC dc) : dc_(dc) {}
    ~Win32PrinterDC() override { ::DeleteDC(dc_); }

    int StartDocument(std::u16string_view documentName) override
    {
        const std::wstring name = win32::WideFromU16(documentName);
        DOCINFOW info{};
        info.cbSize = sizeof(info);
        info.lpszDocName = name.c_str();
        return ::StartDocW(dc_, &info);
    }
    int EndDocument() override { return ::EndDoc(dc_); }
    int StartPage() override { return ::StartPage(dc_); }
    int EndPage() override { return ::EndPage(dc_); }
    int DeviceCaps(int index) override { return ::GetDeviceCaps(dc_, index); }

    FontHandle MakeFont(const FontDescription& font) override
    {
        LOGFONTW lf{};
        lf.lfHeight = font.height;
        lf.lfWidth = font.width;
        lf.lfEscapement = font.escapement;
        lf.lfOrientation = font.orientation;
        lf.lfWeight = font.weight;
        lf.lfItalic = font.italic ? 1 : 0;
        lf.lfUnderline = font.underline ? 1 : 0;
        lf.lfStrikeOut = font.strikeOut ? 1 : 0;
        lf.lfCharSet = font.charSet;
        lf.lfOutPrecision = font.outPrecision;
        lf.lfClipPrecision = font.clipPrecision;
        lf.lfQuality = font.quality;
        lf.lfPitchAndFamily = font.pitchAndFamily;
        const std::size_t n = std::min<std::size_t>(font.faceName.size(), LF_FACESIZE - 1);
        std::copy_n(font.faceName.begin(), n, lf.lfFaceName);
        return ::CreateFontIndirectW(&lf);
    }
    FontHandle SelectFont(FontHandle font) override
    {
        return font == nullptr ? nullptr : ::SelectObject(dc_, static_cast<HFONT>(font));
    }
    bool DeleteFont(FontHandle font) override { return ::DeleteObject(static_cast<HFONT>(font)) != FALSE; }
    bool TextHeight(int32_t& tmHeight) override
    {
        TEXTMETRICW metrics{};
        if (!::GetTextMetricsW(dc_, &metrics)) return false;
        tmHeight = metrics.tmHeight;
        return true;
    }
    bool WriteText(int32_t x, int32_t y, std::u16string_view text) override
    {
        const std::wstring wide = win32::WideFromU16(text);
        return ::TextOutW(dc_, x, y, wide.c_str(), static_cast<int>(wide.size())) != FALSE;
    }
    int SetStretchMode(int mode) override { return ::SetStretchBltMode(dc_, mode); }
    int StretchBitmap(const StretchRect& dest, const StretchRect& source, const DeviceBitmap& bitmap, DWORD usage,
                      DWORD rop) override
    {
        return ::StretchDIBits(dc_, dest.x, dest.y, dest.width, dest.height, source.x, source.y, source.width,
                               source.height, bitmap.pixels.data(),
                               reinterpret_cast<const BITMAPINFO*>(bitmap.info.data()), usage, rop);
    }

private:
    HDC dc_;
};

class Win32PrinterDevices final : public PrinterDevices {
public:
    std::unique_ptr<PrinterDC> CreatePrinterDC(std::u16string_view deviceName, DWORD& error) override
    {
        const std::wstring name = win32::WideFromU16(deviceName);
        // The driver's default settings: no device mode of our own.
        HDC dc = ::CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
        if (dc == nullptr) {
            error = ::GetLastError();
            return nullptr;
        }
        error = 0;
        return std::make_unique<Win32PrinterDC>(dc);
    }
};

}  // namespace

PrinterDevices& SystemPrinterDevices()
{
    static Win32PrinterDevices devices;
    return devices;
}

}  // namespace lt77
