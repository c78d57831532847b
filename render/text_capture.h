// Capture of text output: strings in the printer's resident, barcode and
// control-code fonts, and TrueType strings that the page reduction would
// spoil, become records of the page's captured-text buffer instead of
// pixels.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/text_raster.h"
#include "platform/engine.h"
#include "render/device_record.h"
#include "render/text_record.h"

namespace lt77 {

// The reduce rate of the settings; a custom percentage is first clamped to
// minPercent ... 100 and written back.
float CaptureReduceRate(uint8_t* settings, int minPercent);

// The text-output hook's decision: null to pass the call to the core, else
// the answer to give (the string was captured).
std::optional<BOOL> CaptureTextOut(OemPDEV& pdev, STROBJ* pstro, FONTOBJ* pfo);

void AddFontsInfoToBuf(OemPDEV& pdev, const StringDetails& str, const FontDetails& font);
void AddDevFontInfoToBuf(OemPDEV& pdev, const StringDetails& str, const FontDetails& font);
void AddTtfFontInfoToBuf(OemPDEV& pdev, const StringDetails& str, const FontDetails& font);
// Appends one record; false (buffer unchanged) when it cannot grow.
bool AddFontDataToBuf(OemPDEV& pdev, uint8_t fontType, int32_t height, std::span<const uint8_t> slot1,
                      std::span<const uint8_t> slot2, const StringDetails& str, const FontDetails& font);

// Height in dots from the font's transform; -1 without a font.
int32_t GetFontHeight(const FontDetails* font);
int GetDeviceFontType(std::string_view familyName);

// What the reader hands back for one record.
struct ExtractedText {
    uint8_t fontType = 0;
    uint16_t height = 0;
    FontDescription font;
    int32_t x = 0;
    int32_t y = 0;
    std::u16string text;
};
// Reads the record at `offset` of the captured-text buffer: device records
// are appended to the device-text buffer in capture order. Returns the next
// offset, or 0 to stop.
std::size_t ExtractFontInfoFromBuf(OemPDEV& pdev, std::size_t offset, ExtractedText& out);

// Puts the device-text buffer in vertical order, equal rows in capture order;
// false (buffer left as it was) without memory.
bool SortDeviceTextByRow(OemPDEV& pdev);

// Mirrors the device-text buffer for a page turned by half a turn.
void RePositionDevTxt_R180(OemPDEV& pdev, DWORD lastRow);

}  // namespace lt77
