// uilt77's property sheets under Wine on a virtual display, hosted as the
// driver core's UI half hosts them: the sheet information block, the
// add-page callback, PropertySheetW. A second thread drives the controls with
// window messages (typing, clicks, spins, list selections) while the sheet
// runs its own message loop, presses Apply, and the test reads what the pages
// wrote into the queue's printer data. Wine keeps no user forms, so the
// sheets get a form store of the test's own. Every page is photographed in
// each of the twelve languages into screenshots/ of the build tree.
//
// Wine's SetThreadUILanguage succeeds without doing anything, while its
// resource lookup follows the thread locale: the sheet's thread is given the
// locale of the language under test, as a system of that language would have.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

// The plug-in's declarations before the system headers (see
// ui/win32/dialog_helpers.h).
#include "common/driver_paths.h"
#include "common/printer_data_names.h"
#include "host/queue_admin.h"
#include "platform/files.h"
#include "platform/form_store.h"
#include "platform/oem/oem_ui.h"
#include "platform/spooler.h"
#include "ui/page_context.h"
#include "ui/property_sheets.h"
#include "ui/settings_store.h"
#include "ui/win32/resource.h"

#include <windows.h>
#include <commctrl.h>

namespace {

namespace fs = std::filesystem;
using lt77::FormRecord;

constexpr char kQueue[] = "LT-77 Sheets";
constexpr wchar_t kQueueW[] = L"LT-77 Sheets";

// Forms as the spooler keeps them, for the one test process.
class MemoryFormStore final : public lt77::FormStore {
public:
    std::vector<FormRecord> forms;
    lt77::DWORD Enumerate(lt77::HANDLE, std::vector<FormRecord>& out) override
    {
        out = forms;
        return 0;
    }
    lt77::DWORD Get(lt77::HANDLE, std::u16string_view name, FormRecord& out) override
    {
        for (const auto& f : forms)
            if (f.name == name) return out = f, 0;
        return ERROR_INVALID_FORM_NAME;
    }
    lt77::DWORD Add(lt77::HANDLE, const FormRecord& form) override
    {
        for (const auto& f : forms)
            if (f.name == form.name) return ERROR_FILE_EXISTS;
        forms.push_back(form);
        return 0;
    }
    lt77::DWORD Set(lt77::HANDLE, std::u16string_view name, const FormRecord& form) override
    {
        for (auto& f : forms)
            if (f.name == name) return f = form, 0;
        return ERROR_INVALID_FORM_NAME;
    }
    lt77::DWORD Delete(lt77::HANDLE, std::u16string_view name) override
    {
        for (auto it = forms.begin(); it != forms.end(); ++it)
            if (it->name == name) return forms.erase(it), 0;
        return ERROR_INVALID_FORM_NAME;
    }
};

// The pages the add-page callback was given, made into sheet pages.
struct CoreSheet {
    std::vector<HPROPSHEETPAGE> pages;
};

LONG_PTR CALLBACK AddPage(lt77::HANDLE sheet, lt77::UINT function, LPARAM lParam1, LPARAM)
{
    auto* core = static_cast<CoreSheet*>(sheet);
    if (function != lt77::CPSFUNC_ADD_PROPSHEETPAGEW || lParam1 == 0) return 0;
    const HPROPSHEETPAGE page = ::CreatePropertySheetPageW(reinterpret_cast<const PROPSHEETPAGEW*>(lParam1));
    if (page == nullptr) return 0;
    core->pages.push_back(page);
    return static_cast<LONG_PTR>(core->pages.size());
}

std::atomic<HWND> g_sheet{nullptr};

int CALLBACK SheetCallback(HWND window, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED) g_sheet = window;
    return 0;
}

// One property sheet of the plug-in, shown on this thread until `drive`
// (run on a second thread with the sheet's window) ends it.
class SheetHost {
public:
    // The sheet handler the core calls: the plug-in's DocumentPropertySheets
    // or DevicePropertySheets.
    using Handler = std::function<HRESULT(bool documentSheet, lt77::PROPSHEETUI_INFO* info)>;

