// The control-code editor's window (installed as "ZozaRurodirA.exe", the
// name the utility page starts) on the editor model
// (fcaeditor/control_table.h).
#include "fcaeditor/control_table.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_writer.h"
#include "preview/program_win32.h"

#include <shellapi.h>

namespace {

namespace fcaeditor = lt77::fcaeditor;
namespace program = lt77::program;
using lt77::program::Wide;

// Shared by every process of this program: a second start sees the first.
volatile ::LONG g_instances __attribute__((section(".shared"), shared)) = 0;

constexpr int ID_ROWS = 100, ID_EDIT = 101, ID_APPLY = 102, ID_DELETE = 103, ID_CHAR = 104, ID_CODE = 105;
constexpr wchar_t kMainClass[] = L"LT77FcaEditor";

struct Window {
    fcaeditor::ControlCodeEditor editor;
    std::string iniPath, printerName;
    HWND main = nullptr, rows = nullptr, edit = nullptr, apply = nullptr, character = nullptr, code = nullptr;
    WNDPROC editProc = nullptr;
    HFONT font = nullptr, fixed = nullptr, big = nullptr, medium = nullptr;
};
Window g;

void ShowField()
{
    const fcaeditor::CommandField& field = g.editor.Field();
    ::SetWindowTextW(g.edit, Wide(field.Text()).c_str());
    ::SendMessageW(g.edit, EM_SETSEL, field.Caret(), field.Caret());
    ::EnableWindow(g.apply, g.editor.ApplyEnabled());
}

void ShowRow()
{
    const int current = g.editor.Current();
    ::SendMessageW(g.rows, LB_DELETESTRING, current, 0);
    ::SendMessageW(g.rows, LB_INSERTSTRING, current,
                   reinterpret_cast<LPARAM>(Wide(g.editor.Rows()[current]).c_str()));
    ::SendMessageW(g.rows, LB_SETCURSEL, current, 0);
}

void Select(int index)
{
    g.editor.Select(index);
    const wchar_t character[2] = {static_cast<wchar_t>(static_cast<unsigned char>(g.editor.CurrentChar())), 0};
    ::SetWindowTextW(g.character, character);
    ::SetWindowTextW(g.code, Wide(g.editor.CurrentCode()).c_str());
    ShowField();
}

bool Apply()
{
    if (const auto refused = g.editor.Apply()) {
        program::Message(g.main, *refused, fcaeditor::kEditorCaption);
        return false;
    }
    ShowRow();
    ShowField();
    return true;
}

// The field takes digits only, laid out in pairs by the model.
LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR || (message == WM_KEYDOWN && wParam == VK_DELETE)) {
        ::DWORD start = 0, end = 0;
        ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        g.editor.Field().SetCaret(start);
        if (message == WM_KEYDOWN)
            g.editor.Delete();
        else if (wParam == VK_BACK)
            g.editor.Backspace();
        else if (wParam < 0x80)
            g.editor.Type(static_cast<char>(wParam));
        ShowField();
        return 0;
    }
    return ::CallWindowProcW(g.editProc, hwnd, message, wParam, lParam);
}

