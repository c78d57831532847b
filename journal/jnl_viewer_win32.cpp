// JnlViewer.exe: the journal viewer's window and search dialog on the
// journal session (journal/journal_session.h).
#include "journal/journal_session.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/print_documents.h"
#include "platform/spooler.h"
#include "platform/temporary_folder.h"
#include "preview/program_win32.h"
#include "preview/view_state.h"

#include <commctrl.h>

#include <memory>
#include <optional>

namespace {

namespace viewer = lt77::viewer;
namespace journal = lt77::journal;
namespace program = lt77::program;
using lt77::program::Wide;

// Shared by every process of this program: a second start sees the first.
volatile ::LONG g_instances __attribute__((section(".shared"), shared)) = 0;

constexpr int ID_LIST = 100, ID_PICTURE = 101, ID_HBAR = 102, ID_VBAR = 103, ID_PRINT = 104, ID_SEARCH = 105;
constexpr int ID_FIELD0 = 200;  // six fields: start month, day, year, end month, day, year
constexpr wchar_t kMainClass[] = L"LT77JnlViewer";
constexpr wchar_t kPictureClass[] = L"LT77JnlPicture";
constexpr wchar_t kSearchClass[] = L"LT77JnlSearch";
constexpr int kPictureWidth = 400, kPictureHeight = 420;

struct Window {
    std::unique_ptr<journal::JournalSession> session;
    HWND main = nullptr, list = nullptr, picture = nullptr, hbar = nullptr, vbar = nullptr;
    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
    HDC memory = nullptr;
    viewer::ViewLayout layout;
    bool noPicture = true;
};
Window g;

void SetBar(HWND bar, const viewer::ScrollAxis& axis)
{
    ::ShowWindow(bar, axis.visible ? SW_SHOW : SW_HIDE);
    SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_POS, 0, axis.maximum, 0, axis.position, 0};
    ::SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

void ClearPicture()
{
    if (g.bitmap) ::DeleteObject(g.bitmap);
    g.bitmap = nullptr;
    g.noPicture = true;
    g.layout = {};
    SetBar(g.hbar, g.layout.horizontal);
    SetBar(g.vbar, g.layout.vertical);
    ::InvalidateRect(g.picture, nullptr, TRUE);
}

void Select(int index)
{
    const journal::JournalShown shown = g.session->Select(index);
    if (shown.kind == journal::JournalShown::Kind::Nothing) return;
    if (shown.kind == journal::JournalShown::Kind::Message) {
        program::Message(g.main, shown.message, journal::kJournalCaption);
        return;
    }
    ClearPicture();
    if (shown.kind != journal::JournalShown::Kind::Picture) return;
    g.bitmap = static_cast<HBITMAP>(::LoadImageW(nullptr, Wide(shown.bitmapPath).c_str(), IMAGE_BITMAP, 0, 0,
                                                 LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!g.bitmap) return;
    BITMAP info{};
    ::GetObjectW(g.bitmap, sizeof(info), &info);
    ::SelectObject(g.memory, g.bitmap);
    g.noPicture = false;
    g.layout = viewer::LayoutView(info.bmWidth, info.bmHeight, kPictureWidth, kPictureHeight, 0, false);
    SetBar(g.hbar, g.layout.horizontal);
    SetBar(g.vbar, g.layout.vertical);
    ::InvalidateRect(g.picture, nullptr, TRUE);
}

void FillList()
{
    if (!program::FillFileList(g.list, g.session->Journals())) ClearPicture();
}

void Print()
{
    const std::string message = g.session->Print(ListView_GetNextItem(g.list, -1, LVNI_SELECTED));
    if (!message.empty()) program::Message(g.main, message, journal::kJournalCaption);
    ::SetFocus(g.list);
}

// The search dialog: a modal pop-up of its own, each field checked when it
// loses the focus.
struct Search {
    HWND dialog = nullptr;
    HWND fields[6] = {};
    bool done = false;
    bool checking = false;
};
Search s;

constexpr journal::SearchField kFields[6] = {journal::SearchField::StartMonth, journal::SearchField::StartDay,
                                             journal::SearchField::StartYear,  journal::SearchField::EndMonth,
                                             journal::SearchField::EndDay,     journal::SearchField::EndYear};

int CheckField(int i)
{
    wchar_t text[16] = {};
    ::GetWindowTextW(s.fields[i], text, 16);
    const journal::FieldCheck check = journal::CheckSearchField(kFields[i], program::Utf8(text), lt77::SystemClock().Now());
    if (check.message && !s.checking) {
        s.checking = true;
        ::SetWindowTextW(s.fields[i], std::to_wstring(check.value).c_str());
        program::Message(s.dialog, *check.message, journal::kJournalCaption);
        s.checking = false;
    }
    return check.value;
}

LRESULT CALLBACK SearchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= ID_FIELD0 && id < ID_FIELD0 + 6 && HIWORD(wParam) == EN_KILLFOCUS) {
            CheckField(id - ID_FIELD0);
            return 0;
        }
        if (id == IDOK) {
            int v[6];
            for (int i = 0; i < 6; ++i) v[i] = CheckField(i);
            g.session->Search(journal::SearchRange{{v[1], v[0], v[2]}, {v[4], v[3], v[5]}});
            s.done = true;
            FillList();
            return 0;
        }
        if (id == IDCANCEL) {
            s.done = true;
            return 0;
        }
        break;
    }
    case WM_CLOSE: s.done = true; return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void RunSearch()
{
    s = {};
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(g.main, GWLP_HINSTANCE));
    s.dialog = ::CreateWindowExW(WS_EX_DLGMODALFRAME, kSearchClass, Wide(journal::kJournalCaption).c_str(),
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 200, 200, 340, 220, g.main, nullptr,
                                 instance, nullptr);
    program::Child(s.dialog, L"BUTTON", L"Search Options", BS_GROUPBOX, 10, 5, 310, 120, 0, g.font);
    program::Child(s.dialog, L"STATIC", L"Month / Day / Year", 0, 110, 25, 200, 18, 0, g.font);
    const journal::SearchRange& range = g.session->Range();
    const int values[6] = {range.start.month, range.start.day, range.start.year,
                           range.end.month,   range.end.day,   range.end.year};
    for (int row = 0; row < 2; ++row) {
        program::Child(s.dialog, L"STATIC", row == 0 ? L"Start date:" : L"End date:", 0, 20, 50 + row * 35, 85, 20, 0,
                       g.font);
        for (int col = 0; col < 3; ++col) {
            const int i = row * 3 + col;
            s.fields[i] = program::Child(s.dialog, L"EDIT", std::to_wstring(values[i]).c_str(),
                                         WS_BORDER | WS_TABSTOP | ES_NUMBER, 110 + col * 65, 48 + row * 35,
                                         col == 2 ? 70 : 50, 22, ID_FIELD0 + i, g.font);
        }
    }
    program::Child(s.dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 130, 140, 85, 28, IDOK, g.font);
    program::Child(s.dialog, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 230, 140, 85, 28, IDCANCEL, g.font);
    ::EnableWindow(g.main, FALSE);
    ::SetFocus(s.fields[0]);
    MSG msg;
    while (!s.done && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(s.dialog, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::EnableWindow(g.main, TRUE);
    ::DestroyWindow(s.dialog);
    ::SetForegroundWindow(g.main);
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(hwnd, &paint);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (!g.noPicture)
        ::BitBlt(dc, g.layout.offsetX, g.layout.offsetY, client.right, client.bottom, g.memory,
                 g.layout.horizontal.position, g.layout.vertical.position, SRCCOPY);
    ::EndPaint(hwnd, &paint);
    return 0;
}

void Scroll(HWND bar, WPARAM code)
{
    viewer::ScrollAxis& axis = bar == g.hbar ? g.layout.horizontal : g.layout.vertical;
    viewer::ScrollAction action;
    switch (LOWORD(code)) {
    case SB_LINEUP: action = viewer::ScrollAction::LineBack; break;
    case SB_LINEDOWN: action = viewer::ScrollAction::LineForward; break;
    case SB_PAGEUP: action = viewer::ScrollAction::PageBack; break;
    case SB_PAGEDOWN: action = viewer::ScrollAction::PageForward; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: action = viewer::ScrollAction::Thumb; break;
    default: return;
    }
    axis.Apply(action, viewer::kJournalSteps, HIWORD(code));
    ::SetScrollPos(bar, SB_CTL, axis.position, TRUE);
    ::InvalidateRect(g.picture, nullptr, FALSE);
}

void Create(HWND hwnd)
{
    g.main = hwnd;
    g.font = program::Font(L"MS Shell Dlg", 13);
    program::Child(hwnd, L"BUTTON", L"Preview", BS_GROUPBOX, 10, 5, kPictureWidth + 40, kPictureHeight + 50, 0, g.font);
    g.picture = program::Child(hwnd, kPictureClass, L"", WS_BORDER, 20, 25, kPictureWidth, kPictureHeight, ID_PICTURE,
                               nullptr);
    g.vbar = program::Child(hwnd, L"SCROLLBAR", L"", SBS_VERT, 22 + kPictureWidth, 25, 16, kPictureHeight, ID_VBAR, nullptr);
    g.hbar = program::Child(hwnd, L"SCROLLBAR", L"", SBS_HORZ, 20, 27 + kPictureHeight, kPictureWidth, 16, ID_HBAR, nullptr);
    g.list = program::CreateFileList(hwnd, kPictureWidth + 60, 10, 420, kPictureHeight + 10, ID_LIST, g.font);
    program::Child(hwnd, L"BUTTON", L"Print", BS_PUSHBUTTON | WS_TABSTOP, kPictureWidth + 60, kPictureHeight + 30, 100, 28,
                   ID_PRINT, g.font);
    program::Child(hwnd, L"BUTTON", L"Search", BS_PUSHBUTTON | WS_TABSTOP, kPictureWidth + 170, kPictureHeight + 30, 100,
                   28, ID_SEARCH, g.font);
    const HDC screen = ::GetDC(hwnd);
    g.memory = ::CreateCompatibleDC(screen);
    ::ReleaseDC(hwnd, screen);
    ::ShowWindow(g.hbar, SW_HIDE);
    ::ShowWindow(g.vbar, SW_HIDE);
    ::SetWindowTextW(hwnd, Wide(journal::JournalWindowTitle(g.session->Target().printerName)).c_str());
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: Create(hwnd); return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_PRINT) Print();
        if (LOWORD(wParam) == ID_SEARCH) RunSearch();
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: Scroll(reinterpret_cast<HWND>(lParam), wParam); return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == ID_LIST && header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) Select(change->iItem);
        }
        return 0;
    }
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show)
{
    const std::string line = program::Utf8(commandLine ? commandLine : L"");
    if (::InterlockedIncrement(&g_instances) > 1) {
        program::HandOver(journal::JournalHandOverTitles(line), 0);
        return 0;
    }
    const auto target = journal::JournalTargetFor(line, lt77::SystemFileSystem().WindowsFolder());
    if (!target) {
        program::Message(nullptr, journal::kJournalNoCommandLine, journal::kJournalCaption);
        return 1;
    }
    g.session = std::make_unique<journal::JournalSession>(
        viewer::ViewerSystem{lt77::SystemFileSystem(), lt77::SystemTemporaryFolder(), lt77::SystemSpooler(), lt77::SystemPrintDocuments()},
        *target, lt77::SystemClock().Now());

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    program::RegisterWindowClass(instance, kMainClass, MainProc);
    program::RegisterWindowClass(instance, kPictureClass, PictureProc);
    program::RegisterWindowClass(instance, kSearchClass, SearchProc);
    const HWND window = program::ShowMainWindow(instance, kMainClass, journal::kJournalCaption, 920, 540, show);
    if (!window) return 1;
    g.session->ListAll();
    FillList();
    program::RunMessageLoop([&](MSG& msg) { return ::IsDialogMessageW(window, &msg) != FALSE; });
    return 0;
}
