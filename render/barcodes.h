// Barcode fonts: a string drawn in a font whose family name is a barcode flag
// ("Code39", "QR Code", "Barcode3", ...) becomes the printer's barcode
// commands. The text capture calls these builders for font type 2 and stores
// the returned command in slot 1 and the rewritten text in slot 2 of the
// captured-text record.
//
// Shared contract of the builders:
// - `familyName` is the font's family name in UTF-8.
// - `text` holds the barcode data already converted to the code page, one
//   element per byte; the builders rewrite it in place (its size is the text
//   length). `textBufSize` is the size of the caller's text buffer
//   (4 x glyph count + 1028 bytes); a result that would not fit is refused.
// - `xDots` is the left edge of the string in device dots, `rate` the reduce
//   rate (1, 0.75, 0.5, 0.25 or a custom fraction); below 1 it scales values
//   as trunc(rate x v + 0.5).
// - An empty command means nothing is to be captured; `text` is then left as
//   it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/settings.h"
#include "platform/files.h"
#include "platform/oem/abi_types.h"

namespace lt77 {

// Barcode codes. 65 ... 73 are the printer's own barcode system numbers.
inline constexpr uint8_t BARCODE_UPC_A = 65;
inline constexpr uint8_t BARCODE_UPC_E = 66;
inline constexpr uint8_t BARCODE_JAN13 = 67;
inline constexpr uint8_t BARCODE_JAN8 = 68;
inline constexpr uint8_t BARCODE_CODE39 = 69;
inline constexpr uint8_t BARCODE_ITF = 70;
inline constexpr uint8_t BARCODE_CODABAR = 71;
inline constexpr uint8_t BARCODE_CODE93 = 72;
inline constexpr uint8_t BARCODE_CODE128 = 73;
inline constexpr uint8_t BARCODE_USER_1D = 129;  // "Barcode1" ... "Barcode9"
inline constexpr uint8_t BARCODE_PDF417 = 130;
inline constexpr uint8_t BARCODE_QRCODE = 131;
inline constexpr uint8_t BARCODE_DATAMATRIX = 132;
inline constexpr uint8_t BARCODE_MAXICODE = 133;
inline constexpr uint8_t BARCODE_MAXICODE_MODE2 = 134;
inline constexpr uint8_t BARCODE_MAXICODE_MODE3 = 135;
inline constexpr uint8_t BARCODE_MAXICODE_MODE4 = 136;
inline constexpr uint8_t BARCODE_USER_2D = 152;  // "2D-Code1" ... "2D-Code8"

// Kinds of two-dimensional symbol, byte 0 of a 2D record.
inline constexpr uint8_t CODE2D_PDF417 = 0;
inline constexpr uint8_t CODE2D_QRCODE = 1;
inline constexpr uint8_t CODE2D_DATAMATRIX = 2;
inline constexpr uint8_t CODE2D_GS1_DATABAR = 3;
inline constexpr uint8_t CODE2D_COMPOSITE = 4;
inline constexpr uint8_t CODE2D_MAXICODE = 5;

struct BarcodeFlagEntry {
    char szFlag[32];
    uint8_t byCode;
};
inline constexpr std::size_t kBarcodeFlagCount = 36;
extern const std::array<BarcodeFlagEntry, kBarcodeFlagCount> BarcodeFlag;

// A 1D slot record of "BarcodeInfo": system index, module width in dots, bar
// height in dots, position and font of the human-readable characters.
using BarInfo1d = std::array<uint8_t, kBarcodeInfoEntrySize>;
// A 2D slot record of "CodeData" (kind in byte 0, then the kind's settings).
using CodeInfo2d = std::array<uint8_t, kCodeDataEntrySize>;

inline constexpr BarInfo1d kBarInfo1dDefaults{0, 2, 50, 0, 0};
inline constexpr CodeInfo2d kCodeInfo2dDefaults{0, 0, 3, 0, 3, 0, 0, 1, 3, 0, 0, 3};

// The barcode code of a family name that equals a flag ignoring case; 0 when
// none does.
uint8_t GetBarcodeType(std::string_view familyName);

// Overwrites the parts of the preset records that the code and the settings
// decide. Either record may be null. Returns false for a user slot number
// out of range; the records then keep what they held.
bool Get1d2dCodeSetting(const UIInfo& ui, std::string_view familyName, uint8_t code, BarInfo1d* barInfo,
                        CodeInfo2d* codeInfo);

// Codes 65 ... 73 and 129. Returns the 16-byte command (width, height,
// human-readable characters, position); `text` becomes the print command
// with the data; `heightDots` receives the bar height for the record.
// Refused: other codes, a user slot whose system index is past Code128, and
// data that is empty or longer than 255 bytes after Code128 subset C packing
// (the print command's length is one byte). Subset C packing applies only
// when everything after "{C" is digits.
std::vector<uint8_t> Get1dCodeCommand(const UIInfo& ui, std::string_view familyName, std::vector<uint8_t>& text,
                                      std::size_t textBufSize, uint8_t code, DWORD& heightDots, LONG xDots,
                                      float rate);

// The option values written into the 2D option commands, already scaled and
// limited. Only the fields of the record's kind are filled.
struct Code2dOptions {
    uint8_t byKind = 0;
    // PDF417
    uint8_t byColumns = 0;
    uint8_t byRows = 0;
    uint8_t byModuleWidth = 0;
    uint8_t byRowHeight = 0;
    uint8_t byErrorLevel = 0;
    uint8_t byOption = 0;
    // QR Code
    uint8_t byQrModel = 0;
    uint8_t byQrModuleSize = 0;
    uint8_t byQrErrorLevel = 0;
    // DataMatrix
    uint8_t byMatrixModuleSize = 0;
    // GS1 DataBar
    uint8_t byDataBarType = 0;
    uint8_t byDataBarModuleWidth = 0;
    // Composite symbol: linear component (a, b) and module width
    uint8_t byCompositeA = 0;
    uint8_t byCompositeB = 0;
    uint8_t byCompositeModuleWidth = 0;
    // MaxiCode mode character
    uint8_t byMaxiMode = 0;
};

Code2dOptions Set2dCodeOptionCmd(const CodeInfo2d& codeInfo, float rate);

// Codes 130 ... 136 and 152. Returns the option commands (53 bytes for
// PDF417, 29 for QR Code, 12 for the others); `text` becomes the store and
// print commands with the data. The record height is not changed. Data whose
// rewritten text would not fit the record's 16-bit slot length is refused;
// that also keeps the store command's 16-bit length pL pH from wrapping.
std::vector<uint8_t> Get2dCodeCommand(const UIInfo& ui, std::string_view familyName, std::vector<uint8_t>& text,
                                      std::size_t textBufSize, uint8_t code, LONG xDots, float rate);

// With the preview setting on: appends the preview block (00 00 00 1B 40,
// 16-bit block length, "KELWYNT", picture) read from
// "<Windows>\LT-77\PreviewBin\<file>" to `text`. Returns false, with `text`
// unchanged, when there is no picture for the code, the file cannot be read,
// or the block length or the grown text would exceed 16 bits (the length
// fields of the block and of the captured-text record).
bool AddBarCodePreviewData(FileSystem& files, const UIInfo& ui, std::string_view familyName, std::vector<uint8_t>& text,
                           uint8_t code);

}  // namespace lt77
