// The Layout page and the "User Defined Paper Size" dialog it opens.
// The page logic first: see dialog_helpers.h.
#include "ui/layout_page.h"
#include "ui/paper_dialog.h"
#include "ui/text_numbers.h"

#include "ui/win32/dialog_procedures.h"
#include "ui/win32/dialog_helpers.h"
#include "ui/win32/resource.h"

namespace lt77::ui::win32 {
namespace {

struct LayoutPage {
    PageContext* context = nullptr;
    LayoutState state;
    bool filling = false;
};

constexpr int kRotationCount = 4;

void ShowEnables(::HWND page, const LayoutState& s)
{
    EnableControl(page, IDC_LAYOUT_RATE, s.rateListEnabled);
    EnableControl(page, IDC_LAYOUT_RATE_EDIT, s.rateEditEnabled);
    EnableControl(page, IDC_LAYOUT_BARCODE_KEEP, s.barcodeRadiosEnabled);
    EnableControl(page, IDC_LAYOUT_BARCODE_REDUCE, s.barcodeRadiosEnabled);
    EnableControl(page, IDC_LAYOUT_TOP_CROP_EDIT, s.topCropEditEnabled);
    EnableControl(page, IDC_LAYOUT_TOP_CROP_SPIN, s.topCropEditEnabled);
    EnableControl(page, IDC_LAYOUT_BOTTOM_CROP_EDIT, s.bottomCropEditEnabled);
    EnableControl(page, IDC_LAYOUT_BOTTOM_CROP_SPIN, s.bottomCropEditEnabled);
}

void ShowState(::HWND page, const LayoutState& s)
{
    FillComboBox(page, IDC_LAYOUT_PAPER_SIZE, s.paperItems, s.paperSel);
    FillComboBox(page, IDC_LAYOUT_PAPER_TYPE, s.paperTypeItems, s.paperTypeSel);
    SetControlText(page, IDC_LAYOUT_COPIES, s.copiesText);
    SetRadioIndex(page, IDC_LAYOUT_PORTRAIT, 2, s.orientation);
    SetRadioIndex(page, IDC_LAYOUT_ROTATE_0, kRotationCount, s.rotation);
    SetChecked(page, IDC_LAYOUT_REDUCTION, s.reduction);
    FillComboBox(page, IDC_LAYOUT_RATE, s.rateItems, s.rateSel);
    SetControlText(page, IDC_LAYOUT_RATE_EDIT, s.rateText);
    SetRadioIndex(page, IDC_LAYOUT_BARCODE_KEEP, 2, s.barcodeReduction);
    SetChecked(page, IDC_LAYOUT_TOP_CROP, s.topCrop);
    SetControlText(page, IDC_LAYOUT_TOP_CROP_EDIT, s.topCropText);
    SetChecked(page, IDC_LAYOUT_BOTTOM_CROP, s.bottomCrop);
    SetControlText(page, IDC_LAYOUT_BOTTOM_CROP_EDIT, s.bottomCropText);
    ShowEnables(page, s);
}

void ReadState(::HWND page, LayoutState& s)
{
    s.paperSel = ComboSelection(page, IDC_LAYOUT_PAPER_SIZE);
    s.paperTypeSel = ComboSelection(page, IDC_LAYOUT_PAPER_TYPE);
    s.copiesText = ControlText(page, IDC_LAYOUT_COPIES);
    s.orientation = RadioIndex(page, IDC_LAYOUT_PORTRAIT, 2) == 1 ? 1 : 0;
    s.rotation = RadioIndex(page, IDC_LAYOUT_ROTATE_0, kRotationCount);
    if (s.rotation < 0) s.rotation = 0;
    s.reduction = IsChecked(page, IDC_LAYOUT_REDUCTION);
    s.rateSel = ComboSelection(page, IDC_LAYOUT_RATE);
    s.rateText = ControlText(page, IDC_LAYOUT_RATE_EDIT);
    s.barcodeReduction = IsChecked(page, IDC_LAYOUT_BARCODE_KEEP) ? 0 : 1;
    s.topCrop = IsChecked(page, IDC_LAYOUT_TOP_CROP);
    s.topCropText = ControlText(page, IDC_LAYOUT_TOP_CROP_EDIT);
    s.bottomCrop = IsChecked(page, IDC_LAYOUT_BOTTOM_CROP);
    s.bottomCropText = ControlText(page, IDC_LAYOUT_BOTTOM_CROP_EDIT);
}

void Mark(::HWND page, const LayoutPage& data, LayoutInput input, int index = 0)
{
    if (!data.filling && LayoutMarksChanged(*data.context, input, index)) MarkPageChanged(page);
}

void OpenPaperDialog(::HWND page, LayoutPage& data)
{
    ReadState(page, data.state);
    const std::u16string remembered = RememberSelectedPaper(data.state, *data.context);
    RunModalDialog(page, u"" LT77_TPL_USERPAPER, DlgUserDefinedPaper, reinterpret_cast<LPARAM>(data.context));
    AfterPaperDialog(data.state, *data.context, remembered);
    data.filling = true;
    FillComboBox(page, IDC_LAYOUT_PAPER_SIZE, data.state.paperItems, data.state.paperSel);
    data.filling = false;
    MarkPageChanged(page);
}

void OnCommand(::HWND page, LayoutPage& data, int id, int code)
{
    switch (id) {
    case IDC_LAYOUT_PAPER_SIZE:
        if (code == CBN_SELCHANGE) Mark(page, data, LayoutInput::PaperSizeSelected);
        return;
    case IDC_LAYOUT_PAPER_TYPE:
        if (code == CBN_DROPDOWN) Mark(page, data, LayoutInput::PaperTypeOpened);
        return;
    case IDC_LAYOUT_RATE:
        if (code != CBN_SELCHANGE) return;
        ReadState(page, data.state);
        UpdateLayoutEnables(data.state);
        ShowEnables(page, data.state);
        Mark(page, data, LayoutInput::RateSelected);
        return;
    case IDC_LAYOUT_PAPER_MORE:
        if (code == BN_CLICKED) OpenPaperDialog(page, data);
        return;
    case IDC_LAYOUT_REDUCTION:
    case IDC_LAYOUT_TOP_CROP:
    case IDC_LAYOUT_BOTTOM_CROP:
        if (code != BN_CLICKED) return;
        ReadState(page, data.state);
        UpdateLayoutEnables(data.state);
        ShowEnables(page, data.state);
        Mark(page, data, LayoutInput::CheckBoxClicked);
        return;
    case IDC_LAYOUT_BARCODE_KEEP:
    case IDC_LAYOUT_BARCODE_REDUCE:
        if (code == BN_CLICKED) Mark(page, data, LayoutInput::BarcodeRadioClicked);
        return;
    case IDC_LAYOUT_PORTRAIT:
    case IDC_LAYOUT_LANDSCAPE:
        if (code == BN_CLICKED) Mark(page, data, LayoutInput::OrientationClicked, id - IDC_LAYOUT_PORTRAIT);
        return;
    case IDC_LAYOUT_ROTATE_0:
    case IDC_LAYOUT_ROTATE_90:
    case IDC_LAYOUT_ROTATE_180:
    case IDC_LAYOUT_ROTATE_270:
        if (code == BN_CLICKED) Mark(page, data, LayoutInput::RotationClicked, id - IDC_LAYOUT_ROTATE_0);
        return;
    case IDC_LAYOUT_COPIES:
    case IDC_LAYOUT_RATE_EDIT:
    case IDC_LAYOUT_TOP_CROP_EDIT:
    case IDC_LAYOUT_BOTTOM_CROP_EDIT:
        if (code == EN_CHANGE) {
            Mark(page, data, LayoutInput::EditChanged);
        } else if (code == EN_KILLFOCUS) {
            const std::u16string text = ControlText(page, id);
            if (id == IDC_LAYOUT_COPIES) ReplaceControlText(page, id, LeaveCopiesEdit(text));
            else if (id == IDC_LAYOUT_RATE_EDIT) ReplaceControlText(page, id, LeaveRateEdit(text));
            else ReplaceControlText(page, id, LeaveCropEdit(text));
        }
        return;
    default:
        return;
    }
}

INT_PTR OnNotify(::HWND page, LayoutPage& data, const NMHDR& header, LPARAM lParam)
{
    if (header.code == UDN_DELTAPOS) {
        const auto& change = *reinterpret_cast<const NMUPDOWN*>(lParam);
        const int step = SpinDirection(change);
        if (header.idFrom == IDC_LAYOUT_COPIES_SPIN) {
            SetControlText(page, IDC_LAYOUT_COPIES,
                           IntToText(SpinCopies(TextToInt(ControlText(page, IDC_LAYOUT_COPIES)), step)));
        } else if (header.idFrom == IDC_LAYOUT_TOP_CROP_SPIN || header.idFrom == IDC_LAYOUT_BOTTOM_CROP_SPIN) {
            const int edit =
                header.idFrom == IDC_LAYOUT_TOP_CROP_SPIN ? IDC_LAYOUT_TOP_CROP_EDIT : IDC_LAYOUT_BOTTOM_CROP_EDIT;
            SetControlText(page, edit, IntToText(SpinCrop(TextToInt(ControlText(page, edit)), step)));
        } else {
            return FALSE;
        }
        return NotifyResult(page, TRUE);
    }
    if (header.code == PSN_APPLY) {
        ReadState(page, data.state);
        ApplyLayoutPage(data.state, *data.context, SpoolerDeviceModeSetters());
        return NotifyResult(page, PSNRET_NOERROR);
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK DlgLayoutProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        PageContext* context = ContextFromPageInit(lParam);
        if (context == nullptr) return FALSE;
        auto* data = new LayoutPage{context};
        AttachData(page, data);
        LayoutTexts texts;
        texts.receipt = ControlText(page, IDC_LAYOUT_TEXT_RECEIPT);
        texts.ticket = ControlText(page, IDC_LAYOUT_TEXT_TICKET);
        texts.userDefined = ControlText(page, IDC_LAYOUT_TEXT_USER_DEFINED);
        data->state = FillLayoutPage(*context, texts);
        data->filling = true;
        LimitText(page, IDC_LAYOUT_COPIES, kCopiesEditChars);
        LimitText(page, IDC_LAYOUT_RATE_EDIT, kRateEditChars);
        LimitText(page, IDC_LAYOUT_TOP_CROP_EDIT, kCropEditChars);
        LimitText(page, IDC_LAYOUT_BOTTOM_CROP_EDIT, kCropEditChars);
        PrepareSpin(page, IDC_LAYOUT_COPIES_SPIN);
        PrepareSpin(page, IDC_LAYOUT_TOP_CROP_SPIN);
        PrepareSpin(page, IDC_LAYOUT_BOTTOM_CROP_SPIN);
        ShowState(page, data->state);
        data->filling = false;
        return TRUE;
    }
    case WM_COMMAND:
        if (auto* data = DataOf<LayoutPage>(page)) OnCommand(page, *data, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (auto* data = DataOf<LayoutPage>(page))
            return OnNotify(page, *data, *reinterpret_cast<const NMHDR*>(lParam), lParam);
        return FALSE;
    case WM_DESTROY:
        DetachData<LayoutPage>(page);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

// The dialog's two questions as message boxes over the dialog.
class MessageBoxPrompts final : public PaperDialogPrompts {
public:
    explicit MessageBoxPrompts(::HWND owner) : owner_(owner) {}
    void ShowError(std::u16string_view text, std::u16string_view caption) override
    {
        const std::u16string t(text), c(caption);
        ::MessageBoxW(owner_, Wide(t), Wide(c), MB_OK | MB_ICONERROR);
    }
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override
    {
        const std::u16string t(text), c(caption);
        return ::MessageBoxW(owner_, Wide(t), Wide(c), MB_YESNO | MB_ICONINFORMATION) == IDYES;
    }

private:
    ::HWND owner_;
};

struct PaperDialog {
    PageContext* context = nullptr;
    PaperDialogTexts texts;
    PaperDialogState state;
};

// Room for "210.0": the width the dialog itself writes back must also be
// one the user can type.
constexpr int kWidthEditChars = kPaperWidthEditChars < 5 ? 5 : kPaperWidthEditChars;

void ShowPaperEdits(::HWND dialog, const PaperDialogState& s)
{
    SetControlText(dialog, IDC_PAPER_NAME, s.nameText);
    SetControlText(dialog, IDC_PAPER_WIDTH, s.widthText);
    SetControlText(dialog, IDC_PAPER_LENGTH, s.lengthText);
}

void ShowPaperList(::HWND dialog, const PaperDialogState& s)
{
    ::SendDlgItemMessageW(dialog, IDC_PAPER_LIST, LB_RESETCONTENT, 0, 0);
    for (const auto& item : s.items)
        ::SendDlgItemMessageW(dialog, IDC_PAPER_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
    ::SendDlgItemMessageW(dialog, IDC_PAPER_LIST, LB_SETCURSEL, static_cast<WPARAM>(s.sel), 0);
    ShowPaperEdits(dialog, s);
}

void ReadPaperEdits(::HWND dialog, PaperDialogState& s)
{
    s.sel = static_cast<int>(::SendDlgItemMessageW(dialog, IDC_PAPER_LIST, LB_GETCURSEL, 0, 0));
    s.nameText = ControlText(dialog, IDC_PAPER_NAME);
    s.widthText = ControlText(dialog, IDC_PAPER_WIDTH);
    s.lengthText = ControlText(dialog, IDC_PAPER_LENGTH);
}

void OnPaperCommand(::HWND dialog, PaperDialog& data, int id, int code)
{
    switch (id) {
    case IDC_PAPER_LIST:
        if (code == LBN_SELCHANGE) {
            ReadPaperEdits(dialog, data.state);
            PaperSelected(data.state, *data.context, data.state.sel);
            ShowPaperEdits(dialog, data.state);
        }
        return;
    case IDC_PAPER_WIDTH:
        if (code == EN_KILLFOCUS)
            ReplaceControlText(dialog, id, LeavePaperWidth(ControlText(dialog, id)));
        return;
    case IDC_PAPER_LENGTH:
        if (code == EN_KILLFOCUS)
            ReplaceControlText(dialog, id, LeavePaperLength(ControlText(dialog, id)));
        return;
    case IDC_PAPER_SAVE: {
        ReadPaperEdits(dialog, data.state);
        MessageBoxPrompts prompts(dialog);
        Utility_SaveForm(data.state, *data.context, data.texts, prompts);
        ShowPaperList(dialog, data.state);
        return;
    }
    case IDC_PAPER_DELETE:
        ReadPaperEdits(dialog, data.state);
        Utility_DeleteForm(data.state, *data.context, data.texts);
        ShowPaperList(dialog, data.state);
        return;
    case IDC_PAPER_CLOSE:
    case IDOK:
    case IDCANCEL:
        ::EndDialog(dialog, 1);
        return;
    default:
        return;
    }
}

}  // namespace

INT_PTR CALLBACK DlgUserDefinedPaper(::HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* context = reinterpret_cast<PageContext*>(lParam);
        if (context == nullptr) {
            ::EndDialog(dialog, 1);
            return FALSE;
        }
        auto* data = new PaperDialog{context};
        AttachData(dialog, data);
        data->texts.cannotRegister = ControlText(dialog, IDC_PAPER_TEXT_REFUSED);
        data->texts.askUpdate = ControlText(dialog, IDC_PAPER_TEXT_UPDATE);
        data->texts.error = ControlText(dialog, IDC_PAPER_TEXT_ERROR);
        data->texts.question = ControlText(dialog, IDC_PAPER_TEXT_QUESTION);
        data->texts.defaultName = ControlText(dialog, IDC_PAPER_TEXT_DEFAULT_NAME);
        data->state = FillPaperDialog(*context, data->texts);
        LimitText(dialog, IDC_PAPER_WIDTH, kWidthEditChars);
        LimitText(dialog, IDC_PAPER_LENGTH, kPaperLengthEditChars);
        PrepareSpin(dialog, IDC_PAPER_WIDTH_SPIN);
        PrepareSpin(dialog, IDC_PAPER_LENGTH_SPIN);
        ShowPaperList(dialog, data->state);
        return TRUE;
    }
    case WM_COMMAND:
        if (auto* data = DataOf<PaperDialog>(dialog)) OnPaperCommand(dialog, *data, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code != UDN_DELTAPOS) return FALSE;
        const int step = SpinDirection(*reinterpret_cast<const NMUPDOWN*>(lParam));
        if (header.idFrom == IDC_PAPER_WIDTH_SPIN)
            SetControlText(dialog, IDC_PAPER_WIDTH, SpinPaperWidth(ControlText(dialog, IDC_PAPER_WIDTH), step));
        else if (header.idFrom == IDC_PAPER_LENGTH_SPIN)
            SetControlText(dialog, IDC_PAPER_LENGTH, SpinPaperLength(ControlText(dialog, IDC_PAPER_LENGTH), step));
        else
            return FALSE;
        return NotifyResult(dialog, TRUE);
    }
    case WM_CLOSE:
        ::EndDialog(dialog, 1);
        return TRUE;
    case WM_DESTROY:
        DetachData<PaperDialog>(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace lt77::ui::win32
