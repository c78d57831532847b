#include "ui/barcode_page.h"

#include <algorithm>

#include "common/printer_data_names.h"
#include "platform/spooler.h"
#include "ui/settings_store.h"
#include "ui/text_numbers.h"

namespace lt77::ui {
namespace {

template <std::size_t N>
void ReadTable(PageContext& context, const char* value, std::array<uint8_t, N>& table, const std::array<uint8_t, N>& defaults)
{
    DWORD needed = 0;
    const DWORD result = GetPrinterDataFromReg(context.Sys(), context.hPrinter, value, nullptr, table, &needed);
    // A shorter value would mix stored and stale entries.
    if (result != 0 || needed != N) table = defaults;
}

uint8_t& Type1d(PageContext& c, int font) { return (*c.pBarcodeInfo)[static_cast<std::size_t>(font) * 5]; }
uint8_t& Type2d(PageContext& c, int font) { return (*c.pCodeData)[static_cast<std::size_t>(font) * 20]; }

void EnsureTables(PageContext& c)
{
    if (!c.pBarcodeInfo) c.pBarcodeInfo = std::make_unique<BarcodeInfoBytes>(UiDefaultBarcodeInfo());
    if (!c.pCodeData) c.pCodeData = std::make_unique<CodeDataBytes>(UiDefaultCodeData());
}

}  // namespace

BarcodeState FillBarcodePage(PageContext& context)
{
    EnsureTables(context);
    BarcodeState s;
    for (int i = 1; i <= 9; ++i) s.font1dItems.push_back(u"Barcode" + IntToText(i));
    s.type1dItems = {u"UPC-A", u"UPC-E", u"JAN13 (EAN)", u"JAN8 (EAN)", u"Code39",
                     u"ITF",   u"Codabar", u"Code93",    u"Code128"};
    ReadTable(context, kBarcodeInfoValue, *context.pBarcodeInfo, UiDefaultBarcodeInfo());
    context.iCur1dFont = 0;
    context.iCur1dType = Type1d(context, 0);
    s.font1dSel = 0;
    s.type1dSel = context.iCur1dType;

    for (int i = 1; i <= 8; ++i) s.font2dItems.push_back(u"2D-Code" + IntToText(i));
    s.type2dItems = {u"PDF417", u"QR Code", u"DATAMATRIX Code"};
    ReadTable(context, kCodeDataValue, *context.pCodeData, UiDefaultCodeData());
    context.iCur2dFont = 0;
    context.iCur2dType = Type2d(context, 0);
    s.font2dSel = 0;
    s.type2dSel = context.iCur2dType;
    return s;
}

void Barcode1dTypeSelected(BarcodeState& s, PageContext& context, int sel)
{
    s.type1dSel = sel;
    context.iCur1dType = sel;
}

void Barcode2dTypeSelected(BarcodeState& s, PageContext& context, int sel)
{
    s.type2dSel = sel;
    context.iCur2dType = sel;
}

void Barcode1dFontConfirmed(BarcodeState& s, PageContext& context, int sel)
{
    EnsureTables(context);
    if (sel < 0 || sel >= static_cast<int>(kUiBarcodeEntries)) return;
    Type1d(context, context.iCur1dFont) = static_cast<uint8_t>(context.iCur1dType);
    context.iCur1dFont = sel;
    s.font1dSel = sel;
    if (Type1d(context, sel) != context.iCur1dType) {
        context.iCur1dType = Type1d(context, sel);
        s.type1dSel = context.iCur1dType;
    }
}

void Barcode2dFontConfirmed(BarcodeState& s, PageContext& context, int sel)
{
    EnsureTables(context);
    if (sel < 0 || sel >= static_cast<int>(kUi2dEntries)) return;
    Type2d(context, context.iCur2dFont) = static_cast<uint8_t>(context.iCur2dType);
    context.iCur2dFont = sel;
    s.font2dSel = sel;
    if (Type2d(context, sel) != context.iCur2dType) {
        context.iCur2dType = Type2d(context, sel);
        s.type2dSel = context.iCur2dType;
    }
}

Entry1d Barcode1dPropertiesCopy(const PageContext& context)
{
    Entry1d e{};
    std::copy_n(context.pBarcodeInfo->begin() + context.iCur1dFont * 5, 5, e.begin());
    return e;
}

void Barcode1dPropertiesOk(PageContext& context, const Entry1d& edited)
{
    auto* entry = context.pBarcodeInfo->data() + context.iCur1dFont * 5;
    std::copy(edited.begin() + 1, edited.end(), entry + 1);
}

Entry2d Barcode2dPropertiesCopy(const PageContext& context)
{
    Entry2d e{};
    std::copy_n(context.pCodeData->begin() + context.iCur2dFont * 20, 20, e.begin());
    e[0] = static_cast<uint8_t>(context.iCur2dType);
    return e;
}

void Barcode2dPropertiesOk(PageContext& context, const Entry2d& edited)
{
    std::copy(edited.begin(), edited.end(), context.pCodeData->begin() + context.iCur2dFont * 20);
}

void ApplyBarcodePage(PageContext& context)
{
    EnsureTables(context);
    Type1d(context, context.iCur1dFont) = static_cast<uint8_t>(context.iCur1dType);
    SetPrinterDataToReg(context.Sys(), context.hPrinter, kBarcodeInfoValue, REG_BINARY_TYPE, *context.pBarcodeInfo,
                        &context);
    Type2d(context, context.iCur2dFont) = static_cast<uint8_t>(context.iCur2dType);
    SetPrinterDataToReg(context.Sys(), context.hPrinter, kCodeDataValue, REG_BINARY_TYPE, *context.pCodeData,
                        &context);
}

}  // namespace lt77::ui
