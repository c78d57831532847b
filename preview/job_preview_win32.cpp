// JobPreview.exe: the preview program's window on the preview session
// (preview/preview_session.h), which decides what is shown and printed.
#include "platform/files.h"
#include "platform/print_documents.h"
#include "platform/spooler.h"
#include "platform/temporary_folder.h"
#include "preview/preview_session.h"
#include "preview/program_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <optional>

namespace {

namespace viewer = lt77::viewer;
namespace program = lt77::program;
using lt77::program::Wide;

// Every start counts itself here; the section is shared by all processes of
// this program, so a second start sees the first.
volatile ::LONG g_instances __attribute__((section(".shared"), shared)) = 0;

constexpr UINT WM_SHOW_AGAIN = WM_USER + 1;
constexpr int ID_LIST = 100, ID_FRAME = 101, ID_PRINT = 102, ID_CLOSE = 103, ID_ZOOM_IN = 104, ID_ZOOM_OUT = 105,
              ID_ON_TOP = 106;
constexpr wchar_t kMainClass[] = L"LT77JobPreview";
constexpr wchar_t kFrameClass[] = L"LT77JobPreviewFrame";

struct Window {
    std::unique_ptr<viewer::PreviewSession> session;
    HWND main = nullptr, list = nullptr, frame = nullptr, zoomIn = nullptr, zoomOut = nullptr, onTop = nullptr;
    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
    HDC memory = nullptr;
    int bitmapWidth = 0, bitmapHeight = 0;
    bool nothingToShow = true;
    viewer::ViewLayout layout;
};
Window g;

void UpdateZoomButtons()
{
    ::EnableWindow(g.zoomIn, g.session->ZoomState().CanZoomIn());
    ::EnableWindow(g.zoomOut, g.session->ZoomState().CanZoomOut());
}

void HideBars()
{
    ::ShowScrollBar(g.frame, SB_BOTH, FALSE);
    g.layout = {};
}

void SetBar(int bar, const viewer::ScrollAxis& axis)
{
    ::ShowScrollBar(g.frame, bar, axis.visible);
    if (!axis.visible) return;
    SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_POS | SIF_PAGE, 0, axis.maximum, 0, axis.position, 0};
    ::SetScrollInfo(g.frame, bar, &info, TRUE);
}

void DropBitmap()
{
    if (g.bitmap) ::DeleteObject(g.bitmap);
    g.bitmap = nullptr;
    g.nothingToShow = true;
}

// Print ends the program whatever happens.
void Print()
{
    const int index = ListView_GetNextItem(g.list, -1, LVNI_SELECTED);
    const viewer::PreviewPrinted printed = g.session->Print(index < 0 ? 0 : index);
    if (!printed.message.empty()) program::Message(g.main, printed.message, viewer::kPreviewTitle);
    ::DestroyWindow(g.main);
}

