// The Barcode page and its "Barcode Setting" and "2D-Code Setting" dialogs.
// The page logic first: see dialog_helpers.h.
#include "ui/barcode_page.h"
#include "ui/text_numbers.h"

#include "ui/win32/dialog_procedures.h"
#include "ui/win32/dialog_helpers.h"
#include "ui/win32/resource.h"

namespace lt77::ui::win32 {
namespace {

struct BarcodePage {
    PageContext* context = nullptr;
    BarcodeState state;
};

void OnBarcodeCommand(::HWND page, BarcodePage& data, int id, int code)
{
    PageContext& context = *data.context;
    switch (id) {
    case IDC_BC_1D_TYPE:
        if (code != CBN_SELCHANGE) return;
        Barcode1dTypeSelected(data.state, context, ComboSelection(page, id));
        MarkPageChanged(page);
        return;
    case IDC_BC_2D_TYPE:
        if (code != CBN_SELCHANGE) return;
        Barcode2dTypeSelected(data.state, context, ComboSelection(page, id));
        MarkPageChanged(page);
        return;
    case IDC_BC_1D_FONT:
        if (code != CBN_SELENDOK) return;
        Barcode1dFontConfirmed(data.state, context, ComboSelection(page, id));
        ::SendDlgItemMessageW(page, IDC_BC_1D_TYPE, CB_SETCURSEL, static_cast<WPARAM>(data.state.type1dSel), 0);
        return;
    case IDC_BC_2D_FONT:
        if (code != CBN_SELENDOK) return;
        Barcode2dFontConfirmed(data.state, context, ComboSelection(page, id));
        ::SendDlgItemMessageW(page, IDC_BC_2D_TYPE, CB_SETCURSEL, static_cast<WPARAM>(data.state.type2dSel), 0);
        return;
    case IDC_BC_1D_PROPERTIES: {
        if (code != BN_CLICKED) return;
        Entry1d copy = Barcode1dPropertiesCopy(context);
        if (RunModalDialog(page, u"" LT77_TPL_BARCODE1D, Dlg1dCodePropertyProc, reinterpret_cast<LPARAM>(&copy)) ==
            IDOK) {
            Barcode1dPropertiesOk(context, copy);
            MarkPageChanged(page);
        }
        return;
    }
    case IDC_BC_2D_PROPERTIES: {
        if (code != BN_CLICKED) return;
        Entry2d copy = Barcode2dPropertiesCopy(context);
        if (RunModalDialog(page, u"" LT77_TPL_BARCODE2D, Dlg2dCodePropertyProc, reinterpret_cast<LPARAM>(&copy)) ==
            IDOK) {
            Barcode2dPropertiesOk(context, copy);
            MarkPageChanged(page);
        }
        return;
    }
    default:
        return;
    }
}

}  // namespace

INT_PTR CALLBACK DlgBarcodeSettingsProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        PageContext* context = ContextFromPageInit(lParam);
        if (context == nullptr || !context->pBarcodeInfo || !context->pCodeData) return FALSE;
        auto* data = new BarcodePage{context};
        AttachData(page, data);
        data->state = FillBarcodePage(*context);
        const BarcodeState& s = data->state;
        FillComboBox(page, IDC_BC_1D_FONT, s.font1dItems, s.font1dSel);
        FillComboBox(page, IDC_BC_1D_TYPE, s.type1dItems, s.type1dSel);
        FillComboBox(page, IDC_BC_2D_FONT, s.font2dItems, s.font2dSel);
        FillComboBox(page, IDC_BC_2D_TYPE, s.type2dItems, s.type2dSel);
        return TRUE;
    }
    case WM_COMMAND:
        if (auto* data = DataOf<BarcodePage>(page)) OnBarcodeCommand(page, *data, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        auto* data = DataOf<BarcodePage>(page);
        if (data == nullptr || reinterpret_cast<const NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
        ApplyBarcodePage(*data->context);
        return NotifyResult(page, PSNRET_NOERROR);
    }
    case WM_DESTROY:
        DetachData<BarcodePage>(page);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

// The record of a barcode dialog, attached to it, for the entry the page
// opened it on; without an entry the dialog ends at once.
template <class Dialog, class Entry>
Dialog* OpenDialogRecord(::HWND dialog, LPARAM lParam)
{
    auto* entry = reinterpret_cast<Entry*>(lParam);
    if (entry == nullptr) {
        ::EndDialog(dialog, IDCANCEL);
        return nullptr;
    }
    auto* data = new Dialog{entry};
    AttachData(dialog, data);
    return data;
}

struct Dialog1d {
    Entry1d* entry = nullptr;
    Barcode1dDialogState state;
};

void ShowFontRadios(::HWND dialog, bool enabled)
{
    EnableControl(dialog, IDC_BC1_FONT_A, enabled);
    EnableControl(dialog, IDC_BC1_FONT_B, enabled);
}

}  // namespace