    SheetHost(lt77::ui::UiSystem& system, HANDLE printer)
        : printer_(printer), handler_([&system](bool documentSheet, lt77::PROPSHEETUI_INFO* info) {
              return documentSheet ? lt77::ui::hrOEMDocumentPropertySheets(system, info, 0)
                                   : lt77::ui::hrOEMDevicePropertySheets(system, info, 0);
          })
    {
    }
    SheetHost(Handler handler, HANDLE printer) : printer_(printer), handler_(std::move(handler)) {}

    void Run(bool documentSheet, const std::function<void(HWND)>& drive)
    {
        static wchar_t name[] = L"LT-77 Sheets";
        lt77::OEMUIPSPARAM params{};
        params.cbSize = sizeof params;
        params.hPrinter = printer_;
        params.pPrinterName = reinterpret_cast<lt77::WCHAR*>(name);
        params.hOEMHeap = ::GetProcessHeap();
        CoreSheet core;
        lt77::PROPSHEETUI_INFO info{};
        info.cbSize = sizeof info;
        info.Version = lt77::PROPSHEETUI_INFO_VERSION;
        info.Reason = lt77::PROPSHEETUI_REASON_INIT;
        info.hComPropSheet = &core;
        info.pfnComPropSheet = AddPage;
        info.lParamInit = reinterpret_cast<LPARAM>(&params);
        const auto init = handler_(documentSheet, &info);
        ASSERT_EQ(init, 0) << "the sheet handler refused to initialise";
        ASSERT_EQ(core.pages.size(), documentSheet ? 6u : 2u);

        PROPSHEETHEADERW header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_USECALLBACK;
        header.pszCaption = L"LT-77 Sheets";
        header.nPages = static_cast<UINT>(core.pages.size());
        header.phpage = core.pages.data();
        header.pfnCallback = SheetCallback;
        g_sheet = nullptr;
        std::thread driver([&] {
            for (int i = 0; i < 200 && g_sheet.load() == nullptr; ++i) ::Sleep(50);
            if (const HWND sheet = g_sheet.load()) {
                drive(sheet);
                ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            }
        });
        ::PropertySheetW(&header);
        driver.join();

        info.Reason = lt77::PROPSHEETUI_REASON_DESTROY;
        handler_(documentSheet, &info);
    }

private:
    HANDLE printer_;
    Handler handler_;
};

// Driving helpers, all from the driver thread.
HWND Page(HWND sheet, int index)
{
    ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::wstring Text(HWND page, int id)
{
    wchar_t text[512] = {};
    ::GetDlgItemTextW(page, id, text, 512);
    return text;
}

void Type(HWND page, int id, const std::wstring& text)
{
    const HWND edit = ::GetDlgItem(page, id);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 1);
}

void Leave(HWND page, int id)
{
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

// A click on the spin's upper (up) or lower (down) arrow.
void Spin(HWND page, int id, bool up)
{
    const HWND spin = ::GetDlgItem(page, id);
    RECT r{};
    ::GetClientRect(spin, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    ::SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(spin, WM_LBUTTONUP, 0, at);
}

void Click(HWND page, int id) { ::SendMessageW(::GetDlgItem(page, id), BM_CLICK, 0, 0); }

void Select(HWND page, int id, int index, int code = CBN_SELCHANGE)
{
    const HWND list = ::GetDlgItem(page, id);
    ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(list));
}

// The top-level window whose title begins with the caption, once shown (a
// dialog is found as soon as it is created, on the sheet's thread, but shown
// only once its WM_INITDIALOG has filled the controls); its title, or nothing
// after five seconds.
std::wstring WaitForTitleStarting(const std::wstring& caption, HWND* found)
{
    struct Search {
        const std::wstring* caption;
        HWND window = nullptr;
        std::wstring title;
    };
    for (int i = 0; i < 100; ++i) {
        Search search{&caption};
        ::EnumWindows(
            [](HWND w, LPARAM lParam) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(lParam);
                wchar_t text[512] = {};
                ::GetWindowTextW(w, text, 512);
                if (!::IsWindowVisible(w) || std::wstring_view(text).substr(0, s.caption->size()) != *s.caption)
                    return TRUE;
                s.window = w;
                s.title = text;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.window != nullptr) {
            *found = search.window;
            return search.title;
        }
        ::Sleep(50);
    }
    return {};
}

// The shown window of exactly this title.
HWND WaitForWindow(const wchar_t* title)
{
    HWND window = nullptr;
    return WaitForTitleStarting(title, &window) == title ? window : nullptr;
}

// The screen's pixels of a window, rows bottom first, 24 bits per pixel.
struct Shot {
    BITMAPINFOHEADER header{};
    std::size_t stride = 0;
    std::vector<uint8_t> data;
};

Shot Capture(HWND window)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);
    Shot shot;
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return shot;
    shot.header = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
    BITMAPINFO info{};
    info.bmiHeader = shot.header;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    shot.stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const auto* pixels = static_cast<const uint8_t*>(bits);
    shot.data.assign(pixels, pixels + shot.stride * static_cast<std::size_t>(height));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return shot;
}

