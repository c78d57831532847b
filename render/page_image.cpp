#include "render/page_image.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/module_state.h"
#include "render/picture_rects.h"
#include "render/raster_commands.h"
#include "render/page_merge.h"
#include "render/settings_loader.h"
#include "render/text_capture.h"
#include "render/trace.h"

namespace lt77 {
namespace {

constexpr DWORD kBitmapHeadersSize = 54;

bool FillColorTable(OemPDEV& pdev, WORD bitCount, const BYTE* coreColorTable)
{
    if (bitCount == 1) {
        pdev.dwColorCount = 2;
        pdev.colorTable = {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
        return true;
    }
    pdev.dwColorCount = 256;
    pdev.colorTable.assign(256 * 4, 0);
    const auto entries = PlatformOf(pdev).engine.ReadPalette(pdev.hPalette);
    if (entries) {
        for (std::size_t i = 0; i < 256; ++i) {
            pdev.colorTable[i * 4 + 0] = (*entries)[i].blue;
            pdev.colorTable[i * 4 + 1] = (*entries)[i].green;
            pdev.colorTable[i * 4 + 2] = (*entries)[i].red;
        }
    } else if (coreColorTable != nullptr) {
        // Without the device palette every index but the last would print as
        // black; the core's own table of the band says what the indices mean.
        for (std::size_t i = 0; i < 256; ++i)
            for (std::size_t c = 0; c < 3; ++c) pdev.colorTable[i * 4 + c] = coreColorTable[i * 4 + c];
    }
    // The core's white is the last entry, whatever the palette says.
    pdev.colorTable[255 * 4 + 0] = 0xFF;
    pdev.colorTable[255 * 4 + 1] = 0xFF;
    pdev.colorTable[255 * 4 + 2] = 0xFF;
    return entries.has_value();
}

DWORD BandStride(const BITMAPINFOHEADER& h)
{
    return ((static_cast<DWORD>(h.biWidth) * h.biBitCount + 31) >> 5) * 4;
}

void ResetPageState(OemPDEV& pdev)
{
    pdev.bmInfoHeader = {};
    pdev.bmFileHeader = {};
    pdev.bBlankBand = 0;
    pdev.dwBlankHeight = 0;
    pdev.dwBlankSize = 0;
    pdev.dwLastTxt_PosY = 0;
    pdev.dwLastTxt_Height = 0;
    pdev.dwBottomTxtCoordinate = 0;
    pdev.FreePageBlocks();
}

void SaveDiagnosticBitmap(Platform& platform, const CxImage& image)
{
    const LocalTime t = platform.clock.Now();
    char name[64];
    std::snprintf(name, sizeof(name), "%s_%02u%02u_%02u%02u_%05u.bmp", std::string(kDriverFolderName).c_str(),
                  t.month, t.day, t.hour, t.minute, g_dwJobId);
    // The trace folder of the Windows drive, which is where the trace's
    // clean-up looks for old bitmaps; on drive C: it is "c:\temp\LT-77".
    const std::string path = JoinPath(TraceFolder(platform.files.WindowsFolder()), name);
    // Pages of one job within the same minute share the name; each replaces
    // the last, as two bitmaps in one file would not open.
    platform.files.RemoveFile(path);
    DWORD error = 0;
    if (auto file = platform.files.OpenForAppend(path, error)) {
        const auto bytes = image.EncodeBmp();
        file->Write(bytes);
    }
}

bool RowHasInk(const CxImage& image, int32_t y)
{
    // Palette images answer per index, by the row's bytes.
    const auto palette = image.GetPalette();
    const auto row = image.GetRow(y);
    const int32_t width = image.GetWidth();
    auto inked = [](RgbQuad c) { return c.rgbRed + c.rgbGreen + c.rgbBlue != 765; };
    if (image.GetBpp() == 8 && palette.size() == 256 && !row.empty()) {
        std::array<bool, 256> ink{};
        for (std::size_t i = 0; i < 256; ++i) ink[i] = inked(palette[i]);
        for (int32_t x = 0; x < width; ++x)
            if (ink[row[static_cast<std::size_t>(x)]]) return true;
        return false;
    }
    if (image.GetBpp() == 1 && palette.size() == 2 && !row.empty()) {
        // A byte holds ink where its bits are those of an inked index.
        const uint8_t inkOnes = inked(palette[1]) ? 0xFF : 0x00;
        const uint8_t inkZeros = inked(palette[0]) ? 0xFF : 0x00;
        const auto bytes = static_cast<std::size_t>((width + 7) / 8);
        for (std::size_t j = 0; j < bytes; ++j) {
            uint8_t hits = static_cast<uint8_t>((row[j] & inkOnes) | (~row[j] & inkZeros));
            if (j + 1 == bytes && (width & 7) != 0) hits &= static_cast<uint8_t>(0xFF << (8 - (width & 7)));
            if (hits != 0) return true;
        }
        return false;
    }
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
        const RgbQuad c = image.GetPixelColor(x, y);
        if (c.rgbRed + c.rgbGreen + c.rgbBlue != 765) return true;
    }
    return false;
}

}  // namespace

DWORD ScaleByRate(float rate, DWORD v) { return static_cast<DWORD>(rate * static_cast<float>(v) + 0.5f); }

HRESULT ProcessBand(PDEVOBJ pdevobj, BYTE* pSrcBitmap, BITMAPINFOHEADER* header, BYTE* pColorTable, DWORD dwCallbackID,
                    IPPARAMS* params, BYTE** ppbResult)
{
    TraceLog("ImageProcessing : START");
    OemPDEV* pdev = RecordOf(pdevobj);
    WORD bits = 0;
    if (dwCallbackID == 1) {
        bits = 1;
        TraceLog("ImageProcessing : BMF_1BPP, dwCallback ID = %d", static_cast<int>(dwCallbackID));
    } else if (dwCallbackID == 3) {
        bits = 8;
        TraceLog("ImageProcessing : BMF_8BPP, dwCallback ID = %d", static_cast<int>(dwCallbackID));
    } else {
        TraceLog("ImageProcessing : NOT SUPPORTED COLOR TYPE");
        return hr::kFail;
    }
    // The band must be what the callback says, and as wide and as deep as the
    // bands before it: the page raster is decoded with one header.
    if (pdev == nullptr || header == nullptr || header->biBitCount != bits || header->biWidth <= 0 ||
        header->biHeight == 0 ||
        (!pdev->pBufStart.empty() &&
         (header->biWidth != pdev->bmInfoHeader.biWidth || header->biBitCount != pdev->bmInfoHeader.biBitCount))) {
        TraceLog("ImageProcessing : the band does not fit the page.");
        return hr::kFail;
    }
    if (!FillColorTable(*pdev, bits, pColorTable)) TraceLog("ImageProcessing : bFillColorTable returns false");
    if (ppbResult != nullptr) *ppbResult = reinterpret_cast<BYTE*>(1);

    const bool blank = params != nullptr && params->bBlankBand != 0;
    if (pdev->m_UIInfo.byteValue[IDX_LANDSCAPE] == 1 && blank) return hr::kOk;

    const DWORD rows = static_cast<DWORD>(std::abs(header->biHeight));
    const DWORD size = BandStride(*header) * rows;
    // The core's size must be the rows it describes, or the band is not what it claims.
    if (header->biSizeImage != 0 && header->biSizeImage != size) {
        TraceLog("ImageProcessing : the band's image size %u does not match %u rows of %u bytes.", header->biSizeImage,
                 rows, BandStride(*header));
        return hr::kFail;
    }
    if (!blank && pSrcBitmap == nullptr) return hr::kFail;
    try {
        if (blank) {
            TraceLog("ImageProcessing : a blank band was drawn");
            pdev->pBufStart.AppendFilled(size, 0xFF);
        } else {
            pdev->pBufStart.Append(pSrcBitmap, size);
        }
    } catch (const std::bad_alloc&) {
        TraceLog("ImageProcessing : bGrowBuffer failed.");
        return hr::kFail;
    }

    BITMAPINFOHEADER& page = pdev->bmInfoHeader;
    page.biSize = sizeof(BITMAPINFOHEADER);
    page.biWidth = header->biWidth;
    page.biBitCount = header->biBitCount;
    page.biPlanes = header->biPlanes;
    page.biCompression = header->biCompression;
    page.biXPelsPerMeter = header->biXPelsPerMeter;
    page.biYPelsPerMeter = header->biYPelsPerMeter;
    page.biClrUsed = header->biClrUsed;
    page.biClrImportant = header->biClrImportant;
    page.biHeight += static_cast<LONG>(rows);
    page.biSizeImage += size;
    if (blank) {
        pdev->bBlankBand = 1;
        pdev->dwBlankSize += size;
        pdev->dwBlankHeight += rows;
    } else {
        pdev->bBlankBand = 0;
        pdev->dwBlankSize = 0;
        pdev->dwBlankHeight = 0;
    }
    pdev->bmFileHeader.bfType = 0x4D42;
    pdev->bmFileHeader.bfSize = page.biSizeImage + kBitmapHeadersSize;
    pdev->bmFileHeader.bfOffBits = pdev->dwColorCount * 4 + kBitmapHeadersSize;
    TraceLog("ImageProcessing : END");
    return hr::kOk;
}

HRESULT AddImageDataPerEachPage(JobContext& job)
{
    TraceLog("AddImageDataPerEachPage : START");
    const DWORD before = job.buffer.m_dwTotalBufSize();
    HRESULT result = hr::kOk;
    if (!job.pdev.pBufStart.empty()) {
        CreateImageData(job);
    } else {
        TraceLog("AddImageDataPerEachPage : pOemPDEV->pBufStart is NULL");
        result = hr::kFail;
    }
    if (job.buffer.m_dwTotalBufSize() == before) result = hr::kFail;
    ResetPageState(job.pdev);
    TraceLog("AddImageDataPerEachPage : END");
    return result;
}

HRESULT CreateImageData(JobContext& job)
{
    OemPDEV& pdev = job.pdev;
    uint8_t* v = pdev.m_UIInfo.byteValue;
    CxImage image;

    pdev.bBlankBand = 0;
    if (v[IDX_PAPER_TYPE] == 0 || IsReceiptPrintSelected(job.core, job.pdevobj) == 1) {
        pdev.bBlankBand = 1;
        v[IDX_PAPER_TYPE] = 0;
    }
    const float rate = CaptureReduceRate(pdev.m_UIInfo.byteValue, 10);

    const bool decoded = image.Decode(pdev.bmInfoHeader, pdev.pBufStart.Pieces(), pdev.colorTable);
    // The image holds the page now: the bands' blocks go at once rather than
    // with the rest of the page state, so that the page is not kept twice
    // while it is toned and dithered.
    pdev.pBufStart = {};
    if (!decoded) {
        TraceLog("CreateImageData : Decode failed.");
        return hr::kFail;
    }

    pdev.bNothingToPrint = false;
    if (static_cast<DWORD>(image.GetHeight()) == pdev.dwBlankHeight && pdev.txtBuf.empty()) {
        TraceLog("CreateImageData : Nothing to print");
        const uint8_t nothing = 0x00;
        job.buffer.AddPrintDataTobeSent(&nothing, 1);
        pdev.bNothingToPrint = true;
        return hr::kOk;
    }
    if (v[IDX_LANDSCAPE] == 1) {
        TraceLog("CreateImageData : LANDSCAPE_270 MODE");
        image.RotateLeft();
    }
    CropBottomBlankArea(pdev, image);
    if (TraceActive()) SaveDiagnosticBitmap(PlatformOf(pdev), image);

    DWORD lastRow = static_cast<DWORD>(image.GetHeight());
    std::stable_sort(pdev.pictureRects.begin(), pdev.pictureRects.end(), [](const PictureRect& a, const PictureRect& b) {
        return PictureRectValues(a).top < PictureRectValues(b).top;
    });
    if (!pdev.pictureRects.empty()) {
        const LONG bottom = PictureRectValues(pdev.pictureRects.back()).bottom;
        if (bottom > static_cast<LONG>(lastRow)) {
            lastRow = static_cast<DWORD>(bottom);
            TraceLog("CreateImageData : dwTempY : %u", lastRow);
        }
    }

    if (!image.AdjustBrightness((10 - static_cast<int>(v[IDX_BRIGHTNESS])) * 10, 0))
        TraceLog("CreateImageData : AdjustBrightness failed.");
    if (v[IDX_GREYSCALE] == 0) {
        static constexpr int kMethods[] = {0, 1, 7, 8};
        const uint8_t halftone = v[IDX_HALFTONE];
        if (halftone >= 1 && halftone <= 4) {
            if (!image.Dither(kMethods[halftone - 1])) TraceLog("CreateImageData : Dither failed.");
        } else if (image.GetBpp() > 1) {
            if (!image.DecreaseBpp(1, false, {}, 2)) TraceLog("CreateImageData : DecreaseBpp failed.");
        }
    }
    if (rate < 1.0f) {
        const auto w = static_cast<int32_t>(std::floor(static_cast<float>(image.GetWidth()) * rate + 0.5f));
        const auto h = static_cast<int32_t>(std::floor(static_cast<float>(image.GetHeight()) * rate + 0.5f));
        if (!image.Resample(w, h, 1)) TraceLog("CreateImageData : Resample failed.");
    }
    lastRow = static_cast<DWORD>(std::floor(static_cast<float>(lastRow) * rate + 0.5f));
    const DWORD widthBeforeCrop = static_cast<DWORD>(image.GetWidth());
    const DWORD heightBeforeCrop = static_cast<DWORD>(image.GetHeight());

    if (!pdev.txtBuf.empty()) lastRow = DrawResizedText(pdev, image, rate, lastRow);
    CropImageTopAndBottom(pdev, image, widthBeforeCrop, heightBeforeCrop, lastRow);

    switch (v[IDX_ROTATION]) {
    case 1:
        TraceLog("CreateImageData : ROTATE_90");
        image.RotateLeft();
        break;
    case 2:
        TraceLog("CreateImageData : ROTATE_180");
        image.Rotate180();
        RePositionDevTxt_R180(pdev, lastRow);
        break;
    case 3:
        TraceLog("CreateImageData : ROTATE_270");
        image.RotateRight();
        break;
    default: break;
    }
    return AddImageAndDevFontData(job, image, rate);
}

bool CropBottomBlankArea(OemPDEV& pdev, CxImage& image)
{
    if (pdev.m_UIInfo.byteValue[IDX_PAPER_TYPE] != 0) return false;
    const int32_t height = image.GetHeight();
    // Only rows of the image are searched: a read below it would answer with
    // the top-left pixel, and a dark corner there would stop the search at once.
    int32_t y = std::min(height - 1, height - static_cast<int32_t>(pdev.dwBlankHeight));
    while (y > 0 && !RowHasInk(image, y)) --y;
    if (y <= 0) return false;
    int32_t b;
    if (!pdev.txtBuf.empty())
        b = y < static_cast<int32_t>(pdev.dwBottomTxtCoordinate) ? height - static_cast<int32_t>(pdev.dwBottomTxtCoordinate)
                                                                 : height - y - 2;
    else
        b = height - y - 1;  // keeps rows 0 ... y: the lowest inked row prints
    b = std::max(b, 0);
    if (!image.Crop(0, height, image.GetWidth(), b)) return false;
    TraceLog("CropBottomBlankArea : pImage->Crop");
    pdev.bBlankBand = 0;
    pdev.dwBlankHeight = 0;
    pdev.dwBlankSize = 0;
    return true;
}

bool CropImageTopAndBottom(OemPDEV& pdev, CxImage& image, DWORD widthBeforeCrop, DWORD, DWORD& lastRow)
{
    const uint8_t* v = pdev.m_UIInfo.byteValue;
    const int32_t H = image.GetHeight();
    const int32_t W = image.GetWidth();
    int32_t t = v[IDX_TOP_CROP_ON] ? v[IDX_TOP_CROP_ROWS] : 0;
    int32_t b = v[IDX_BOTTOM_CROP_ON] ? v[IDX_BOTTOM_CROP_ROWS] : 0;
    if (t + b > H) t = b = 0;
    const uint8_t rotation = v[IDX_ROTATION];
    if (rotation == 0 && t + b == 0) {
        TraceLog("CropImageTopAndBottom : DO NOTHING. (NO CROP)");
        return true;
    }
    int32_t L = static_cast<int32_t>(lastRow);
    const auto Wo = static_cast<int32_t>(widthBeforeCrop);
    bool cropped;
    if (rotation != 0 && pdev.bBlankBand) {
        TraceLog("CropImageTopAndBottom : CASE #1");
        if (rotation == 1) {
            L = Wo + t;
        } else if (rotation == 3) {
            if (H - L <= b) L = H - b;
            t = L - Wo;
        } else if (rotation == 2) {
            if (H - L <= b) L = H - b;
        }
        // Rows t ... L - 1: exactly t rows off the top and everything from
        // the last text row down (the shifted rectangle would drop row t and
        // keep one row too many below).
        cropped = image.Crop(0, H - t, W, H - L);
        if (cropped) pdev.bBlankBand = 0;
    } else if (t + b == 0) {
        TraceLog("CropImageTopAndBottom : CASE #3");
        return true;
    } else {
        TraceLog("CropImageTopAndBottom : CASE #2");
        // Rows t ... H - b - 1: exactly t rows off the top and b off the bottom.
        cropped = image.Crop(0, H - t, W, b);
    }
    lastRow = static_cast<DWORD>(std::max(L, 0));
    if (!cropped) {
        TraceLog("CropImageTopAndBottom  : CxImage Crop failed");
        return false;
    }
    return true;
}

}  // namespace lt77
