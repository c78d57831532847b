#include <algorithm>

#include "ui/barcode_page.h"
#include "ui/text_numbers.h"

namespace lt77::ui {
namespace {

int Wrap(int value, int delta, int min, int max)
{
    const int next = value + delta;
    if (next < min) return max;
    if (next > max) return min;
    return next;
}

struct FieldByte {
    Field2d field;
    std::size_t byte;
};
constexpr FieldByte kFieldBytes[] = {{Field2d::Column, 1}, {Field2d::Width, 2}, {Field2d::Step, 3},
                                     {Field2d::Height, 4}, {Field2d::QrSize, 8}, {Field2d::DmSize, 11}};

std::size_t ByteOf(Field2d field)
{
    for (const auto& fb : kFieldBytes)
        if (fb.field == field) return fb.byte;
    return 1;
}

bool StepAllowed(int v) { return v == 0 || (v >= 3 && v <= 90); }

}  // namespace

Barcode1dDialogState FillBarcode1dDialog(const Entry1d& entry, const Barcode1dTexts& texts)
{
    Barcode1dDialogState s;
    s.widthText = IntToText(entry[1]);
    s.heightText = IntToText(entry[2]);
    s.hriItems.assign(texts.hri.begin(), texts.hri.end());
    s.hriSel = entry[3] <= 3 ? entry[3] : 0;
    s.fontB = entry[4] == 1;
    s.fontRadiosEnabled = s.hriSel != 0;
    return s;
}

void Barcode1dHriSelected(Barcode1dDialogState& s, int sel)
{
    s.hriSel = sel;
    s.fontRadiosEnabled = sel != 0;
}

std::u16string Leave1dWidth(std::u16string_view text, const Entry1d& entry)
{
    const int v = TextToInt(text);
    return v < 2 || v > 6 ? IntToText(entry[1]) : std::u16string(text);
}

std::u16string Leave1dHeight(std::u16string_view text, const Entry1d& entry)
{
    const int v = TextToInt(text);
    return v <= 0 || v >= 256 ? IntToText(entry[2]) : std::u16string(text);
}

void OkBarcode1dDialog(const Barcode1dDialogState& s, Entry1d& entry)
{
    entry[1] = static_cast<uint8_t>(TextToInt(s.widthText) & 0xFF);
    entry[2] = static_cast<uint8_t>(TextToInt(s.heightText) & 0xFF);
    entry[3] = static_cast<uint8_t>(std::clamp(s.hriSel, 0, 3));
    entry[4] = s.fontB ? 1 : 0;
}

Barcode2dDialogState FillBarcode2dDialog(const Entry2d& entry, const Barcode2dTexts& texts)
{
    Barcode2dDialogState s;
    s.columnText = IntToText(entry[1]);
    s.widthText = IntToText(entry[2]);
    s.stepText = IntToText(entry[3]);
    s.heightText = IntToText(entry[4]);
    for (int i = 0; i <= 8; ++i) s.pdfLevelItems.push_back(texts.pdfLevelPrefix + IntToText(i));
    s.pdfLevelSel = entry[5] <= 8 ? entry[5] : 0;
    s.simplified = entry[6] == 1;
    s.qrModelItems.assign(texts.qrModels.begin(), texts.qrModels.end());
    s.qrModelSel = entry[7] <= 1 ? entry[7] : 0;
    s.qrSizeText = IntToText(entry[8]);
    s.qrLevelItems.assign(texts.qrLevels.begin(), texts.qrLevels.end());
    s.qrLevelSel = entry[9] <= 3 ? entry[9] : 0;
    s.dmSizeText = IntToText(entry[11]);
    if (entry[0] <= 2) {
        s.pdfEnabled = entry[0] == 0;
        s.qrEnabled = entry[0] == 1;
        s.dmEnabled = entry[0] == 2;
    }
    return s;
}

FieldRange RangeOf(Field2d field)
{
    switch (field) {
    case Field2d::Column: return {0, 30, 2};
    case Field2d::Step: return {0, 90, 2};
    case Field2d::Width: return {2, 8, 1};
    case Field2d::Height: return {2, 8, 1};
    case Field2d::QrSize: return {1, 8, 2};
    case Field2d::DmSize: return {2, 3, 2};
    }
    return {0, 0, 0};
}

std::u16string Leave2dField(Field2d field, std::u16string_view text, const Entry2d& entry)
{
    const int v = TextToInt(text);
    const FieldRange r = RangeOf(field);
    const bool ok = field == Field2d::Step ? StepAllowed(v) : v >= r.min && v <= r.max;
    return ok ? std::u16string(text) : IntToText(entry[ByteOf(field)]);
}

void OkBarcode2dDialog(const Barcode2dDialogState& s, Entry2d& entry)
{
    const auto byteOf = [](const std::u16string& t) { return static_cast<uint8_t>(TextToInt(t) & 0xFF); };
    entry[1] = byteOf(s.columnText);
    entry[2] = byteOf(s.widthText);
    entry[3] = byteOf(s.stepText);
    entry[4] = byteOf(s.heightText);
    entry[5] = static_cast<uint8_t>(std::clamp(s.pdfLevelSel, 0, 8));
    entry[6] = s.simplified ? 1 : 0;
    entry[7] = static_cast<uint8_t>(std::clamp(s.qrModelSel, 0, 1));
    entry[8] = byteOf(s.qrSizeText);
    entry[9] = static_cast<uint8_t>(std::clamp(s.qrLevelSel, 0, 3));
    entry[11] = byteOf(s.dmSizeText);
}

int Spin1dWidth(int value, int delta) { return Wrap(value, delta, 2, 6); }
int Spin1dHeight(int value, int delta) { return Wrap(value, delta, 1, 255); }

int Spin2dField(Field2d field, int value, int delta)
{
    if (field == Field2d::Step) {
        // Row heights of 1 and 2 do not exist: 0 means automatic.
        if (delta < 0 && value == 3) return 0;
        if (delta > 0 && value == 0) return 3;
    }
    const FieldRange r = RangeOf(field);
    return Wrap(value, delta, r.min, r.max);
}

}  // namespace lt77::ui
