// The Barcode page (template "Barcode") and its two property dialogs,
// "Barcode Setting" (a 1D entry, 5 bytes) and "2D-Code Setting" (a 2D entry,
// 20 bytes). The entries live in the context; each dialog works on a copy.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/page_context.h"

namespace lt77::ui {

using Entry1d = std::array<uint8_t, 5>;
using Entry2d = std::array<uint8_t, 20>;

struct BarcodeState {
    std::vector<std::u16string> font1dItems;  // "Barcode1" ... "Barcode9"
    int font1dSel = 0;
    std::vector<std::u16string> type1dItems;  // the nine 1D types
    int type1dSel = 0;
    std::vector<std::u16string> font2dItems;  // "2D-Code1" ... "2D-Code8"
    int font2dSel = 0;
    std::vector<std::u16string> type2dItems;  // "PDF417", "QR Code", "DATAMATRIX Code"
    int type2dSel = 0;
};

// Page opening: reads "BarcodeInfo" and "CodeData" (defaults for a value
// that cannot be read, or is not exactly its size) into the context.
BarcodeState FillBarcodePage(PageContext& context);

// Type list changed: the current type of the selected font. Marks changed.
void Barcode1dTypeSelected(BarcodeState& state, PageContext& context, int sel);
void Barcode2dTypeSelected(BarcodeState& state, PageContext& context, int sel);
// Font list confirmed: folds the current type into the old font's entry and
// shows the new font's type. Does not mark changed.
void Barcode1dFontConfirmed(BarcodeState& state, PageContext& context, int sel);
void Barcode2dFontConfirmed(BarcodeState& state, PageContext& context, int sel);

// "Properties": the copy the dialog edits (for 2D with byte 0 = the current
// type), and its result on OK (marks changed). A 1D entry keeps its type byte.
Entry1d Barcode1dPropertiesCopy(const PageContext& context);
void Barcode1dPropertiesOk(PageContext& context, const Entry1d& edited);
Entry2d Barcode2dPropertiesCopy(const PageContext& context);
void Barcode2dPropertiesOk(PageContext& context, const Entry2d& edited);

// Apply: folds both current types in, writes "BarcodeInfo" (45 bytes) and
// "CodeData" (160 bytes). "MISC" is not written.
void ApplyBarcodePage(PageContext& context);

// "Barcode Setting".
struct Barcode1dTexts {
    std::array<std::u16string, 4> hri = {u"None", u"Top", u"Bottom", u"Top and Bottom"};
};
struct Barcode1dDialogState {
    std::u16string widthText;   // 1 character, 2 ... 6
    std::u16string heightText;  // 3 characters, 1 ... 255
    std::vector<std::u16string> hriItems;
    int hriSel = 0;
    bool fontB = false;
    bool fontRadiosEnabled = false;  // off while the position is "None"
};
Barcode1dDialogState FillBarcode1dDialog(const Entry1d& entry, const Barcode1dTexts& texts);
void Barcode1dHriSelected(Barcode1dDialogState& state, int sel);
std::u16string Leave1dWidth(std::u16string_view text, const Entry1d& entry);
std::u16string Leave1dHeight(std::u16string_view text, const Entry1d& entry);
// OK: bytes 1 ... 4 from the controls; byte 0 kept.
void OkBarcode1dDialog(const Barcode1dDialogState& state, Entry1d& entry);

// "2D-Code Setting".
struct Barcode2dTexts {
    std::u16string pdfLevelPrefix = u"Level ";  // "Level 0" ... "Level 8"
    std::array<std::u16string, 2> qrModels = {u"Model 1", u"Model 2"};
    std::array<std::u16string, 4> qrLevels = {u"Level L", u"Level M", u"Level Q", u"Level H"};
};
struct Barcode2dDialogState {
    std::u16string columnText, stepText, widthText, heightText;  // PDF417
    std::vector<std::u16string> pdfLevelItems;
    int pdfLevelSel = 0;
    bool simplified = false;
    std::u16string qrSizeText;
    std::vector<std::u16string> qrModelItems;
    int qrModelSel = 0;
    std::vector<std::u16string> qrLevelItems;
    int qrLevelSel = 0;
    std::u16string dmSizeText;
    bool pdfEnabled = true, qrEnabled = true, dmEnabled = true;  // per group
};
Barcode2dDialogState FillBarcode2dDialog(const Entry2d& entry, const Barcode2dTexts& texts);

enum class Field2d { Column, Step, Width, Height, QrSize, DmSize };
struct FieldRange {
    int min;
    int max;
    int maxChars;
};
FieldRange RangeOf(Field2d field);
// Leaving an edit: the entry's current value when the text is out of range.
std::u16string Leave2dField(Field2d field, std::u16string_view text, const Entry2d& entry);
// OK: bytes 1, 2, 3, 4, 8, 11 from the edits, 5, 7, 9 from the lists, 6 the
// check box, the disabled groups included; bytes 0, 10, 12 ... 19 kept.
void OkBarcode2dDialog(const Barcode2dDialogState& state, Entry2d& entry);

// Spins of both dialogs step by 1 and wrap at the ends; the PDF417 step
// skips 1 and 2 (down from 3 gives 0, up from 0 gives 3).
int Spin1dWidth(int value, int delta);
int Spin1dHeight(int value, int delta);
int Spin2dField(Field2d field, int value, int delta);

}  // namespace lt77::ui