void SaveBmp(const Shot& shot, const fs::path& file)
{
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER fileHeader{0x4D42, static_cast<DWORD>(offset + shot.data.size()), 0, 0, offset};
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(&shot.header), sizeof shot.header);
    out.write(reinterpret_cast<const char*>(shot.data.data()), static_cast<std::streamsize>(shot.data.size()));
}

// How many pixels differ from the most common colour (the dialog's face).
std::size_t DrawnPixels(const Shot& shot)
{
    std::map<uint32_t, std::size_t> colours;
    for (LONG y = 0; y < shot.header.biHeight; ++y)
        for (LONG x = 0; x < shot.header.biWidth; ++x) {
            const uint8_t* p = &shot.data[static_cast<std::size_t>(y) * shot.stride + static_cast<std::size_t>(x) * 3];
            ++colours[static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16)];
        }
    std::size_t face = 0, all = 0;
    for (const auto& [colour, count] : colours) {
        face = std::max(face, count);
        all += count;
    }
    return all - face;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::set<WORD>*>(found)->insert(language);
    return TRUE;
}

TEST(UiTemplates, EveryTemplateComesInTwelveLanguages)
{
    const std::set<WORD> expected = {0x0409, 0x0407, 0x040C, 0x040A, 0x0410, 0x040E,
                                     0x0415, 0x0419, 0x0412, 0x0411, 0x0804, 0x0404};
    for (const wchar_t* name : {L"" LT77_TPL_LAYOUT, L"" LT77_TPL_DOCSETTINGS, L"" LT77_TPL_NVIMAGE,
                                L"" LT77_TPL_BARCODE, L"" LT77_TPL_DITHERING, L"" LT77_TPL_UTILITY,
                                L"" LT77_TPL_LANGUAGE, L"" LT77_TPL_VERSION, L"" LT77_TPL_BARCODE1D,
                                L"" LT77_TPL_BARCODE2D, L"" LT77_TPL_USERPAPER}) {
        std::set<WORD> found;
        ::EnumResourceLanguagesW(::GetModuleHandleW(nullptr), RT_DIALOG, name, CollectLanguage,
                                 reinterpret_cast<LONG_PTR>(&found));
        EXPECT_EQ(found, expected) << std::filesystem::path(name).string();
    }
}

class UiSheetsWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (auto error = lt77::host::CreateQueue(kQueue)) GTEST_SKIP() << "no queue: " << *error;
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(::OpenPrinterW(const_cast<wchar_t*>(kQueueW), &printer_, &access));
        lt77::ui::SetUiModuleInstance(::GetModuleHandleW(nullptr));
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        const lt77::ui::UiSystem& base = lt77::ui::SystemUi();
        system_ = std::make_unique<lt77::ui::UiSystem>(lt77::ui::UiSystem{base.spooler, base.setup, forms_,
                                                                          base.profile, base.codePages, base.files,
                                                                          base.language, base.shell,
                                                                          base.osMajorVersion});
    }
    void TearDown() override
    {
        if (printer_ != nullptr) ::ClosePrinter(printer_);
        ::SetThreadLocale(MAKELCID(0x409, SORT_DEFAULT));
    }

    std::vector<uint8_t> Data(const char* value)
    {
        lt77::PrinterDataValue out;
        if (system_->spooler.GetData(printer_, lt77::kPropertiesKey, value, 4096, out) != 0) return {};
        return out.bytes;
    }
    void SetMisc(std::vector<uint8_t> misc)
    {
        system_->spooler.SetData(printer_, lt77::kPropertiesKey, lt77::kMiscValue, REG_BINARY, misc);
    }

    HANDLE printer_ = nullptr;
    MemoryFormStore forms_;
    std::unique_ptr<lt77::ui::UiSystem> system_;
};

