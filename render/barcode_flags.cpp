// Barcode flags: from a font's family name to a barcode code, and from the
// code and the settings to the 1D or 2D record that the builders use.
#include <algorithm>
#include <cstring>

#include "common/ascii_case.h"
#include "render/barcode_detail.h"
#include "render/barcodes.h"
#include "render/trace.h"

namespace lt77 {

const std::array<BarcodeFlagEntry, kBarcodeFlagCount> BarcodeFlag{{
    {"UPC-A", BARCODE_UPC_A},
    {"UPC-E", BARCODE_UPC_E},
    {"JAN13(EAN)", BARCODE_JAN13},
    {"JAN13 (EAN)", BARCODE_JAN13},
    {"JAN8(EAN)", BARCODE_JAN8},
    {"JAN8 (EAN)", BARCODE_JAN8},
    {"Code39", BARCODE_CODE39},
    {"ITF", BARCODE_ITF},
    {"Codabar", BARCODE_CODABAR},
    {"Code93", BARCODE_CODE93},
    {"Code128", BARCODE_CODE128},
    {"Barcode1", BARCODE_USER_1D},
    {"Barcode2", BARCODE_USER_1D},
    {"Barcode3", BARCODE_USER_1D},
    {"Barcode4", BARCODE_USER_1D},
    {"Barcode5", BARCODE_USER_1D},
    {"Barcode6", BARCODE_USER_1D},
    {"Barcode7", BARCODE_USER_1D},
    {"Barcode8", BARCODE_USER_1D},
    {"Barcode9", BARCODE_USER_1D},
    {"PDF417", BARCODE_PDF417},
    {"QR Code", BARCODE_QRCODE},
    {"MAXI Code", BARCODE_MAXICODE},
    {"MAXI Code[Mode2]", BARCODE_MAXICODE_MODE2},
    {"MAXI Code[Mode3]", BARCODE_MAXICODE_MODE3},
    {"MAXI Code[Mode4]", BARCODE_MAXICODE_MODE4},
    {"DATAMATRIX Code", BARCODE_DATAMATRIX},
    {"DATAMATRIX", BARCODE_DATAMATRIX},
    {"2D-Code1", BARCODE_USER_2D},
    {"2D-Code2", BARCODE_USER_2D},
    {"2D-Code3", BARCODE_USER_2D},
    {"2D-Code4", BARCODE_USER_2D},
    {"2D-Code5", BARCODE_USER_2D},
    {"2D-Code6", BARCODE_USER_2D},
    {"2D-Code7", BARCODE_USER_2D},
    {"2D-Code8", BARCODE_USER_2D},
}};

namespace barcode_detail {

LONG ReduceByRate(LONG value, float rate)
{
    if (!(rate < 1.0f)) return value;
    return static_cast<LONG>(rate * static_cast<float>(value) + 0.5f);
}

void AppendPositionCmd(std::vector<uint8_t>& out, LONG xDots)
{
    const LONG x = std::clamp<LONG>(xDots, 0, 0xFFFF);
    out.insert(out.end(), {0x1B, 0x24, static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(x >> 8)});
}

int SlotNumberOf(std::string_view familyName)
{
    if (familyName.size() <= 7) return 0;
    std::string_view rest = familyName.substr(7);
    std::size_t i = 0;
    while (i < rest.size() && std::isspace(static_cast<unsigned char>(rest[i])) != 0) ++i;
    bool negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
    int number = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        // Any number past this is out of range anyway; stop before it overflows.
        if (number > 100000) break;
        number = number * 10 + (rest[i] - '0');
    }
    return negative ? -number : number;
}

}  // namespace barcode_detail

uint8_t GetBarcodeType(std::string_view familyName)
{
    TraceLog("GetBarcodeType : START");
    uint8_t code = 0;
    for (const auto& entry : BarcodeFlag) {
        if (entry.byCode == 0 || entry.szFlag[0] == '\0') continue;
        if (!EqualsNoCase(entry.szFlag, familyName)) continue;
        code = entry.byCode;
        TraceLog("GetBarcodeType : MATCHED BARCODE = %s, %d", entry.szFlag, code);
        break;
    }
    TraceLog("GetBarcodeType : END");
    return code;
}

bool Get1d2dCodeSetting(const UIInfo& ui, std::string_view familyName, uint8_t code, BarInfo1d* barInfo,
                        CodeInfo2d* codeInfo)
{
    TraceLog("Get1d2dCodeSetting : START");
    bool ok = true;
    if (code == BARCODE_USER_1D) {
        const int slot = barcode_detail::SlotNumberOf(familyName);
        if (slot < 1 || slot > 9) {
            TraceLog("Get1d2dCodeSetting : NOT SUPPORTTED BARCODE NUMBER");
            ok = false;
        } else if (barInfo != nullptr) {
            std::memcpy(barInfo->data(), ui.BarcodeInfo + kBarcodeInfoEntrySize * (slot - 1), barInfo->size());
            for (std::size_t i = 0; i < barInfo->size(); ++i)
                TraceLog("Get1d2dCodeSetting : pbyBarInfo[%d] : %02x", static_cast<int>(i), (*barInfo)[i]);
        }
    } else if (code >= BARCODE_PDF417 && code <= BARCODE_MAXICODE_MODE4) {
        if (codeInfo != nullptr) {
            auto& info = *codeInfo;
            switch (code) {
            case BARCODE_PDF417: info[0] = CODE2D_PDF417; break;
            case BARCODE_QRCODE: info[0] = CODE2D_QRCODE; break;
            case BARCODE_DATAMATRIX: info[0] = CODE2D_DATAMATRIX; break;
            default:
                info[0] = CODE2D_MAXICODE;
                info[10] = code == BARCODE_MAXICODE_MODE2 ? '2' : code == BARCODE_MAXICODE_MODE3 ? '3' : '4';
                break;
            }
            TraceLog("Get1d2dCodeSetting : pby2dCodeInfo[%d] : %02x", 0, info[0]);
            TraceLog("Get1d2dCodeSetting : pby2dCodeInfo[%d] : %02x", 10, info[10]);
        }
    } else if (code == BARCODE_USER_2D) {
        const int slot = barcode_detail::SlotNumberOf(familyName);
        if (slot < 1 || slot > 8) {
            TraceLog("Get1d2dCodeSetting : NOT SUPPORTTED BARCODE NUMBER");
            ok = false;
        } else if (codeInfo != nullptr) {
            std::memcpy(codeInfo->data(), ui.CodeData + kCodeDataEntrySize * (slot - 1), codeInfo->size());
            for (std::size_t i = 0; i < codeInfo->size(); ++i)
                TraceLog("Get1d2dCodeSetting : pby2dCodeInfo[%d] : %02x", static_cast<int>(i), (*codeInfo)[i]);
        }
    }
    TraceLog("Get1d2dCodeSetting : END");
    return ok;
}

}  // namespace lt77
