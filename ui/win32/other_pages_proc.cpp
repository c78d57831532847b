// The Dithering and Utility pages of the document sheet, and the device
// sheet's Language and Version pages.
// The page logic first: see dialog_helpers.h.
#include "common/ximage/ximage.h"
#include "ui/device_pages.h"
#include "ui/dither_page.h"
#include "ui/property_sheets.h"
#include "ui/utility_page.h"

#include "ui/win32/dialog_procedures.h"
#include "ui/win32/dialog_helpers.h"
#include "ui/win32/resource.h"
#include "platform/win32/win32_utf.h"

#include <shellapi.h>
#include <cstring>
#include <optional>
#include <vector>

namespace lt77::ui::win32 {
namespace {

constexpr int kDitherCount = 5;

// The sample picture from the module's bitmap resource: a device-independent
// bitmap without its file header.
std::optional<CxImage> LoadSamplePicture()
{
    const auto module = static_cast<::HINSTANCE>(UiModuleInstance());
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDB_DITHER_SAMPLE), MAKEINTRESOURCEW(2));
    if (found == nullptr) return std::nullopt;
    const ::DWORD size = ::SizeofResource(module, found);
    const HGLOBAL loaded = ::LoadResource(module, found);
    const auto* bytes = static_cast<const uint8_t*>(loaded == nullptr ? nullptr : ::LockResource(loaded));
    if (bytes == nullptr || size < sizeof(BitmapInfoHeader)) return std::nullopt;
    BitmapInfoHeader header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.biSize != BITMAP_INFO_HEADER_SIZE || header.biBitCount != 24) return std::nullopt;
    CxImage picture;
    if (!picture.Decode(header, std::span(bytes + header.biSize, size - header.biSize), {})) return std::nullopt;
    return picture;
}

struct DitherPage {
    PageContext* context = nullptr;
    DitherState state;
    std::optional<CxImage> sample;
};

void ShowDitherEnables(::HWND page, const DitherState& s)
{
    for (int i = 0; i < kDitherCount; ++i) EnableControl(page, IDC_DITHER_NONE + i, s.ditherEnabled);
}

void ReadDither(::HWND page, DitherState& s)
{
    s.colorRadio = RadioIndex(page, IDC_DITHER_MONO, 2) == 1 ? 1 : 0;
    const int dither = RadioIndex(page, IDC_DITHER_NONE, kDitherCount);
    s.ditherRadio = dither < 0 ? 0 : dither;
    s.brightness = static_cast<int>(::SendDlgItemMessageW(page, IDC_DITHER_BRIGHTNESS, TBM_GETPOS, 0, 0));
}

// The sample as the printer would render it, centred on white.
void DrawSample(const DitherPage& data, const DRAWITEMSTRUCT& item)
{
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (!data.sample) return;
    CxImage picture = *data.sample;
    if (!RenderDitherSample(picture, data.state)) return;
    const auto palette = picture.GetPalette();
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + palette.size() * sizeof(RGBQUAD));
    BitmapInfoHeader header = picture.GetHeader();
    header.biClrUsed = static_cast<uint32_t>(palette.size());
    std::memcpy(info.data(), &header, sizeof header);
    if (!palette.empty()) std::memcpy(info.data() + sizeof header, palette.data(), palette.size() * sizeof(RGBQUAD));
    const int width = picture.GetWidth(), height = picture.GetHeight();
    const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - width) / 2;
    const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - height) / 2;
    ::SetDIBitsToDevice(item.hDC, x, y, static_cast<::DWORD>(width), static_cast<::DWORD>(height), 0, 0, 0,
                        static_cast<UINT>(height), picture.GetBits().data(),
                        reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
}

void RedrawSample(::HWND page) { ::InvalidateRect(::GetDlgItem(page, IDC_DITHER_SAMPLE), nullptr, FALSE); }

}  // namespace