INT_PTR CALLBACK Dlg1dCodePropertyProc(::HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* data = OpenDialogRecord<Dialog1d, Entry1d>(dialog, lParam);
        if (data == nullptr) return FALSE;
        const Entry1d* entry = data->entry;
        Barcode1dTexts texts;
        for (int i = 0; i < 4; ++i) texts.hri[static_cast<std::size_t>(i)] = ControlText(dialog, IDC_BC1_TEXT_HRI + i);
        data->state = FillBarcode1dDialog(*entry, texts);
        LimitText(dialog, IDC_BC1_WIDTH, 1);
        LimitText(dialog, IDC_BC1_HEIGHT, 3);
        SetControlText(dialog, IDC_BC1_WIDTH, data->state.widthText);
        SetControlText(dialog, IDC_BC1_HEIGHT, data->state.heightText);
        PrepareSpin(dialog, IDC_BC1_WIDTH_SPIN);
        PrepareSpin(dialog, IDC_BC1_HEIGHT_SPIN);
        FillComboBox(dialog, IDC_BC1_HRI_POSITION, data->state.hriItems, data->state.hriSel);
        SetRadioIndex(dialog, IDC_BC1_FONT_A, 2, data->state.fontB ? 1 : 0);
        ShowFontRadios(dialog, data->state.fontRadiosEnabled);
        return TRUE;
    }
    case WM_COMMAND: {
        auto* data = DataOf<Dialog1d>(dialog);
        if (data == nullptr) return TRUE;
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDC_BC1_HRI_POSITION && code == CBN_SELCHANGE) {
            Barcode1dHriSelected(data->state, ComboSelection(dialog, id));
            ShowFontRadios(dialog, data->state.fontRadiosEnabled);
        } else if (id == IDC_BC1_WIDTH && code == EN_KILLFOCUS) {
            ReplaceControlText(dialog, id, Leave1dWidth(ControlText(dialog, id), *data->entry));
        } else if (id == IDC_BC1_HEIGHT && code == EN_KILLFOCUS) {
            ReplaceControlText(dialog, id, Leave1dHeight(ControlText(dialog, id), *data->entry));
        } else if (id == IDOK) {
            data->state.widthText = ControlText(dialog, IDC_BC1_WIDTH);
            data->state.heightText = ControlText(dialog, IDC_BC1_HEIGHT);
            data->state.hriSel = ComboSelection(dialog, IDC_BC1_HRI_POSITION);
            data->state.fontB = IsChecked(dialog, IDC_BC1_FONT_B);
            OkBarcode1dDialog(data->state, *data->entry);
            ::EndDialog(dialog, IDOK);
        } else if (id == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code != UDN_DELTAPOS) return FALSE;
        const int step = SpinDirection(*reinterpret_cast<const NMUPDOWN*>(lParam));
        if (header.idFrom == IDC_BC1_WIDTH_SPIN)
            SetControlText(dialog, IDC_BC1_WIDTH,
                           IntToText(Spin1dWidth(TextToInt(ControlText(dialog, IDC_BC1_WIDTH)), step)));
        else if (header.idFrom == IDC_BC1_HEIGHT_SPIN)
            SetControlText(dialog, IDC_BC1_HEIGHT,
                           IntToText(Spin1dHeight(TextToInt(ControlText(dialog, IDC_BC1_HEIGHT)), step)));
        else
            return FALSE;
        return NotifyResult(dialog, TRUE);
    }
    case WM_DESTROY:
        DetachData<Dialog1d>(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

struct Field2dControls {
    Field2d field;
    int edit;
    int spin;
};
constexpr Field2dControls kFields2d[] = {
    {Field2d::Column, IDC_BC2_PDF_COLUMNS, IDC_BC2_PDF_COLUMNS_SPIN},
    {Field2d::Step, IDC_BC2_PDF_STEP, IDC_BC2_PDF_STEP_SPIN},
    {Field2d::Width, IDC_BC2_PDF_WIDTH, IDC_BC2_PDF_WIDTH_SPIN},
    {Field2d::Height, IDC_BC2_PDF_HEIGHT, IDC_BC2_PDF_HEIGHT_SPIN},
    {Field2d::QrSize, IDC_BC2_QR_SIZE, IDC_BC2_QR_SIZE_SPIN},
    {Field2d::DmSize, IDC_BC2_DM_SIZE, IDC_BC2_DM_SIZE_SPIN},
};
constexpr int kPdfControls[] = {IDC_BC2_PDF_COLUMNS, IDC_BC2_PDF_COLUMNS_SPIN, IDC_BC2_PDF_STEP,
                                IDC_BC2_PDF_STEP_SPIN, IDC_BC2_PDF_WIDTH, IDC_BC2_PDF_WIDTH_SPIN,
                                IDC_BC2_PDF_HEIGHT, IDC_BC2_PDF_HEIGHT_SPIN, IDC_BC2_PDF_ECC,
                                IDC_BC2_PDF_SIMPLIFIED};
constexpr int kQrControls[] = {IDC_BC2_QR_SIZE, IDC_BC2_QR_SIZE_SPIN, IDC_BC2_QR_MODEL, IDC_BC2_QR_ECC};
constexpr int kDmControls[] = {IDC_BC2_DM_SIZE, IDC_BC2_DM_SIZE_SPIN};

std::u16string* TextOf(Barcode2dDialogState& s, Field2d field)
{
    switch (field) {
    case Field2d::Column: return &s.columnText;
    case Field2d::Step: return &s.stepText;
    case Field2d::Width: return &s.widthText;
    case Field2d::Height: return &s.heightText;
    case Field2d::QrSize: return &s.qrSizeText;
    case Field2d::DmSize: return &s.dmSizeText;
    }
    return &s.columnText;
}

struct Dialog2d {
    Entry2d* entry = nullptr;
    Barcode2dDialogState state;
};

template <std::size_t N>
void EnableGroup(::HWND dialog, const int (&ids)[N], bool enabled)
{
    for (const int id : ids) EnableControl(dialog, id, enabled);
}

void Show2d(::HWND dialog, Barcode2dDialogState& s)
{
    for (const auto& f : kFields2d) {
        LimitText(dialog, f.edit, RangeOf(f.field).maxChars);
        SetControlText(dialog, f.edit, *TextOf(s, f.field));
        PrepareSpin(dialog, f.spin);
    }
    FillComboBox(dialog, IDC_BC2_PDF_ECC, s.pdfLevelItems, s.pdfLevelSel);
    SetChecked(dialog, IDC_BC2_PDF_SIMPLIFIED, s.simplified);
    FillComboBox(dialog, IDC_BC2_QR_MODEL, s.qrModelItems, s.qrModelSel);
    FillComboBox(dialog, IDC_BC2_QR_ECC, s.qrLevelItems, s.qrLevelSel);
    EnableGroup(dialog, kPdfControls, s.pdfEnabled);
    EnableGroup(dialog, kQrControls, s.qrEnabled);
    EnableGroup(dialog, kDmControls, s.dmEnabled);
}

void Read2d(::HWND dialog, Barcode2dDialogState& s)
{
    for (const auto& f : kFields2d) *TextOf(s, f.field) = ControlText(dialog, f.edit);
    s.pdfLevelSel = ComboSelection(dialog, IDC_BC2_PDF_ECC);
    s.simplified = IsChecked(dialog, IDC_BC2_PDF_SIMPLIFIED);
    s.qrModelSel = ComboSelection(dialog, IDC_BC2_QR_MODEL);
    s.qrLevelSel = ComboSelection(dialog, IDC_BC2_QR_ECC);
}

}  // namespace

