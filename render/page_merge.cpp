#include "render/page_merge.h"

#include <algorithm>

#include "render/module_state.h"
#include "render/page_image.h"
#include "render/picture_rects.h"
#include "render/raster_commands.h"
#include "render/text_capture.h"
#include "render/trace.h"

namespace lt77 {

DWORD DrawResizedText(OemPDEV& pdev, CxImage& image, float rate, DWORD lastRow)
{
    const int32_t rotation = pdev.m_UIInfo.byteValue[IDX_ROTATION];
    std::size_t offset = 0;
    while (offset < pdev.txtBuf.size()) {
        ExtractedText record;
        const std::size_t next = ExtractFontInfoFromBuf(pdev, offset, record);
        if (next == 0) {
            TraceLog("DrawResizedText : CxImage : BREAK LOOP");
            break;
        }
        int64_t candidate;
        if (record.fontType == FTYPE_TRUETYPE) {
            candidate = image.DrawString(record.x, record.y, record.text, record.font, rate, rotation,
                                         PlatformOf(pdev).text,
                                         [](const std::string& line) { TraceLog("%s", line.c_str()); });
        } else {
            candidate = static_cast<int64_t>(record.y) + record.height;
        }
        if (candidate > static_cast<int64_t>(lastRow)) {
            lastRow = static_cast<DWORD>(candidate);
            TraceLog("DrawResizedText : nPosition_Y : %d", static_cast<int>(lastRow));
        }
        offset = next;
    }
    SortDeviceTextByRow(pdev);
    return lastRow;
}

int DevTextInImage(const std::vector<PictureRect>& pictures, DWORD row, DWORD height, DWORD& amount)
{
    for (const auto& entry : pictures) {
        const auto top = static_cast<DWORD>(PictureRectValues(entry).top);
        if (top == row) {
            amount = height;
            return 1;
        }
        if (row < top && top < row + height) {
            amount = row + height - top;
            return 1;
        }
    }
    return 0;
}

namespace {

HRESULT WithoutDeviceText(JobContext& job, CxImage& image, float rate, bool compressed, bool greyscale)
{
    OemPDEV& pdev = job.pdev;
    const uint8_t* v = pdev.m_UIInfo.byteValue;
    const auto H = static_cast<DWORD>(image.GetHeight());
    TraceLog("AddImageAndDevFontData : Device Fonts does not exist.");
    DWORD R = H;
    if (v[IDX_ROTATION] == 0) {
        if (pdev.bBlankBand) {
            const DWORD blank = ScaleByRate(rate, pdev.dwBlankHeight);
            R = blank < R ? R - blank : 0;
        }
        if (ScaleByRate(rate, pdev.dwLastTxt_PosY) >= R) {
            R = ScaleByRate(rate, pdev.dwLastTxt_Height + pdev.dwLastTxt_PosY);
            if (v[IDX_TOP_CROP_ON] && v[IDX_TOP_CROP_ROWS] > 0 && v[IDX_TOP_CROP_ROWS] < R) R -= v[IDX_TOP_CROP_ROWS];
            if (v[IDX_BOTTOM_CROP_ON] && v[IDX_BOTTOM_CROP_ROWS] > 0 && v[IDX_BOTTOM_CROP_ROWS] < R)
                R -= v[IDX_BOTTOM_CROP_ROWS];
        }
    }
    // Rows below the image are not part of the page.
    R = std::min(R, H);
    return AddImageCommands(job, image, 0, R, compressed, greyscale);
}

}  // namespace

HRESULT AddImageAndDevFontData(JobContext& job, CxImage& image, float rate)
{
    OemPDEV& pdev = job.pdev;
    const uint8_t* v = pdev.m_UIInfo.byteValue;
    const bool compressed = v[IDX_COMPRESSION] == 1;
    const bool greyscale = v[IDX_GREYSCALE] == 1;
    if (pdev.devTxtBuf.empty()) return WithoutDeviceText(job, image, rate, compressed, greyscale);

    const auto H = static_cast<DWORD>(image.GetHeight());
    const uint8_t rotation = v[IDX_ROTATION];
    DWORD imgStart = 0, imgHeight = 0;
    std::size_t devTxtStart = 0;
    bool sentDeviceText = false;
    // The loop runs over the records, not the rows: on roll paper the image
    // ends at the lowest line's bottom, so the first record of the last row
    // takes the cursor to the end while the others on that row still wait.
    while (const auto record = ReadTextRecord(pdev.devTxtBuf, devTxtStart)) {
        const DWORD yDevFont = ScaleByRate(rate, record->header.wY);
        if (yDevFont >= H) {
            // Below the image there is no row to print it on.
            devTxtStart += record->size;
            continue;
        }
        // Row by row in effect.
        imgHeight = std::max(imgHeight, yDevFont);
        if (yDevFont > 0 && imgStart + 1 < yDevFont) {
            TraceLog("AddImageAndDevFontData : dwY_DevFont > 0 : StartY = %u, Height = %u", imgStart,
                     yDevFont - imgStart - 1);
            AddImageCommands(job, image, imgStart, yDevFont - imgStart - 1, compressed, greyscale);
        }
        std::vector<uint8_t> block(record->slot1.begin(), record->slot1.end());
        block.insert(block.end(), record->slot2.begin(), record->slot2.end());
        block.push_back(0x00);
        if (!job.buffer.AddPrintDataTobeSent(block)) return hr::kFalse;
        sentDeviceText = true;

        DWORD rowsTaken;
        const uint8_t type = record->header.byFontType;
        if (type == FTYPE_DEVICE_BARCODE)
            rowsTaken = 0;
        else if (type == FTYPE_DEVICE_FONT_CONTROL || type == FTYPE_DEVICE_FONT_CONTROL_A)
            rowsTaken = rotation != 0 ? 0 : ScaleByRate(rate, record->header.wHeight);
        else
            rowsTaken = ScaleByRate(rate, record->header.wHeight);

        DWORD amount = 0;
        if (DevTextInImage(pdev.pictureRects, yDevFont, rowsTaken, amount) == 1) {
            // A picture beside the line: the slice starts on the line's row and
            // runs to the band's end, so none of the picture's rows in the band
            // is lost, however far below the row the picture starts.
            const DWORD rows = std::min(rowsTaken, H - yDevFont);
            TraceLog("AddImageAndDevFontData : The corrected image height = %u", rows);
            AddImageCommands(job, image, yDevFont, rows, compressed, greyscale);
        }
        imgHeight += rowsTaken;
        imgStart = imgHeight;
        devTxtStart += record->size;
    }

    DWORD R;
    if (rotation != 0) {
        R = imgStart < H ? H - imgStart : 0;
    } else {
        R = H;
        if (pdev.bBlankBand) {
            const DWORD blank = ScaleByRate(rate, pdev.dwBlankHeight);
            R = blank < H ? H - blank : 0;
        }
        if (imgStart < R)
            R -= imgStart;
        else if (ScaleByRate(rate, pdev.dwLastTxt_PosY) < imgStart)
            R = 0;
        else
            R = ScaleByRate(rate, pdev.dwLastTxt_PosY + pdev.dwLastTxt_Height) - imgStart;
    }
    // Rows below the image are not part of the page.
    if (imgStart >= H) R = 0;
    R = std::min(R, H - std::min(imgStart, H));
    if (R != 0) {
        TraceLog("AddImageAndDevFontData : dwY_ImgStart = %u, dwRemainHeight = %u", imgStart, R);
        return AddImageCommands(job, image, imgStart, R, compressed, greyscale);
    }
    return sentDeviceText ? hr::kOk : hr::kFail;
}

}  // namespace lt77