INT_PTR CALLBACK DlgDitherProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        PageContext* context = ContextFromPageInit(lParam);
        if (context == nullptr) return FALSE;
        auto* data = new DitherPage{context};
        AttachData(page, data);
        data->state = FillDitherPage(*context);
        data->sample = LoadSamplePicture();
        SetRadioIndex(page, IDC_DITHER_MONO, 2, data->state.colorRadio);
        SetRadioIndex(page, IDC_DITHER_NONE, kDitherCount, data->state.ditherRadio);
        ::SendDlgItemMessageW(page, IDC_DITHER_BRIGHTNESS, TBM_SETRANGE, FALSE,
                              MAKELPARAM(kBrightnessMin, kBrightnessMax));
        ::SendDlgItemMessageW(page, IDC_DITHER_BRIGHTNESS, TBM_SETTICFREQ, 1, 0);
        ::SendDlgItemMessageW(page, IDC_DITHER_BRIGHTNESS, TBM_SETPOS, TRUE, data->state.brightness);
        ShowDitherEnables(page, data->state);
        return TRUE;
    }
    case WM_COMMAND: {
        auto* data = DataOf<DitherPage>(page);
        const int id = LOWORD(wParam);
        if (data == nullptr || HIWORD(wParam) != BN_CLICKED) return TRUE;
        std::optional<DitherInput> input;
        int index = 0;
        if (id == IDC_DITHER_MONO || id == IDC_DITHER_GREY) {
            input = DitherInput::ColorClicked;
            index = id - IDC_DITHER_MONO;
        } else if (id >= IDC_DITHER_NONE && id < IDC_DITHER_NONE + kDitherCount) {
            input = DitherInput::DitherClicked;
            index = id - IDC_DITHER_NONE;
        }
        if (!input) return TRUE;
        ReadDither(page, data->state);
        UpdateDitherEnables(data->state);
        ShowDitherEnables(page, data->state);
        RedrawSample(page);
        if (DitherMarksChanged(*data->context, *input, index)) MarkPageChanged(page);
        return TRUE;
    }
    case WM_HSCROLL: {
        auto* data = DataOf<DitherPage>(page);
        if (data == nullptr || reinterpret_cast<::HWND>(lParam) != ::GetDlgItem(page, IDC_DITHER_BRIGHTNESS))
            return FALSE;
        ReadDither(page, data->state);
        RedrawSample(page);
        if (LOWORD(wParam) == TB_ENDTRACK && DitherMarksChanged(*data->context, DitherInput::TrackReleased))
            MarkPageChanged(page);
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* data = DataOf<DitherPage>(page);
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (data == nullptr || item == nullptr || item->CtlID != IDC_DITHER_SAMPLE) return FALSE;
        DrawSample(*data, *item);
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* data = DataOf<DitherPage>(page);
        if (data == nullptr || reinterpret_cast<const NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
        ReadDither(page, data->state);
        ApplyDitherPage(data->state, *data->context, SpoolerDeviceModeSetters());
        return NotifyResult(page, PSNRET_NOERROR);
    }
    case WM_DESTROY:
        DetachData<DitherPage>(page);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

struct UtilityPage {
    PageContext* context = nullptr;
    UtilityState state;
};

void ShowUtilityEnables(::HWND page, const UtilityState& s)
{
    EnableControl(page, IDC_UTIL_JOURNAL_VIEWER, s.journalViewerEnabled);
    EnableControl(page, IDC_UTIL_TEXT_KEY_SETUP, s.textKeyButtonEnabled);
}

void ReadUtility(::HWND page, UtilityState& s)
{
    s.journal = IsChecked(page, IDC_UTIL_JOURNAL);
    s.textKey = IsChecked(page, IDC_UTIL_TEXT_KEY);
    s.preview = IsChecked(page, IDC_UTIL_PREVIEW);
}

// From version 6 on the editors start elevated, which only the shell's
// extended start offers.
void StartElevated(const ProgramStart& start)
{
    const std::wstring file = lt77::win32::WideFromUtf8(start.file);
    const std::wstring parameters = lt77::win32::WideFromU16(start.parameters);
    const std::wstring folder = lt77::win32::WideFromUtf8(start.folder);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&info);
}

void StartProgram(PageContext& context, UtilityButton button)
{
    const ProgramStart start = UtilityProgramFor(button, context);
    if (start.elevated) StartElevated(start);
    else StartPlainProgram(start, context);
}

}  // namespace