void Create(HWND hwnd)
{
    g.main = hwnd;
    g.font = program::Font(L"MS Shell Dlg", 13);
    // Any fixed-pitch face keeps the rows' columns; Wine has no Courier New.
    g.fixed = ::CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, nullptr);
    g.big = program::Font(L"Univers", 60, 700);
    g.medium = program::Font(L"Univers", 25, 700);
    program::Child(hwnd, L"STATIC", L"Char", 0, 10, 8, 50, 16, 0, g.font);
    program::Child(hwnd, L"STATIC", L"Hex", 0, 60, 8, 50, 16, 0, g.font);
    program::Child(hwnd, L"STATIC", L"Command", 0, 110, 8, 100, 16, 0, g.font);
    g.rows = program::Child(hwnd, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | WS_TABSTOP, 10, 26,
                            420, 330, ID_ROWS, g.fixed);
    program::Child(hwnd, L"STATIC", L"Char", 0, 450, 8, 80, 16, 0, g.font);
    g.character = program::Child(hwnd, L"STATIC", L"", SS_CENTER | WS_BORDER, 450, 26, 80, 80, ID_CHAR, g.big);
    program::Child(hwnd, L"STATIC", L"Hex", 0, 540, 8, 80, 16, 0, g.font);
    g.code = program::Child(hwnd, L"STATIC", L"", SS_CENTER | WS_BORDER, 540, 26, 80, 40, ID_CODE, g.medium);
    program::Child(hwnd, L"STATIC", L"Edit", 0, 10, 366, 60, 16, 0, g.font);
    g.edit = program::Child(hwnd, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 10, 384, 610, 24, ID_EDIT, g.fixed);
    g.editProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(g.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
    g.apply = program::Child(hwnd, L"BUTTON", L"Apply", BS_PUSHBUTTON | WS_TABSTOP, 250, 420, 85, 28, ID_APPLY, g.font);
    program::Child(hwnd, L"BUTTON", L"Delete", BS_PUSHBUTTON | WS_TABSTOP, 345, 420, 85, 28, ID_DELETE, g.font);
    program::Child(hwnd, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 440, 420, 85, 28, IDOK, g.font);
    program::Child(hwnd, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 535, 420, 85, 28, IDCANCEL, g.font);
    ::SetWindowTextW(hwnd, Wide(fcaeditor::EditorWindowTitle(g.iniPath, g.printerName)).c_str());

    g.editor.Load(lt77::SystemProfile(), g.iniPath);
    for (const std::string& row : g.editor.Rows())
        ::SendMessageW(g.rows, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row).c_str()));
    ::SendMessageW(g.rows, LB_SETCURSEL, 0, 0);
    Select(0);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: Create(hwnd); return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_ROWS:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                Select(static_cast<int>(::SendMessageW(g.rows, LB_GETCURSEL, 0, 0)));
            return 0;
        case ID_APPLY: Apply(); return 0;
        case ID_DELETE:
            g.editor.DeleteCommands();
            ShowRow();
            ShowField();
            return 0;
        case IDOK:
            if (const auto failed = g.editor.Ok(lt77::SystemProfileWriter(), g.iniPath)) {
                program::Message(hwnd, *failed, fcaeditor::kEditorCaption);
                return 0;
            }
            ::DestroyWindow(hwnd);
            return 0;
        case IDCANCEL: ::DestroyWindow(hwnd); return 0;
        }
        break;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.push_back(program::Utf8(argv[i]));
    if (argv) ::LocalFree(argv);
    const auto printer = fcaeditor::EditorPrinterName(arguments);
    if (!printer) {
        program::Message(nullptr, fcaeditor::kNoParameters, fcaeditor::kEditorCaption);
        return 1;
    }
    g.printerName = *printer;
    g.iniPath = fcaeditor::FindFileAnyCase(
        lt77::SystemFileSystem(), fcaeditor::ControlCodeIniPath(lt77::SystemFileSystem().PrintProcessorFolder(), g.printerName));
    if (::InterlockedIncrement(&g_instances) > 1) {
        program::HandOver(fcaeditor::EditorHandOverTitles(g.iniPath, g.printerName), 0);
        return 0;
    }
    if (!lt77::SystemFileSystem().Exists(g.iniPath)) {
        program::Message(nullptr, fcaeditor::kNoIniFile, fcaeditor::kEditorCaption);
        return 1;
    }
    program::RegisterWindowClass(instance, kMainClass, MainProc);
    const HWND window = program::ShowMainWindow(instance, kMainClass, fcaeditor::kEditorCaption, 650, 500, show);
    if (!window) return 1;
    program::RunMessageLoop([&](MSG& msg) { return ::IsDialogMessageW(window, &msg) != FALSE; });
    return 0;
}
