// The rendering plug-in's record of one device context, created at enable
// and freed at disable. The per-page blocks are emptied at the end of every page.
#pragma once

#include <string>
#include <vector>

#include "common/settings.h"
#include "platform/oem/drv_hooks.h"

namespace lt77 {

// One entry of the page's picture-rectangle list: four 16-bit values, each
// stored as value mod 256, then value / 256.
struct PictureRect {
    uint8_t bytes[8];
};
static_assert(sizeof(PictureRect) == 8);

struct OemPDEV {
    // The core's own entry points of the hooked drawing functions.
    PFN_DrvAlphaBlend m_pfnDrvAlphaBlend = nullptr;
    PFN_DrvBitBlt m_pfnDrvBitBlt = nullptr;
    PFN_DrvCopyBits m_pfnDrvCopyBits = nullptr;
    PFN_DrvDitherColor m_pfnDrvDitherColor = nullptr;
    PFN_DrvEndDoc m_pfnDrvEndDoc = nullptr;
    PFN_DrvEscape m_pfnDrvEscape = nullptr;
    PFN_DrvFillPath m_pfnDrvFillPath = nullptr;
    PFN_DrvFontManagement m_pfnDrvFontManagement = nullptr;
    PFN_DrvGetGlyphMode m_pfnDrvGetGlyphMode = nullptr;
    PFN_DrvGradientFill m_pfnDrvGradientFill = nullptr;
    PFN_DrvLineTo m_pfnDrvLineTo = nullptr;
    PFN_DrvNextBand m_pfnDrvNextBand = nullptr;
    PFN_DrvPaint m_pfnDrvPaint = nullptr;
    PFN_DrvPlgBlt m_pfnDrvPlgBlt = nullptr;
    PFN_DrvQueryAdvanceWidths m_pfnDrvQueryAdvanceWidths = nullptr;
    PFN_DrvQueryFont m_pfnDrvQueryFont = nullptr;
    PFN_DrvQueryFontData m_pfnDrvQueryFontData = nullptr;
    PFN_DrvQueryFontTree m_pfnDrvQueryFontTree = nullptr;
    PFN_DrvRealizeBrush m_pfnDrvRealizeBrush = nullptr;
    PFN_DrvSendPage m_pfnDrvSendPage = nullptr;
    PFN_DrvStartBanding m_pfnDrvStartBanding = nullptr;
    PFN_DrvStartDoc m_pfnDrvStartDoc = nullptr;
    PFN_DrvStartPage m_pfnDrvStartPage = nullptr;
    PFN_DrvStretchBlt m_pfnDrvStretchBlt = nullptr;
    PFN_DrvStretchBltROP m_pfnDrvStretchBltROP = nullptr;
    PFN_DrvStrokeAndFillPath m_pfnDrvStrokeAndFillPath = nullptr;
    PFN_DrvStrokePath m_pfnDrvStrokePath = nullptr;
    PFN_DrvTextOut m_pfnDrvTextOut = nullptr;
    PFN_DrvTransparentBlt m_pfnDrvTransparentBlt = nullptr;

    DWORD dwJobId = 0;
    std::u16string szPrinterName;     // at most 255 characters
    std::string szPrinterNameAnsi;    // the same in the system code page, for the trace

    UIInfo m_UIInfo{};

    // Page raster collected from the bands.
    std::vector<uint8_t> pBufStart;
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

}  // namespace lt77
