// Small helpers shared by the dialog procedures: control texts as UTF-16,
// lists, check boxes, radio groups, spins, and the per-window page data.
// Every procedure keeps its state in one heap object stored with the window
// (DWLP_USER) and freed at WM_DESTROY, so two sheets open at once never share
// anything but what their PageContext says.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The plug-in's own declarations come before the system headers, whose
// macros (DMORIENT_PORTRAIT and the like) would otherwise rewrite them.
#include "ui/page_context.h"
#include "ui/property_sheets.h"

#include <windows.h>
#include <commctrl.h>

namespace lt77::ui::win32 {

std::u16string ControlText(::HWND dialog, int id);
void SetControlText(::HWND dialog, int id, std::u16string_view text);
// Puts the text back only when it differs, so no change notification is
// sent for a text that stays.
void ReplaceControlText(::HWND dialog, int id, std::u16string_view text);
void LimitText(::HWND dialog, int id, int chars);

void FillComboBox(::HWND dialog, int id, const std::vector<std::u16string>& items, int sel);
int ComboSelection(::HWND dialog, int id);

bool IsChecked(::HWND dialog, int id);
void SetChecked(::HWND dialog, int id, bool checked);
// Radio groups of consecutive identifiers: the selected index, -1 for none.
int RadioIndex(::HWND dialog, int firstId, int count);
void SetRadioIndex(::HWND dialog, int firstId, int count, int index);

void EnableControl(::HWND dialog, int id, bool enabled);

// A spin whose steps the page decides: a wide range with the position in
// the middle, so that both arrows always report a step (UDN_DELTAPOS) and
// the page refuses the control's own change.
void PrepareSpin(::HWND dialog, int id);
// +1 for the up arrow, -1 for the down arrow.
inline int SpinDirection(const NMUPDOWN& change) { return change.iDelta > 0 ? 1 : -1; }

// A dialog procedure's answer to a notification that carries a result.
INT_PTR NotifyResult(::HWND dialog, LONG_PTR result);

// Tells the property sheet that the page has changed (Apply becomes active).
void MarkPageChanged(::HWND page);

// The modal dialogs load their templates from the plug-in's module in the
// language the sheet switched to, as the pages do.
INT_PTR RunModalDialog(::HWND owner, const char16_t* templateName, DLGPROC procedure, LPARAM parameter);

// The page context of a page's WM_INITDIALOG (its PROPSHEETPAGEW).
PageContext* ContextFromPageInit(LPARAM lParam);

template <class Data>
Data* DataOf(::HWND dialog)
{
    return reinterpret_cast<Data*>(::GetWindowLongPtrW(dialog, DWLP_USER));
}

template <class Data>
void AttachData(::HWND dialog, Data* data)
{
    ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
}

template <class Data>
void DetachData(::HWND dialog)
{
    delete DataOf<Data>(dialog);
    ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
}

inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace lt77::ui::win32
