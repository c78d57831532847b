// A printer device context as an application library draws on it: the
// graphics engine's document and page brackets, logical fonts, text metrics,
// text output and device-independent bitmaps stretched onto the page.
// Windows: gdi32 (CreateDCW on the queue with the driver's defaults).
// Linux: the test host plays the engine and the driver core and loads the
// rendering plug-in for the device context (host/possdk_printer_dc.cpp).
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "common/text_raster.h"
#include "platform/oem/abi_types.h"

namespace lt77 {

inline constexpr int LOGPIXELSY_INDEX = 90;
inline constexpr int COLORONCOLOR_MODE = 3;
inline constexpr DWORD DIB_RGB_COLORS_USAGE = 0;
inline constexpr DWORD SRCCOPY_ROP = 0x00CC0020;

// An opaque logical font of one device context.
using FontHandle = void*;

// A device-independent bitmap as StretchDIBits takes it: the BITMAPINFO
// bytes (the header and what follows it: bit-field masks, colour table) and
// the pixel rows. The caller has checked that both hold what the header
// describes.
struct DeviceBitmap {
    std::span<const uint8_t> info;
    std::span<const uint8_t> pixels;
};

struct StretchRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

class PrinterDC {
public:
    virtual ~PrinterDC() = default;
    // Each returns what the engine's call returns: a job id or a value
    // greater than 0 on success, 0 or less on failure.
    virtual int StartDocument(std::u16string_view documentName) = 0;
    virtual int EndDocument() = 0;
    virtual int StartPage() = 0;
    virtual int EndPage() = 0;
    virtual int DeviceCaps(int index) = 0;
    // Null when no font can be made.
    virtual FontHandle MakeFont(const FontDescription& font) = 0;
    // Returns the font it replaced (null: none was selected or the font is unknown).
    virtual FontHandle SelectFont(FontHandle font) = 0;
    virtual bool DeleteFont(FontHandle font) = 0;
    // The selected font's tmHeight; false when no metrics can be read.
    virtual bool TextHeight(int32_t& tmHeight) = 0;
    virtual bool WriteText(int32_t x, int32_t y, std::u16string_view text) = 0;
    virtual int SetStretchMode(int mode) = 0;
    // Returns the rows drawn (0 on failure), as StretchDIBits does.
    virtual int StretchBitmap(const StretchRect& dest, const StretchRect& source, const DeviceBitmap& bitmap,
                              DWORD usage, DWORD rop) = 0;
};

class PrinterDevices {
public:
    virtual ~PrinterDevices() = default;
    // The device context of a queue with the driver's default settings;
    // null with `error` set to the system error when it cannot be made.
    virtual std::unique_ptr<PrinterDC> CreatePrinterDC(std::u16string_view deviceName, DWORD& error) = 0;
};

PrinterDevices& SystemPrinterDevices();

}  // namespace lt77
