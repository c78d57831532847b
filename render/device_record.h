// The rendering plug-in's record of one device context, created at enable
// and freed at disable. The per-page blocks are emptied at the end of every page.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/settings.h"
#include "platform/platform.h"
#include "platform/oem/drv_hooks.h"

namespace lt77 {

// One entry of the page's picture-rectangle list: four 16-bit values, each
// stored as value mod 256, then value / 256.
struct PictureRect {
    uint8_t bytes[8];
};
static_assert(sizeof(PictureRect) == 8);

// The page raster as the bands brought it, one block per band: appending a
// band never moves the bands before it, so a long page costs one copy of its
// bits here and one into the page image, and never more than twice its size.
class PageBits {
public:
    void Append(const uint8_t* bytes, std::size_t length) { pieces_.emplace_back(bytes, bytes + length); total_ += length; }
    void AppendFilled(std::size_t length, uint8_t value) { pieces_.emplace_back(length, value); total_ += length; }
    bool empty() const { return total_ == 0; }
    std::size_t size() const { return total_; }
    // The blocks in order, for building the page image from them.
    std::vector<std::span<const uint8_t>> Pieces() const { return {pieces_.begin(), pieces_.end()}; }
    // All bits in one block.
    std::vector<uint8_t> Joined() const
    {
        std::vector<uint8_t> all;
        all.reserve(total_);
        for (const auto& piece : pieces_) all.insert(all.end(), piece.begin(), piece.end());
        return all;
    }

private:
    std::vector<std::vector<uint8_t>> pieces_;
    std::size_t total_ = 0;
};

struct OemPDEV {
    // The core's own entry points of the hooked drawing functions
    // (m_pfnDrvAlphaBlend, m_pfnDrvBitBlt and so on).
#define LT77_SAVED_ENTRY(name) PFN_Drv##name m_pfnDrv##name = nullptr;
    LT77_DRV_HOOKED_FUNCTIONS(LT77_SAVED_ENTRY)
#undef LT77_SAVED_ENTRY

    DWORD dwJobId = 0;
    std::u16string szPrinterName;     // at most 255 characters
    std::string szPrinterNameAnsi;    // the same in the system code page, for the trace

    UIInfo m_UIInfo{};

    // Page raster collected from the bands.
    PageBits pBufStart;
    BITMAPINFOHEADER bmInfoHeader{};
    struct {
        WORD bfType;
        DWORD bfSize;
        WORD bfReserved1;
        WORD bfReserved2;
        DWORD bfOffBits;
    } bmFileHeader{};
    std::vector<uint8_t> colorTable;  // blue, green, red, 0 per entry
    DWORD dwColorCount = 0;
    HPALETTE hPalette = nullptr;
    HANDLE hPrinter = nullptr;  // the core's handle of the queue, for its printer data
    // What the record's work takes from the system; set at enable.
    Platform* platform = nullptr;

    bool bNothingToPrint = false;
    BOOL bBlankBand = 0;
    DWORD dwBlankHeight = 0;
    DWORD dwBlankSize = 0;
    DWORD dwLastTxt_PosY = 0;
    DWORD dwLastTxt_Height = 0;
    DWORD dwBottomTxtCoordinate = 0;

    std::vector<PictureRect> pictureRects;
    std::vector<uint8_t> txtBuf;      // captured-text records
    std::vector<uint8_t> devTxtBuf;   // device-text buffer

    BOOL bNoCutNoFeeds = 0;
    BOOL bNoCutNoFeeds2 = 0;
    // Coupon names collected for the document ("/"-joined in the original
    // record), in the order they were first met.
    std::vector<std::string> couponImgNames;

    // Frees the page-level blocks and zeroes their sizes.
    void FreePageBlocks()
    {
        colorTable = {};
        dwColorCount = 0;
        pBufStart = {};
        txtBuf = {};
        devTxtBuf = {};
        pictureRects = {};
    }
};

// The record of a device object, or null when the object carries none.
inline OemPDEV* RecordOf(PDEVOBJ pdevobj)
{
    return pdevobj != nullptr ? static_cast<OemPDEV*>(pdevobj->pdevOEM) : nullptr;
}

// The platform of the record's device context. A record made outside an
// enable (the unit tests make their own) has none and takes the module's.
Platform& PlatformOf(const OemPDEV& pdev);

}  // namespace lt77