enum { LAYOUT, DOCUMENT, NV_IMAGE, BARCODE, DITHERING, UTILITY };

TEST_F(UiSheetsWine, DocumentSheetWritesWhatItsControlsWereGiven)
{
    forms_.forms = {{u"80 x 3276 mm[LT77]", lt77::FORM_KIND_PRINTER, 72000, 3276000, 0, 0, 72000, 3276000},
                    {u"58 x 3276 mm[LT77]", lt77::FORM_KIND_PRINTER, 52200, 3276000, 0, 0, 52200, 3276000}};
    std::wstring copiesTyped, copiesUp, copiesDown, feedsUp, feedsDown, paperItem;
    BOOL journalViewerBefore = TRUE, journalViewerAfter = FALSE;
    SheetHost(*system_, printer_).Run(true, [&](HWND sheet) {
        HWND page = Page(sheet, LAYOUT);
        Type(page, IDC_LAYOUT_COPIES, L"300");
        Leave(page, IDC_LAYOUT_COPIES);
        copiesTyped = Text(page, IDC_LAYOUT_COPIES);
        Spin(page, IDC_LAYOUT_COPIES_SPIN, true);
        copiesUp = Text(page, IDC_LAYOUT_COPIES);
        Spin(page, IDC_LAYOUT_COPIES_SPIN, false);
        copiesDown = Text(page, IDC_LAYOUT_COPIES);
        Click(page, IDC_LAYOUT_ROTATE_180);
        wchar_t item[64] = {};
        ::SendDlgItemMessageW(page, IDC_LAYOUT_PAPER_SIZE, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
        paperItem = item;

        page = Page(sheet, DOCUMENT);
        Type(page, IDC_DOC_LINE_FEEDS, L"99");
        Spin(page, IDC_DOC_LINE_FEEDS_SPIN, true);
        feedsUp = Text(page, IDC_DOC_LINE_FEEDS);
        Spin(page, IDC_DOC_LINE_FEEDS_SPIN, false);
        feedsDown = Text(page, IDC_DOC_LINE_FEEDS);
        Type(page, IDC_DOC_LINE_FEEDS, L"7");
        Click(page, IDC_DOC_DRAWER + 8);  // open after printing #1
        Type(page, IDC_DOC_DRAWER + 9, L"300");
        Type(page, IDC_DOC_START_DOC, L"<1B>p<0019FA>");

        page = Page(sheet, NV_IMAGE);
        Select(page, IDC_NV_START_DOC, 3);

        page = Page(sheet, BARCODE);
        Select(page, IDC_BC_1D_TYPE, 4);
        Select(page, IDC_BC_1D_FONT, 1, CBN_SELENDOK);

        page = Page(sheet, DITHERING);
        Click(page, IDC_DITHER_GREY);

        page = Page(sheet, UTILITY);
        journalViewerBefore = ::IsWindowEnabled(::GetDlgItem(page, IDC_UTIL_JOURNAL_VIEWER));
        Click(page, IDC_UTIL_JOURNAL);
        journalViewerAfter = ::IsWindowEnabled(::GetDlgItem(page, IDC_UTIL_JOURNAL_VIEWER));

        ::SendMessageW(sheet, PSM_APPLY, 0, 0);
    });

    EXPECT_EQ(copiesTyped, L"255");
    EXPECT_EQ(copiesUp, L"1");
    EXPECT_EQ(copiesDown, L"255");
    EXPECT_EQ(paperItem, L"58 x 3276 mm");
    EXPECT_EQ(feedsUp, L"0");
    EXPECT_EQ(feedsDown, L"0");
    EXPECT_FALSE(journalViewerBefore);
    EXPECT_TRUE(journalViewerAfter);

    const auto misc = Data(lt77::kMiscValue);
    ASSERT_EQ(misc.size(), 44u);
    EXPECT_EQ(misc[lt77::IDX_ROTATION], 2);
    EXPECT_EQ(misc[lt77::IDX_LINE_FEEDS], 7);
    EXPECT_EQ(misc[lt77::IDX_DRAWER1_AFTER], 1);
    EXPECT_EQ(misc[lt77::IDX_DRAWER1_AFTER_PULSE], 22);  // 300 ms: 44 in 8 bits, halved
    EXPECT_EQ(misc[lt77::IDX_STORED_IMAGE_START_DOC], 3);
    EXPECT_EQ(misc[lt77::IDX_GREYSCALE], 1);
    EXPECT_EQ(misc[lt77::IDX_JOURNAL_ON], 1);
    EXPECT_EQ(Data(lt77::kStartDocValue), (std::vector<uint8_t>{0x1B, 0x70, 0x00, 0x19, 0xFA}));
    const auto barcodes = Data(lt77::kBarcodeInfoValue);
    ASSERT_EQ(barcodes.size(), 45u);
    EXPECT_EQ(barcodes[0], 4);  // Code39 folded into Barcode1 when Barcode2 was chosen
    EXPECT_EQ(barcodes[5], 1);  // Barcode2 keeps its own type
}

TEST_F(UiSheetsWine, PaperDialogSavesRefusesAndListsUserForms)
{
    forms_.forms = {{u"80 x 3276 mm[LT77]", lt77::FORM_KIND_PRINTER, 72000, 3276000, 0, 0, 72000, 3276000}};
    std::wstring widthLeft, errorText, listed;
    int layoutItems = 0;
    SheetHost(*system_, printer_).Run(true, [&](HWND sheet) {
        const HWND page = Page(sheet, LAYOUT);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_PAPER_MORE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_LAYOUT_PAPER_MORE)));
        const HWND dialog = WaitForWindow(L"User Defined Paper Size");
        if (dialog == nullptr) return;
        SaveBmp(Capture(dialog), fs::path(LT77_SCREENSHOT_DIR) / "en_user_defined_paper_size.bmp");
        Type(dialog, IDC_PAPER_WIDTH, L"300");
        Leave(dialog, IDC_PAPER_WIDTH);
        widthLeft = Text(dialog, IDC_PAPER_WIDTH);

        // The default name is refused with a message box, answered here.
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PAPER_SAVE, BN_CLICKED), 0);
        if (const HWND box = WaitForWindow(L"Error")) {
            HWND label = nullptr;
            while ((label = ::FindWindowExW(box, label, L"Static", nullptr)) != nullptr) {
                wchar_t text[128] = {};
                ::GetWindowTextW(label, text, 128);
                if (text[0] != 0) errorText = text;
            }
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 100 && ::IsWindow(box); ++i) ::Sleep(50);
        }

        ::SetDlgItemTextW(dialog, IDC_PAPER_NAME, L"Label");
        ::SetDlgItemTextW(dialog, IDC_PAPER_WIDTH, L"80.0");
        ::SetDlgItemTextW(dialog, IDC_PAPER_LENGTH, L"100.0");
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PAPER_SAVE, BN_CLICKED), 0);
        wchar_t item[64] = {};
        ::SendDlgItemMessageW(dialog, IDC_PAPER_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
        listed = item;
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PAPER_CLOSE, BN_CLICKED), 0);
        for (int i = 0; i < 100 && ::IsWindow(dialog); ++i) ::Sleep(50);
        layoutItems = static_cast<int>(::SendDlgItemMessageW(page, IDC_LAYOUT_PAPER_SIZE, CB_GETCOUNT, 0, 0));
    });

    EXPECT_EQ(widthLeft, L"210.0");
    EXPECT_EQ(errorText, L"This paper name can not be registered.");
    EXPECT_EQ(listed, L"Label");
    ASSERT_EQ(forms_.forms.size(), 2u);
    EXPECT_EQ(forms_.forms[1].name, u"Label[LT77]");
    EXPECT_EQ(forms_.forms[1].kind, lt77::FORM_KIND_USER);
    EXPECT_EQ(forms_.forms[1].widthUm, 72000);
    EXPECT_EQ(forms_.forms[1].lengthUm, 100000);
    EXPECT_EQ(layoutItems, 2);
}