INT_PTR CALLBACK Dlg2dCodePropertyProc(::HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* data = OpenDialogRecord<Dialog2d, Entry2d>(dialog, lParam);
        if (data == nullptr) return FALSE;
        const Entry2d* entry = data->entry;
        Barcode2dTexts texts;
        const std::u16string level = ControlText(dialog, IDC_BC2_TEXT_LEVEL);
        const std::u16string model = ControlText(dialog, IDC_BC2_TEXT_MODEL);
        texts.pdfLevelPrefix = level + u" ";
        texts.qrModels = {model + u" 1", model + u" 2"};
        texts.qrLevels = {level + u" L", level + u" M", level + u" Q", level + u" H"};
        data->state = FillBarcode2dDialog(*entry, texts);
        Show2d(dialog, data->state);
        return TRUE;
    }
    case WM_COMMAND: {
        auto* data = DataOf<Dialog2d>(dialog);
        if (data == nullptr) return TRUE;
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (code == EN_KILLFOCUS) {
            for (const auto& f : kFields2d)
                if (f.edit == id)
                    ReplaceControlText(dialog, id, Leave2dField(f.field, ControlText(dialog, id), *data->entry));
        } else if (id == IDOK) {
            Read2d(dialog, data->state);
            OkBarcode2dDialog(data->state, *data->entry);
            ::EndDialog(dialog, IDOK);
        } else if (id == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code != UDN_DELTAPOS) return FALSE;
        const int step = SpinDirection(*reinterpret_cast<const NMUPDOWN*>(lParam));
        for (const auto& f : kFields2d) {
            if (static_cast<int>(header.idFrom) != f.spin) continue;
            const int value = TextToInt(ControlText(dialog, f.edit));
            SetControlText(dialog, f.edit, IntToText(Spin2dField(f.field, value, step)));
            return NotifyResult(dialog, TRUE);
        }
        return FALSE;
    }
    case WM_DESTROY:
        DetachData<Dialog2d>(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace lt77::ui::win32
