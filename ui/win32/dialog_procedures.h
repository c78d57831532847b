// The dialog procedures of uilt77's eight pages and three modal dialogs.
// Each keeps to the window: it reads the controls into the page logic's
// state, calls the logic and writes the controls back.
#pragma once

#include "ui/property_sheets.h"  // before the system headers: see dialog_helpers.h

#include <windows.h>

namespace lt77::ui::win32 {

INT_PTR CALLBACK DlgLayoutProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgDocSettingsProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgNVImageProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgBarcodeSettingsProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgDitherProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgUtilityProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgLanguageProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgAboutProc(::HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Modal dialogs; their parameter is the opening page's PageContext
// ("User Defined Paper Size") or the entry copy ("Barcode Setting",
// "2D-Code Setting").
INT_PTR CALLBACK DlgUserDefinedPaper(::HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Dlg1dCodePropertyProc(::HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Dlg2dCodePropertyProc(::HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lt77::ui::win32