TEST_F(UiSheetsWine, BarcodeDialogsKeepTheirRangesAndWriteTheEntries)
{
    std::wstring width1dUp, height1dLeft, qrSizeLeft, qrSizeUp, stepDown, stepDownAgain;
    BOOL radiosAtNone = TRUE, radiosAtTop = FALSE, pdfColumnsEnabled = TRUE;
    const fs::path folder = LT77_SCREENSHOT_DIR;
    SheetHost(*system_, printer_).Run(true, [&](HWND sheet) {
        const HWND page = Page(sheet, BARCODE);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BC_1D_PROPERTIES, BN_CLICKED), 0);
        if (const HWND dialog = WaitForWindow(L"Barcode Setting")) {
            SaveBmp(Capture(dialog), folder / "en_barcode_setting.bmp");
            Type(dialog, IDC_BC1_WIDTH, L"6");
            Spin(dialog, IDC_BC1_WIDTH_SPIN, true);
            width1dUp = Text(dialog, IDC_BC1_WIDTH);
            Type(dialog, IDC_BC1_HEIGHT, L"0");
            Leave(dialog, IDC_BC1_HEIGHT);
            height1dLeft = Text(dialog, IDC_BC1_HEIGHT);
            radiosAtNone = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_BC1_FONT_B));
            Select(dialog, IDC_BC1_HRI_POSITION, 3);
            radiosAtTop = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_BC1_FONT_B));
            Click(dialog, IDC_BC1_FONT_B);
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 100 && ::IsWindow(dialog); ++i) ::Sleep(50);
        }
        // 2D-Code1 is a PDF417 entry by default, 2D-Code2 a QR Code one.
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BC_2D_PROPERTIES, BN_CLICKED), 0);
        if (const HWND dialog = WaitForWindow(L"2D-Code Setting")) {
            Type(dialog, IDC_BC2_PDF_STEP, L"3");
            Spin(dialog, IDC_BC2_PDF_STEP_SPIN, false);
            stepDown = Text(dialog, IDC_BC2_PDF_STEP);
            Spin(dialog, IDC_BC2_PDF_STEP_SPIN, false);
            stepDownAgain = Text(dialog, IDC_BC2_PDF_STEP);
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 100 && ::IsWindow(dialog); ++i) ::Sleep(50);
        }
        Select(page, IDC_BC_2D_FONT, 1, CBN_SELENDOK);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BC_2D_PROPERTIES, BN_CLICKED), 0);
        if (const HWND dialog = WaitForWindow(L"2D-Code Setting")) {
            SaveBmp(Capture(dialog), folder / "en_2d_code_setting.bmp");
            pdfColumnsEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_BC2_PDF_COLUMNS));
            Type(dialog, IDC_BC2_QR_SIZE, L"9");
            Leave(dialog, IDC_BC2_QR_SIZE);
            qrSizeLeft = Text(dialog, IDC_BC2_QR_SIZE);
            Type(dialog, IDC_BC2_QR_SIZE, L"8");
            Spin(dialog, IDC_BC2_QR_SIZE_SPIN, true);
            qrSizeUp = Text(dialog, IDC_BC2_QR_SIZE);
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 100 && ::IsWindow(dialog); ++i) ::Sleep(50);
        }
        ::SendMessageW(sheet, PSM_APPLY, 0, 0);
    });

    EXPECT_EQ(width1dUp, L"2");      // above 6 wraps to 2
    EXPECT_EQ(height1dLeft, L"50");  // 0 is refused: the entry's height comes back
    EXPECT_FALSE(radiosAtNone);
    EXPECT_TRUE(radiosAtTop);
    EXPECT_FALSE(pdfColumnsEnabled);
    EXPECT_EQ(qrSizeLeft, L"3");
    EXPECT_EQ(qrSizeUp, L"1");
    EXPECT_EQ(stepDown, L"0");
    EXPECT_EQ(stepDownAgain, L"90");
    const auto barcodes = Data(lt77::kBarcodeInfoValue);
    ASSERT_EQ(barcodes.size(), 45u);
    EXPECT_EQ(std::vector<uint8_t>(barcodes.begin(), barcodes.begin() + 5), (std::vector<uint8_t>{0, 2, 50, 3, 1}));
    const auto codes = Data(lt77::kCodeDataValue);
    ASSERT_EQ(codes.size(), 160u);
    EXPECT_EQ(std::vector<uint8_t>(codes.begin(), codes.begin() + 12),
              (std::vector<uint8_t>{0, 0, 3, 90, 3, 0, 0, 1, 3, 0, 0, 3}));
    // The QR entry: size 1, and its disabled PDF417 fields written back as they were.
    EXPECT_EQ(std::vector<uint8_t>(codes.begin() + 20, codes.begin() + 32),
              (std::vector<uint8_t>{1, 0, 3, 0, 3, 0, 0, 1, 1, 0, 0, 3}));
}

