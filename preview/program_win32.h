// What the three Windows programs (JobPreview, JnlViewer, the control-code
// editor) share at their entry points: text conversion, the single-instance
// hand-over, window classes, the main window, the message loop, child
// windows, message boxes and the list of files. Included only by the programs'
// Windows entry files (*_win32.cpp), which are allowed the system headers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/utf.h"

#include <windows.h>

#include <commctrl.h>

namespace lt77::program {

inline std::wstring Wide(std::string_view utf8)
{
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

inline std::string Utf8(std::wstring_view wide)
{
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

// A second start hands over to the running program: the first window found
// by one of the titles, in order, is sent `message` (0: none), restored when
// minimised and its last active pop-up brought to the front.
inline void HandOver(const std::vector<std::string>& titles, UINT message)
{
    for (const std::string& title : titles) {
        const HWND running = ::FindWindowW(nullptr, Wide(title).c_str());
        if (!running) continue;
        if (message) ::PostMessageW(running, message, 0, 0);
        if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
        ::SetForegroundWindow(::GetLastActivePopup(running));
        return;
    }
}

inline HWND Child(HWND parent, const wchar_t* windowClass, const wchar_t* text, ::DWORD style, int x, int y, int w,
                  int h, int id, HFONT font, ::DWORD exStyle = 0)
{
    const HWND child = ::CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                         nullptr);
    if (child && font) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return child;
}

inline void Message(HWND owner, std::string_view text, std::string_view caption)
{
    ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), MB_OK);
}

inline HFONT Font(const wchar_t* face, int height, int weight = FW_NORMAL)
{
    return ::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

// A window class of the program, with the arrow cursor; the dialog face
// as background unless the class paints all of itself.
inline void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, bool paintsItself = false)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    if (!paintsItself) wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
}

// The program's one top-level window: fixed size, no maximising; shown.
inline HWND ShowMainWindow(HINSTANCE instance, const wchar_t* windowClass, std::string_view title, int width,
                           int height, int show)
{
    const HWND window = ::CreateWindowExW(0, windowClass, Wide(title).c_str(),
                                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                          CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
    if (window) ::ShowWindow(window, show);
    return window;
}

// Runs until the program quits. Each message is first offered to handled
// (keyboard navigation, accelerators), which returns true for one it took.
template <class Handled>
void RunMessageLoop(Handled&& handled)
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (handled(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The list view of files: single selection, whole rows, and the columns
// Date, Time and Path, the path taking what the other two leave.
inline HWND CreateFileList(HWND parent, int x, int y, int width, int height, int id, HFONT font)
{
    const HWND list = Child(parent, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER |
                            WS_TABSTOP, x, y, width, height, id, font);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    RECT r{};
    ::GetClientRect(list, &r);
    const int sixth = r.right / 6;
    const wchar_t* names[] = {L"Date", L"Time", L"Path"};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_CENTER;
        column.cx = i < 2 ? sixth : r.right - 2 * sixth;
        column.pszText = const_cast<wchar_t*>(names[i]);
        ListView_InsertColumn(list, i, &column);
    }
    return list;
}

// Shows the files (each with its date, time and path) in a three-column
// list view and selects the first, with the focus on the list. False when
// there are none.
template <class Files>
bool FillFileList(HWND list, const Files& files)
{
    ListView_DeleteAllItems(list);
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::wstring date = Wide(files[i].date), time = Wide(files[i].time), path = Wide(files[i].path);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = date.data();
        ListView_InsertItem(list, &item);
        ListView_SetItemText(list, static_cast<int>(i), 1, time.data());
        ListView_SetItemText(list, static_cast<int>(i), 2, path.data());
    }
    if (files.empty()) return false;
    ::SetFocus(list);
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list, 0);
    return true;
}

}  // namespace lt77::program