void ShowJob(int index, bool again)
{
    const viewer::PreviewShown shown = g.session->Show(index, again);
    switch (shown.kind) {
    case viewer::PreviewShown::Kind::Nothing: return;
    case viewer::PreviewShown::Kind::Message: program::Message(g.main, shown.message, viewer::kPreviewTitle); return;
    case viewer::PreviewShown::Kind::PrintNow:
        DropBitmap();
        HideBars();
        ::InvalidateRect(g.frame, nullptr, TRUE);
        Print();
        return;
    case viewer::PreviewShown::Kind::Picture: break;
    }
    DropBitmap();
    HideBars();
    if (!shown.bitmapPath.empty())
        g.bitmap = static_cast<HBITMAP>(::LoadImageW(nullptr, Wide(shown.bitmapPath).c_str(), IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!g.bitmap) {
        ::InvalidateRect(g.frame, nullptr, TRUE);
        return;
    }
    BITMAP info{};
    ::GetObjectW(g.bitmap, sizeof(info), &info);
    g.bitmapWidth = info.bmWidth;
    g.bitmapHeight = info.bmHeight;
    ::SelectObject(g.memory, g.bitmap);
    g.nothingToShow = false;
    RECT client{};
    ::GetClientRect(g.frame, &client);
    g.layout = viewer::LayoutView(g.bitmapWidth, g.bitmapHeight, client.right, client.bottom,
                                  ::GetSystemMetrics(SM_CYHSCROLL), true);
    SetBar(SB_HORZ, g.layout.horizontal);
    SetBar(SB_VERT, g.layout.vertical);
    ::InvalidateRect(g.frame, nullptr, TRUE);
}

void Scroll(int bar, viewer::ScrollAction action, int thumb = 0)
{
    viewer::ScrollAxis& axis = bar == SB_HORZ ? g.layout.horizontal : g.layout.vertical;
    axis.Apply(action, viewer::kPreviewSteps, thumb);
    ::SetScrollPos(g.frame, bar, axis.position, TRUE);
    ::InvalidateRect(g.frame, nullptr, FALSE);
}

std::optional<viewer::ScrollAction> ActionOf(WPARAM code)
{
    switch (LOWORD(code)) {
    case SB_LINEUP: return viewer::ScrollAction::LineBack;
    case SB_LINEDOWN: return viewer::ScrollAction::LineForward;
    case SB_PAGEUP: return viewer::ScrollAction::PageBack;
    case SB_PAGEDOWN: return viewer::ScrollAction::PageForward;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return viewer::ScrollAction::Thumb;
    default: return std::nullopt;
    }
}

void Zoom(bool in)
{
    if (in)
        g.session->ZoomState().In();
    else
        g.session->ZoomState().Out();
    UpdateZoomButtons();
    ::InvalidateRect(g.frame, nullptr, FALSE);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(hwnd, &paint);
        RECT client{};
        ::GetClientRect(hwnd, &client);
        ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        if (!g.nothingToShow) {
            const int tenths = g.session->ZoomState().Tenths();
            const viewer::ViewLayout& v = g.layout;
            ::SetStretchBltMode(dc, COLORONCOLOR);
            ::StretchBlt(dc, v.offsetX, v.offsetY, v.viewWidth, v.viewHeight, g.memory, v.horizontal.position,
                         v.vertical.position, v.viewWidth * tenths / 10, v.viewHeight * tenths / 10, SRCCOPY);
        }
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (const auto action = ActionOf(wParam))
            Scroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, *action, HIWORD(wParam));
        return 0;
    default: return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void FillList()
{
    g.session->ListJobs();
    program::FillFileList(g.list, g.session->Jobs());
}

void Create(HWND hwnd)
{
    g.main = hwnd;
    g.font = program::Font(L"Verdana", 13);
    g.list = program::CreateFileList(hwnd, 10, 10, 660, 110, ID_LIST, g.font);
    g.frame = program::Child(hwnd, kFrameClass, L"", WS_BORDER | WS_HSCROLL | WS_VSCROLL, 10, 130, 660, 380, ID_FRAME,
                             nullptr);
    program::Child(hwnd, L"BUTTON", L"Print (&P)", BS_PUSHBUTTON | WS_TABSTOP, 10, 520, 110, 28, ID_PRINT, g.font);
    program::Child(hwnd, L"BUTTON", L"Close (&C)", BS_PUSHBUTTON | WS_TABSTOP, 130, 520, 110, 28, ID_CLOSE, g.font);
    g.zoomIn = program::Child(hwnd, L"BUTTON", L"+", BS_PUSHBUTTON, 260, 520, 40, 28, ID_ZOOM_IN, g.font);
    g.zoomOut = program::Child(hwnd, L"BUTTON", L"-", BS_PUSHBUTTON, 310, 520, 40, 28, ID_ZOOM_OUT, g.font);
    g.onTop = program::Child(hwnd, L"BUTTON", L"Always on Top", BS_AUTOCHECKBOX, 370, 520, 150, 28, ID_ON_TOP, g.font);
    const HDC screen = ::GetDC(hwnd);
    g.memory = ::CreateCompatibleDC(screen);
    ::ReleaseDC(hwnd, screen);
    ::SetWindowTextW(hwnd, Wide(viewer::PreviewWindowTitle(g.session->Target().printerName)).c_str());
    Button_SetCheck(g.onTop, BST_CHECKED);
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HideBars();
    UpdateZoomButtons();
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: Create(hwnd); return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_PRINT: Print(); return 0;
        case ID_CLOSE: ::DestroyWindow(hwnd); return 0;
        case ID_ZOOM_IN: Zoom(true); return 0;
        case ID_ZOOM_OUT: Zoom(false); return 0;
        case ID_ON_TOP:
            ::SetWindowPos(hwnd, Button_GetCheck(g.onTop) == BST_CHECKED ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == ID_LIST && header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) ShowJob(change->iItem, false);
        }
        return 0;
    }
    case WM_SHOW_AGAIN: ShowJob(ListView_GetNextItem(g.list, -1, LVNI_SELECTED), true); return 0;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// The keys work wherever the focus is in the window.
bool HandleKey(const MSG& msg)
{
    if (msg.message == WM_KEYDOWN) {
        if (msg.wParam == '1' || msg.wParam == VK_OEM_PLUS) {
            if (g.session->ZoomState().CanZoomIn()) Zoom(true);
            return true;
        }
        if (msg.wParam == '2' || msg.wParam == VK_OEM_MINUS) {
            if (g.session->ZoomState().CanZoomOut()) Zoom(false);
            return true;
        }
    }
    if (msg.message == WM_SYSKEYDOWN && (msg.wParam == 'P' || msg.wParam == 'C')) {
        ::PostMessageW(g.main, WM_COMMAND, msg.wParam == 'P' ? ID_PRINT : ID_CLOSE, 0);
        return true;
    }
    if (msg.message == WM_MOUSEWHEEL && g.layout.vertical.visible) {
        Scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(msg.wParam) > 0 ? viewer::ScrollAction::WheelForward
                                                              : viewer::ScrollAction::WheelBack);
        return true;
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show)
{
    const std::string line = program::Utf8(commandLine ? commandLine : L"");
    if (line.empty()) {
        program::Message(nullptr, viewer::kPreviewNoCommandLine, viewer::kPreviewTitle);
        return 1;
    }
    if (::InterlockedIncrement(&g_instances) > 1) {
        program::HandOver(viewer::PreviewHandOverTitles(line), WM_SHOW_AGAIN);
        return 0;
    }
    auto target = viewer::PreviewTargetFor(line, lt77::SystemFileSystem().WindowsFolder());
    g.session = std::make_unique<viewer::PreviewSession>(
        viewer::ViewerSystem{lt77::SystemFileSystem(), lt77::SystemTemporaryFolder(), lt77::SystemSpooler(), lt77::SystemPrintDocuments()},
        *target);

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    program::RegisterWindowClass(instance, kFrameClass, FrameProc, /*paintsItself=*/true);
    program::RegisterWindowClass(instance, kMainClass, MainProc);
    const HWND window = program::ShowMainWindow(instance, kMainClass, viewer::kPreviewTitle, 700, 600, show);
    if (!window) return 1;
    FillList();
    program::RunMessageLoop([](MSG& msg) { return HandleKey(msg); });
    DropBitmap();
    return 0;
}