// The deliverable itself, loaded as the driver core loads it: its own
// templates, procedures and spooler (Wine's, which lists no "[LT77]" form).
TEST_F(UiSheetsWine, PluginLibraryShowsItsPagesThroughTheCoreInterface)
{
    const HMODULE library = ::LoadLibraryW(fs::path(LT77_UILT77_DLL).wstring().c_str());
    ASSERT_NE(library, nullptr);
    void* const entry = reinterpret_cast<void*>(::GetProcAddress(library, "DllGetClassObject"));
    const auto getClassObject = reinterpret_cast<lt77::DllGetClassObjectFn>(entry);
    ASSERT_NE(getClassObject, nullptr);
    lt77::IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(lt77::CLSID_OEMUI, lt77::IID_IClassFactory, reinterpret_cast<void**>(&factory)), 0);
    lt77::IUnknown* object = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, lt77::IID_IUnknown, reinterpret_cast<void**>(&object)), 0);
    lt77::IPrintOemUI* ui = nullptr;
    ASSERT_EQ(object->QueryInterface(lt77::IID_IPrintOemUI, reinterpret_cast<void**>(&ui)), 0);

    std::wstring paperType, languageItem;
    std::size_t drawn = 0;
    SheetHost host(
        [ui](bool documentSheet, lt77::PROPSHEETUI_INFO* info) {
            return documentSheet ? ui->DocumentPropertySheets(info, 0) : ui->DevicePropertySheets(info, 0);
        },
        printer_);
    host.Run(true, [&](HWND sheet) {
        const HWND page = Page(sheet, LAYOUT);
        paperType = Text(page, IDC_LAYOUT_PAPER_TYPE);
        drawn = DrawnPixels(Capture(page));
        SaveBmp(Capture(sheet), fs::path(LT77_SCREENSHOT_DIR) / "dll_en_layout.bmp");
    });
    host.Run(false, [&](HWND sheet) { languageItem = Text(Page(sheet, 0), IDC_LANG_LIST); });
    ui->Release();
    object->Release();
    factory->Release();

    EXPECT_EQ(paperType, L"Receipt");
    EXPECT_EQ(languageItem, L"English");
    EXPECT_GT(drawn, 2000u);
}


