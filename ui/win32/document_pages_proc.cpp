// The Document Settings and NV Image pages.
// The page logic first: see dialog_helpers.h.
#include "ui/document_page.h"
#include "ui/nv_image_page.h"
#include "ui/text_numbers.h"

#include "ui/win32/dialog_procedures.h"
#include "ui/win32/dialog_helpers.h"
#include "ui/win32/resource.h"

namespace lt77::ui::win32 {
namespace {

constexpr int kCommandEdits[4] = {IDC_DOC_START_DOC, IDC_DOC_START_PAGE, IDC_DOC_END_PAGE, IDC_DOC_END_DOC};
constexpr int kCutCount = 3;

// Drawer n's controls: box, pulse edit, spin, unit label.
constexpr int DrawerBox(int n) { return IDC_DOC_DRAWER + 4 * n; }
constexpr int DrawerEdit(int n) { return DrawerBox(n) + 1; }
constexpr int DrawerSpin(int n) { return DrawerBox(n) + 2; }
constexpr int DrawerUnit(int n) { return DrawerBox(n) + 3; }

struct DocumentPage {
    PageContext* context = nullptr;
    DocumentState state;
    bool filling = false;
};

void ShowDrawerEnables(::HWND page, const DocumentState& s)
{
    for (int n = 0; n < 4; ++n) {
        const bool on = s.drawers[static_cast<std::size_t>(n)].enabled;
        EnableControl(page, DrawerEdit(n), on);
        EnableControl(page, DrawerSpin(n), on);
        EnableControl(page, DrawerUnit(n), on);
    }
}

void ReadDocument(::HWND page, DocumentState& s)
{
    std::u16string* commands[4] = {&s.startDoc, &s.startPage, &s.endPage, &s.endDoc};
    for (int i = 0; i < 4; ++i) *commands[i] = ControlText(page, kCommandEdits[i]);
    for (int n = 0; n < 4; ++n) {
        auto& drawer = s.drawers[static_cast<std::size_t>(n)];
        drawer.checked = IsChecked(page, DrawerBox(n));
        drawer.pulseText = ControlText(page, DrawerEdit(n));
    }
    s.lineFeedText = ControlText(page, IDC_DOC_LINE_FEEDS);
    s.cutRadio = RadioIndex(page, IDC_DOC_CUT_NONE, kCutCount);
}

void ShowDocument(::HWND page, const DocumentState& s)
{
    const std::u16string* commands[4] = {&s.startDoc, &s.startPage, &s.endPage, &s.endDoc};
    for (int i = 0; i < 4; ++i) {
        LimitText(page, kCommandEdits[i], kCommandEditChars);
        SetControlText(page, kCommandEdits[i], *commands[i]);
    }
    for (int n = 0; n < 4; ++n) {
        const auto& drawer = s.drawers[static_cast<std::size_t>(n)];
        SetChecked(page, DrawerBox(n), drawer.checked);
        LimitText(page, DrawerEdit(n), kPulseEditChars);
        SetControlText(page, DrawerEdit(n), drawer.pulseText);
        PrepareSpin(page, DrawerSpin(n));
    }
    LimitText(page, IDC_DOC_LINE_FEEDS, kLineFeedEditChars);
    SetControlText(page, IDC_DOC_LINE_FEEDS, s.lineFeedText);
    PrepareSpin(page, IDC_DOC_LINE_FEEDS_SPIN);
    SetRadioIndex(page, IDC_DOC_CUT_NONE, kCutCount, s.cutRadio);
    ShowDrawerEnables(page, s);
}

void OnDocumentCommand(::HWND page, DocumentPage& data, int id, int code)
{
    if (data.filling) return;
    if (id >= DrawerBox(0) && id <= DrawerUnit(3) && (id - IDC_DOC_DRAWER) % 4 == 0) {
        if (code != BN_CLICKED) return;
        ReadDocument(page, data.state);
        UpdateDocumentEnables(data.state);
        ShowDrawerEnables(page, data.state);
        if (DocumentMarksChanged(*data.context, DocumentInput::DrawerClicked)) MarkPageChanged(page);
        return;
    }
    if (id >= IDC_DOC_CUT_NONE && id < IDC_DOC_CUT_NONE + kCutCount) {
        if (code == BN_CLICKED && DocumentMarksChanged(*data.context, DocumentInput::CutClicked, id - IDC_DOC_CUT_NONE))
            MarkPageChanged(page);
        return;
    }
    if (code == EN_CHANGE && DocumentMarksChanged(*data.context, DocumentInput::EditChanged)) MarkPageChanged(page);
}

INT_PTR OnDocumentNotify(::HWND page, DocumentPage& data, const NMHDR& header, LPARAM lParam)
{
    if (header.code == UDN_DELTAPOS) {
        const int step = SpinDirection(*reinterpret_cast<const NMUPDOWN*>(lParam));
        if (header.idFrom == IDC_DOC_LINE_FEEDS_SPIN) {
            const int value = TextToInt(ControlText(page, IDC_DOC_LINE_FEEDS));
            SetControlText(page, IDC_DOC_LINE_FEEDS, IntToText(SpinLineFeeds(value, step)));
            return NotifyResult(page, TRUE);
        }
        for (int n = 0; n < 4; ++n) {
            if (static_cast<int>(header.idFrom) != DrawerSpin(n)) continue;
            const int ms = TextToInt(ControlText(page, DrawerEdit(n)));
            SetControlText(page, DrawerEdit(n), IntToText(SpinPulseMs(ms, step)));
            return NotifyResult(page, TRUE);
        }
        return FALSE;
    }
    if (header.code == PSN_APPLY) {
        ReadDocument(page, data.state);
        ApplyDocumentPage(data.state, *data.context);
        return NotifyResult(page, PSNRET_NOERROR);
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK DlgDocSettingsProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        PageContext* context = ContextFromPageInit(lParam);
        if (context == nullptr) return FALSE;
        auto* data = new DocumentPage{context};
        AttachData(page, data);
        data->state = FillDocumentPage(*context);
        data->filling = true;
        ShowDocument(page, data->state);
        data->filling = false;
        return TRUE;
    }
    case WM_COMMAND:
        if (auto* data = DataOf<DocumentPage>(page)) OnDocumentCommand(page, *data, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (auto* data = DataOf<DocumentPage>(page))
            return OnDocumentNotify(page, *data, *reinterpret_cast<const NMHDR*>(lParam), lParam);
        return FALSE;
    case WM_DESTROY:
        DetachData<DocumentPage>(page);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

constexpr int kNvLists[4] = {IDC_NV_START_DOC, IDC_NV_START_PAGE, IDC_NV_END_PAGE, IDC_NV_END_DOC};

struct NvImagePage {
    PageContext* context = nullptr;
    NvImageState state;
};

}  // namespace

INT_PTR CALLBACK DlgNVImageProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        PageContext* context = ContextFromPageInit(lParam);
        if (context == nullptr) return FALSE;
        auto* data = new NvImagePage{context};
        AttachData(page, data);
        NvImageTexts texts;
        texts.none = ControlText(page, IDC_NV_TEXT_NONE);
        texts.nvImage = ControlText(page, IDC_NV_TEXT_IMAGE);
        data->state = FillNvImagePage(*context, texts);
        for (int i = 0; i < 4; ++i)
            FillComboBox(page, kNvLists[i], data->state.items, data->state.sel[static_cast<std::size_t>(i)]);
        SetRadioIndex(page, IDC_NV_CMD_GS, 2, data->state.commandRadio);
        return TRUE;
    }
    case WM_COMMAND: {
        auto* data = DataOf<NvImagePage>(page);
        if (data == nullptr) return TRUE;
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (code == CBN_SELCHANGE && NvImageMarksChanged(*data->context, NvImageInput::ListSelected))
            MarkPageChanged(page);
        if ((id == IDC_NV_CMD_GS || id == IDC_NV_CMD_FS) && code == BN_CLICKED &&
            NvImageMarksChanged(*data->context, NvImageInput::CommandClicked, id - IDC_NV_CMD_GS))
            MarkPageChanged(page);
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* data = DataOf<NvImagePage>(page);
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (data == nullptr || header.code != PSN_APPLY) return FALSE;
        for (int i = 0; i < 4; ++i) data->state.sel[static_cast<std::size_t>(i)] = ComboSelection(page, kNvLists[i]);
        data->state.commandRadio = RadioIndex(page, IDC_NV_CMD_GS, 2);
        ApplyNvImagePage(data->state, *data->context);
        return NotifyResult(page, PSNRET_NOERROR);
    }
    case WM_DESTROY:
        DetachData<NvImagePage>(page);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace lt77::ui::win32