INT_PTR CALLBACK DlgUtilityProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        PageContext* context = ContextFromPageInit(lParam);
        if (context == nullptr) return FALSE;
        auto* data = new UtilityPage{context};
        AttachData(page, data);
        data->state = FillUtilityPage(*context);
        SetChecked(page, IDC_UTIL_JOURNAL, data->state.journal);
        SetChecked(page, IDC_UTIL_TEXT_KEY, data->state.textKey);
        SetChecked(page, IDC_UTIL_PREVIEW, data->state.preview);
        ShowUtilityEnables(page, data->state);
        return TRUE;
    }
    case WM_COMMAND: {
        auto* data = DataOf<UtilityPage>(page);
        if (data == nullptr || HIWORD(wParam) != BN_CLICKED) return TRUE;
        switch (LOWORD(wParam)) {
        case IDC_UTIL_JOURNAL:
        case IDC_UTIL_TEXT_KEY:
        case IDC_UTIL_PREVIEW:
            ReadUtility(page, data->state);
            UpdateUtilityEnables(data->state);
            ShowUtilityEnables(page, data->state);
            MarkPageChanged(page);
            break;
        case IDC_UTIL_POS_UTILITY: StartProgram(*data->context, UtilityButton::PosUtility); break;
        case IDC_UTIL_FONT_EDITOR: StartProgram(*data->context, UtilityButton::ControlCodeEditor); break;
        case IDC_UTIL_JOURNAL_VIEWER: StartProgram(*data->context, UtilityButton::JournalViewer); break;
        case IDC_UTIL_TEXT_KEY_SETUP: StartProgram(*data->context, UtilityButton::TextKeySetup); break;
        default: break;
        }
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* data = DataOf<UtilityPage>(page);
        if (data == nullptr || reinterpret_cast<const NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
        ReadUtility(page, data->state);
        ApplyUtilityPage(data->state, *data->context);
        return NotifyResult(page, PSNRET_NOERROR);
    }
    case WM_DESTROY:
        DetachData<UtilityPage>(page);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

struct LanguagePage {
    PageContext* context = nullptr;
    LanguageState state;
};

}  // namespace

INT_PTR CALLBACK DlgLanguageProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        PageContext* context = ContextFromPageInit(lParam);
        if (context == nullptr) return FALSE;
        auto* data = new LanguagePage{context};
        AttachData(page, data);
        LanguageTexts texts;
        for (int i = 0; i < 5; ++i) texts.base[static_cast<std::size_t>(i)] = ControlText(page, IDC_LANG_TEXT + i);
        texts.simplifiedChinese = ControlText(page, IDC_LANG_TEXT + 5);
        texts.traditionalChinese = ControlText(page, IDC_LANG_TEXT + 6);
        texts.hungarian = ControlText(page, IDC_LANG_TEXT + 7);
        texts.japanese = ControlText(page, IDC_LANG_TEXT + 8);
        texts.korean = ControlText(page, IDC_LANG_TEXT + 9);
        texts.polish = ControlText(page, IDC_LANG_TEXT + 10);
        texts.russian = ControlText(page, IDC_LANG_TEXT + 11);
        data->state = FillLanguagePage(*context, texts);
        FillComboBox(page, IDC_LANG_LIST, data->state.items, data->state.sel);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LANG_LIST && HIWORD(wParam) == CBN_SELCHANGE) MarkPageChanged(page);
        return TRUE;
    case WM_NOTIFY: {
        auto* data = DataOf<LanguagePage>(page);
        if (data == nullptr || reinterpret_cast<const NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
        data->state.sel = ComboSelection(page, IDC_LANG_LIST);
        ApplyLanguagePage(data->state, *data->context);
        return NotifyResult(page, PSNRET_NOERROR);
    }
    case WM_DESTROY:
        DetachData<LanguagePage>(page);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK DlgAboutProc(::HWND page, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG) return FALSE;
    PageContext* context = ContextFromPageInit(lParam);
    if (context == nullptr) return FALSE;
    const VersionTexts texts = FillVersionPage(*context);
    SetControlText(page, IDC_VERSION_TEXT, texts.version);
    SetControlText(page, IDC_VERSION_LEGAL, texts.notice);
    return TRUE;
}

}  // namespace lt77::ui::win32