// The Utility page's buttons start the operator programs from the driver's
// data folder, by name alone with that folder to work in: the journal viewer
// plainly, the control-code editor with "runas" (the system is version 6 or
// later), each told the printer.
TEST_F(UiSheetsWine, UtilityButtonsStartTheProgramsFromTheDriverFolder)
{
    const std::filesystem::path folder(lt77::DriverDataFolder(system_->files.WindowsFolder()));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    ASSERT_TRUE(::CopyFileW(LT77_JNLVIEWER_EXE, (folder / "JnlViewer.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(LT77_FCAEDITOR_EXE, (folder / "ZozaRurodirA.exe").c_str(), FALSE));
    // The editor opens only with its table there.
    const std::filesystem::path ini = std::filesystem::path(system_->files.PrintProcessorFolder()) / "LT77.ini";
    const bool madeIni = !std::filesystem::exists(ini);
    if (madeIni) std::ofstream(ini, std::ios::binary) << "[ZozaRurodirA]\r\n41=1B40\r\n";
    std::wstring viewerTitle, editorTitle;
    SheetHost(*system_, printer_).Run(true, [&](HWND sheet) {
        const HWND page = Page(sheet, UTILITY);
        for (const auto& [button, caption, title] :
             {std::tuple{IDC_UTIL_JOURNAL_VIEWER, L"Journal Viewer", &viewerTitle},
              std::tuple{IDC_UTIL_FONT_EDITOR, L"ZozaRurodirA Editor", &editorTitle}}) {
            ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(page, button)));
            HWND window = nullptr;
            *title = WaitForTitleStarting(caption, &window);
            if (window == nullptr) continue;
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            for (int i = 0; i < 100 && ::IsWindow(window); ++i) ::Sleep(50);
        }
        ::PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(viewerTitle, L"Journal Viewer (" + std::wstring(kQueueW) + L")");
    EXPECT_TRUE(editorTitle.ends_with(L" (" + std::wstring(kQueueW) + L")")) << std::filesystem::path(editorTitle);
    std::filesystem::remove(folder / "JnlViewer.exe", ec);
    std::filesystem::remove(folder / "ZozaRurodirA.exe", ec);
    if (madeIni) std::filesystem::remove(ini, ec);
}

struct Language {
    const char* name;
    LANGID id;
    uint8_t index;  // settings byte 28
    const wchar_t* documentSettings;  // the caption of that template
};

TEST_F(UiSheetsWine, EveryPageIsDrawnInEveryLanguage)
{
    const Language languages[] = {
        {"en", 0x409, 0, L"Document Settings"},       {"de", 0x407, 1, L"Dokumenteinstellungen"},
        {"fr", 0x40C, 2, L"Paramètres du document"},  {"es", 0x40A, 3, L"Configuración del documento"},
        {"it", 0x410, 4, L"Impostazioni documento"},  {"hu", 0x40E, 5, L"Dokumentumbeállítások"},
        {"pl", 0x415, 5, L"Ustawienia dokumentu"},    {"ja", 0x411, 5, L"ドキュメント設定"},
        {"ko", 0x412, 5, L"문서 설정"},                 {"ru", 0x419, 5, L"Параметры документа"},
        {"zh_cn", 0x804, 5, L"文档设置"},               {"zh_tw", 0x404, 5, L"文件設定"},
    };
    const char* documentPages[] = {"layout", "document", "nv_image", "barcode", "dithering", "utility"};
    const char* devicePages[] = {"language", "version"};
    forms_.forms = {{u"80 x 3276 mm[LT77]", lt77::FORM_KIND_PRINTER, 72000, 3276000, 0, 0, 72000, 3276000}};
    const fs::path folder = LT77_SCREENSHOT_DIR;
    for (const auto& language : languages) {
        SCOPED_TRACE(language.name);
        const auto defaults = lt77::ui::UiDefaultSettings();
        std::vector<uint8_t> misc(defaults.begin(), defaults.end());
        misc[lt77::IDX_UI_LANGUAGE] = language.index;
        SetMisc(misc);
        // English, German, French, Spanish and Italian are the plug-in's
        // own switch on an English system; the index-5 languages follow the
        // system's, which the thread locale stands for here.
        ::SetThreadLocale(MAKELCID(language.index == 5 ? language.id : 0x409, SORT_DEFAULT));
        std::vector<std::pair<std::string, std::size_t>> shots;
        std::wstring secondTab;
        for (const bool documentSheet : {true, false}) {
            SheetHost(*system_, printer_).Run(documentSheet, [&](HWND sheet) {
                const int count = documentSheet ? 6 : 2;
                for (int i = 0; i < count; ++i) {
                    const HWND page = Page(sheet, i);
                    const std::string name = std::string(language.name) + "_" +
                                             (documentSheet ? documentPages[i] : devicePages[i]);
                    SaveBmp(Capture(sheet), folder / (name + ".bmp"));
                    // The page alone: a page that drew nothing is all face.
                    shots.emplace_back(name, DrawnPixels(Capture(page)));
                }
                if (documentSheet) {
                    TCITEMW tab{TCIF_TEXT};
                    wchar_t text[64] = {};
                    tab.pszText = text;
                    tab.cchTextMax = 64;
                    ::SendMessageW(reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0)),
                                   TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&tab));
                    secondTab = text;
                }
            });
        }
        ASSERT_EQ(shots.size(), 8u);
        for (const auto& [name, drawn] : shots) EXPECT_GT(drawn, 2000u) << name << " looks blank";
        // The second page's tab carries its template's own caption.
        EXPECT_EQ(secondTab, std::wstring(language.documentSettings));
    }
}

}  // namespace
