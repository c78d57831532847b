#include "render/text_capture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/ascii_case.h"
#include "render/barcodes.h"
#include "render/control_fonts.h"
#include "render/device_font.h"
#include "render/module_state.h"
#include "render/picture_rects.h"
#include "render/text_keys.h"
#include "render/trace.h"

namespace lt77 {
namespace {

constexpr std::size_t kFamilyNameMaxBytes = 511;
constexpr std::size_t kReaderTextMaxBytes = 8192;
constexpr std::size_t kFaceNameUnits = 16;

// A slot holds the UTF-16 text followed by one zero byte. A string too long
// for the slot is cut to fit rather than dropped: the reader hands on fewer
// units than that anyway.
std::vector<uint8_t> Utf16Slot(std::u16string_view text)
{
    auto bytes = Utf16ToBytes(text.substr(0, kMaxUtf16SlotUnits), false);
    bytes.push_back(0);
    return bytes;
}

std::string FamilyNameUtf8(const FontDetails& font)
{
    std::string name = Utf16ToUtf8(font.familyName);
    if (name.size() > kFamilyNameMaxBytes) name.resize(kFamilyNameMaxBytes);
    return name;
}

// Matched without regard to case, as the command builder matches the family,
// so that a line's commands and its text always agree on the code page.
unsigned CodePageOfFamily(std::string_view family)
{
    if (ContainsNoCase(family, "Chinese2312")) return 936;
    if (ContainsNoCase(family, "ChineseBIG5")) return 950;
    if (ContainsNoCase(family, "Korean")) return 949;
    if (ContainsNoCase(family, "Japanese")) return 932;
    return CP_SYSTEM_ANSI;
}

uint16_t Clamp16(LONG v) { return static_cast<uint16_t>(std::clamp<LONG>(v, 0, 0xFFFF)); }

}  // namespace

float CaptureReduceRate(uint8_t* v, int minPercent)
{
    if (v[IDX_REDUCTION_ON] != 1) return 1.0f;
    switch (v[IDX_REDUCTION_RATE]) {
    case 1: return 0.75f;
    case 2: return 0.5f;
    case 3: return 0.25f;
    case 4:
        v[IDX_REDUCTION_CUSTOM] = static_cast<uint8_t>(std::clamp<int>(v[IDX_REDUCTION_CUSTOM], minPercent, 100));
        return static_cast<float>(v[IDX_REDUCTION_CUSTOM]) / 100.0f;
    default: return 1.0f;
    }
}

std::optional<BOOL> CaptureTextOut(OemPDEV& pdev, STROBJ* pstro, FONTOBJ* pfo)
{
    if (pstro == nullptr || pfo == nullptr) return kBoolFalse;
    GraphicsEngine& engine = PlatformOf(pdev).engine;
    const auto str = engine.DescribeString(pstro);
    const auto font = engine.DescribeFont(pfo);
    if (!str || !font) return std::nullopt;  // unreadable objects stay the core's
    // Converting every string only for a line nobody keeps would cost each text call.
    if (str->hasText && TraceActive()) {
        const std::string data = PlatformOf(pdev).codePages.FromWide(CP_SYSTEM_ANSI, str->text);
        TraceLog("OEMTextOut : (%d, %d) Font Name = %s, cxMax = %u, Data = %s (%u)", str->background.left,
                 str->background.top, FamilyNameUtf8(*font).c_str(), font->cxMax, data.c_str(), str->glyphs);
    }
    ClearPendingRect();
    uint8_t* v = pdev.m_UIInfo.byteValue;
    const float rate = CaptureReduceRate(v, 10);
    const bool device = (font->flFontType & FO_TYPE_DEVICE) != 0;
    if (v[IDX_LANDSCAPE] != 0 || !str->hasText || (!device && rate >= 1.0f)) return std::nullopt;
    AddFontsInfoToBuf(pdev, *str, *font);
    return kBoolFalse;
}

void AddFontsInfoToBuf(OemPDEV& pdev, const StringDetails& str, const FontDetails& font)
{
    if (font.flFontType & FO_TYPE_DEVICE) {
        AddDevFontInfoToBuf(pdev, str, font);
        return;
    }
    if (font.flFontType & FO_TYPE_OPENTYPE) TraceLog("AddFontsInfoToBuf : flFontType = FO_TYPE_OPENTYPE");
    if (font.flFontType & FO_TYPE_RASTER) TraceLog("AddFontsInfoToBuf : flFontType = FO_TYPE_RASTER");
    if (font.flFontType & FO_TYPE_TRUETYPE) TraceLog("AddFontsInfoToBuf : flFontType = FO_TYPE_TRUETYPE");
    AddTtfFontInfoToBuf(pdev, str, font);
}

int32_t GetFontHeight(const FontDetails* font)
{
    if (font == nullptr) {
        TraceLog("GetFontHeight : pfo is NULL.");
        return -1;
    }
    const float scale = std::sqrt(font->m21 * font->m21 + font->m22 * font->m22);
    const auto height = static_cast<int32_t>(scale * static_cast<float>(font->unitsPerEm) + 0.5f);
    TraceLog("GetFontHeight : Res = %d, Height = %d, Weight = %d", font->resolutionY, height, font->weight);
    return height;
}

int GetDeviceFontType(std::string_view name)
{
    int type;
    if (name.empty()) {
        TraceLog("GetDeviceFontType : szFontName is NULL.");
        return FTYPE_DEVICE_FONT;
    }
    if (name == "FontControl" || name == "Control" || name == "control") {
        type = FTYPE_DEVICE_FONT_CONTROL;
    } else if (name == "ZozaRurodirA") {
        type = FTYPE_DEVICE_FONT_CONTROL_A;
    } else if (ContainsNoCase(name, "FontA") || ContainsNoCase(name, "FontB") || ContainsNoCase(name, "FontC") ||
               ContainsNoCase(name, "Chinese") || ContainsNoCase(name, "Korean") || ContainsNoCase(name, "Japanese")) {
        type = FTYPE_DEVICE_FONT;
    } else {
        type = FTYPE_DEVICE_BARCODE;
    }
    const std::string text(name);
    TraceLog("GetDeviceFontType : szFontName = %s, %d", text.c_str(), type);
    return type;
}

bool AddFontDataToBuf(OemPDEV& pdev, uint8_t fontType, int32_t height, std::span<const uint8_t> slot1,
                      std::span<const uint8_t> slot2, const StringDetails& str, const FontDetails& font)
{
    // The record's lengths are 16 bits; a longer slot cannot be described.
    if (slot1.size() > 0xFFFF || slot2.size() > 0xFFFF) {
        TraceLog("AddFontDataToBuf : LocalAlloc failed with (%d)", static_cast<int>(syserr::kInvalidData));
        return false;
    }
    TextRecordHeader h{};
    h.byFontType = fontType;
    h.wHeight = Clamp16(height);
    h.wWeight = font.weight;
    h.byItalic = (font.flFontType & FO_SIM_ITALIC) ? 1 : 0;
    h.byUnderline = (font.fsSelection & 0x2) ? 1 : 0;
    h.byStrikeOut = (font.fsSelection & 0x10) ? 1 : 0;
    h.byCharSet = font.charSet;
    h.byPitchAndFamily = font.pitchAndFamily;
    h.wX = Clamp16(str.background.left);
    h.wY = Clamp16(str.background.top);
    h.wSlot1Length = static_cast<uint16_t>(slot1.size());
    h.wSlot2Length = static_cast<uint16_t>(slot2.size());
    try {
        AppendTextRecord(pdev.txtBuf, h, slot1, slot2);
    } catch (const std::bad_alloc&) {
        TraceLog("AddFontDataToBuf : LocalAlloc failed with (%d)", static_cast<int>(syserr::kNotEnoughMemory));
        return false;
    }
    const DWORD bottom = static_cast<DWORD>(h.wY) + h.wHeight;
    pdev.dwBottomTxtCoordinate = std::max(pdev.dwBottomTxtCoordinate, bottom);
    return true;
}

void AddTtfFontInfoToBuf(OemPDEV& pdev, const StringDetails& str, const FontDetails& font)
{
    TraceLog("AddTtfFontInfoToBuf : START");
    const auto family = Utf16Slot(font.familyName);
    const auto text = Utf16Slot(str.text);
    AddFontDataToBuf(pdev, FTYPE_TRUETYPE, GetFontHeight(&font), family, text, str, font);
    TraceLog("AddTtfFontInfoToBuf : END");
}

void AddDevFontInfoToBuf(OemPDEV& pdev, const StringDetails& str, const FontDetails& font)
{
    TraceLog("AddDevFontInfoToBuf : START");
    uint8_t* v = pdev.m_UIInfo.byteValue;
    const float rate = CaptureReduceRate(v, 25);
    if (!str.hasText) return;
    const std::string family = FamilyNameUtf8(font);
    const std::u16string text16 = str.text.substr(0, str.glyphs);
    std::string converted = PlatformOf(pdev).codePages.FromWide(CodePageOfFamily(family), text16);
    const std::size_t capacity = 4 * static_cast<std::size_t>(str.glyphs) + 1028;
    if (converted.size() > capacity) converted.resize(capacity);
    if (converted.empty()) {
        TraceLog("AddDevFontInfoToBuf : END");
        return;
    }
    std::vector<uint8_t> text(converted.begin(), converted.end());
    int32_t height = GetFontHeight(&font);
    const int type = GetDeviceFontType(family);
    std::vector<uint8_t> slot1;
    uint8_t recordType = static_cast<uint8_t>(type);
    if (type == FTYPE_DEVICE_FONT) {
        // The definitions are read once for the string and serve every step.
        const auto definitions = v[IDX_TEXT_KEY_ON] == 1
                                     ? ReadTextKeyDefinitions(pdev, CodePageOfFamily(family))
                                     : std::nullopt;
        const bool textKeys = definitions.has_value();
        if (textKeys) {
            SaveCouponImgName(pdev, *definitions,
                              std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
            TextReplacementWithText(*definitions, text);
        }
        if (rate != 1.0f || v[IDX_ROTATION] != 0 || v[IDX_PREVIEW_ON] != 0) {
            TraceLog("AddDevFontInfoToBuf : Set the font type as TTF");
            recordType = FTYPE_TRUETYPE;
            slot1 = Utf16Slot(font.familyName);
            // Alternate texts belong in the picture too. They are put into the
            // string's own UTF-16 text: a round trip through the code page
            // would draw "?" for every character the code page lacks.
            std::u16string drawn = text16;
            if (textKeys) TextReplacementWithText(*definitions, drawn);
            text = Utf16Slot(drawn);
        } else if (textKeys && AddTextKeyImgBufAndDevFontData(pdev, *definitions, str, font, family, text) > 0) {
            TraceLog("AddDevFontInfoToBuf : END");
            return;
        } else {
            slot1 = GetDevFontCommand(family, text, Clamp16(str.background.left), height);
        }
    } else if (type == FTYPE_DEVICE_BARCODE) {
        // Barcodes keep their full size unless the settings reduce them too.
        const float barcodeRate = v[IDX_REDUCE_BARCODES] == 0 ? 1.0f : rate;
        const uint8_t code = GetBarcodeType(family);
        DWORD barHeight = static_cast<DWORD>(std::max(height, 0));
        const LONG x = str.background.left;
        if (code >= 65 && code <= 129)
            slot1 = Get1dCodeCommand(pdev.m_UIInfo, family, text, capacity, code, barHeight, x, barcodeRate);
        else if (code >= 130 && code <= 152)
            slot1 = Get2dCodeCommand(pdev.m_UIInfo, family, text, capacity, code, x, barcodeRate);
        if (!slot1.empty() && v[IDX_PREVIEW_ON] != 0) AddBarCodePreviewData(PlatformOf(pdev).files, pdev.m_UIInfo, family, text, code);
        height = static_cast<int32_t>(barHeight);
    } else if (type == FTYPE_DEVICE_FONT_CONTROL) {
        slot1 = GetFontControlCommand(pdev, text);
        text.clear();
    } else {
        slot1 = GetCommandFromFile(pdev, text);
        text.clear();
    }
    if (!slot1.empty()) AddFontDataToBuf(pdev, recordType, height, slot1, text, str, font);
    TraceLog("AddDevFontInfoToBuf : END");
}

std::size_t ExtractFontInfoFromBuf(OemPDEV& pdev, std::size_t offset, ExtractedText& out)
{
    const auto record = ReadTextRecord(pdev.txtBuf, offset);
    if (!record) return 0;
    const TextRecordHeader& h = record->header;
    out.fontType = h.byFontType;
    out.height = h.wHeight;
    out.x = h.wX;
    out.y = h.wY;
    if (h.byFontType >= FTYPE_DEVICE_FONT && h.byFontType <= FTYPE_DEVICE_FONT_CONTROL_A) {
        static const char* const kNames[] = {"", "FTYPE_DEVICE_FONT", "FTYPE_DEVICE_BARCODE",
                                             "FTYPE_DEVICE_FONT_CONTROL", "FTYPE_DEVICE_FONT_CONTROL_A"};
        TraceLog("ExtractFontInfoFromBuf : %s.", kNames[h.byFontType]);
        // Appended in capture order and put in row order once the walk is
        // done: finding each record's place in turn would rescan the buffer
        // for every record of a long line.
        const auto first = pdev.txtBuf.begin() + static_cast<std::ptrdiff_t>(offset);
        try {
            pdev.devTxtBuf.insert(pdev.devTxtBuf.end(), first, first + static_cast<std::ptrdiff_t>(record->size));
        } catch (const std::bad_alloc&) {
            TraceLog("ExtractDevFontsInfo : LocalAlloc failed with (%d)", static_cast<int>(syserr::kNotEnoughMemory));
            return 0;
        }
        return offset + record->size;
    }
    if (h.byFontType == FTYPE_TRUETYPE) {
        TraceLog("ExtractFontInfoFromBuf : FTYPE_TRUETYPE.");
        out.font = FontDescription{};
        out.font.height = -static_cast<int32_t>(h.wHeight);
        out.font.width = h.byWidth;
        out.font.escapement = h.byEscapement;
        out.font.orientation = h.byOrientation;
        out.font.weight = h.wWeight;
        out.font.italic = h.byItalic != 0;
        out.font.underline = h.byUnderline != 0;
        out.font.strikeOut = h.byStrikeOut != 0;
        out.font.charSet = h.byCharSet;
        out.font.pitchAndFamily = h.byPitchAndFamily;
        out.font.faceName = Utf16FromBytes(record->slot1, kFaceNameUnits);
        out.text = Utf16FromBytes(record->slot2, kReaderTextMaxBytes / 2 - 1);
        if (h.wY > pdev.dwLastTxt_PosY) {
            pdev.dwLastTxt_PosY = h.wY;
            pdev.dwLastTxt_Height = h.wHeight;
        }
        return offset + record->size;
    }
    TraceLog("ExtractFontInfoFromBuf : FTYPE_UNKNOWN. (%x)", h.byFontType);
    return 0;
}

namespace {

// Where a record of the device-text buffer lies, and the row it is to carry.
struct RecordPlace {
    uint16_t y;
    std::size_t offset, size;
};

// The buffer's whole records in their order; `end` is where the last one ends.
std::vector<RecordPlace> PlacesOf(const std::vector<uint8_t>& buffer, std::size_t& end)
{
    std::vector<RecordPlace> places;
    end = 0;
    while (const auto r = ReadTextRecord(buffer, end)) {
        places.push_back({r->header.wY, end, r->size});
        end += r->size;
    }
    return places;
}

// The records in the order of `places`, each carrying its place's row.
std::vector<uint8_t> Reassembled(const std::vector<uint8_t>& buffer, const std::vector<RecordPlace>& places)
{
    std::vector<uint8_t> out;
    out.reserve(buffer.size());
    for (const RecordPlace& p : places) {
        const std::size_t at = out.size();
        out.insert(out.end(), buffer.begin() + static_cast<std::ptrdiff_t>(p.offset),
                   buffer.begin() + static_cast<std::ptrdiff_t>(p.offset + p.size));
        std::memcpy(out.data() + at + offsetof(TextRecordHeader, wY), &p.y, sizeof(p.y));
    }
    return out;
}

}  // namespace

bool SortDeviceTextByRow(OemPDEV& pdev)
{
    const std::vector<uint8_t>& buffer = pdev.devTxtBuf;
    bool ordered = true;
    std::size_t at = 0;
    uint16_t previousY = 0;
    while (const auto r = ReadTextRecord(buffer, at)) {
        if (r->header.wY < previousY) ordered = false;
        previousY = r->header.wY;
        at += r->size;
    }
    // A page written from top to bottom needs no copy.
    if (ordered) return true;
    try {
        std::size_t end = 0;
        std::vector<RecordPlace> places = PlacesOf(buffer, end);
        // Stable, so that equal rows keep the order of capture.
        std::stable_sort(places.begin(), places.end(),
                         [](const RecordPlace& a, const RecordPlace& b) { return a.y < b.y; });
        std::vector<uint8_t> sorted = Reassembled(buffer, places);
        sorted.insert(sorted.end(), buffer.begin() + static_cast<std::ptrdiff_t>(end), buffer.end());
        pdev.devTxtBuf = std::move(sorted);
    } catch (const std::bad_alloc&) {
        // Left in capture order: the merge still sends every line, some out of place.
        TraceLog("ExtractDevFontsInfo : LocalAlloc failed with (%d)", static_cast<int>(syserr::kNotEnoughMemory));
        return false;
    }
    return true;
}

void RePositionDevTxt_R180(OemPDEV& pdev, DWORD lastRow)
{
    try {
        std::size_t end = 0;
        std::vector<RecordPlace> places = PlacesOf(pdev.devTxtBuf, end);
        for (RecordPlace& p : places) {
            TraceLog("RePositionDevTxt_R180 : Original PosY = %d", p.y);
            p.y = static_cast<uint16_t>(lastRow - p.y);
            TraceLog("RePositionDevTxt_R180 : New PosY = %d", p.y);
        }
        std::reverse(places.begin(), places.end());
        pdev.devTxtBuf = Reassembled(pdev.devTxtBuf, places);
    } catch (const std::bad_alloc&) {
        // Without memory the page's device lines would otherwise be lost with
        // the rest of the page; unturned, they still print.
        TraceLog("RePositionDevTxt_R180 : LocalAlloc failed with (%d)", static_cast<int>(syserr::kNotEnoughMemory));
    }
}

}  // namespace lt77
