#include "ui/win32/dialog_helpers.h"

#include "ui/property_sheets.h"

namespace lt77::ui::win32 {

std::u16string ControlText(::HWND dialog, int id)
{
    const ::HWND control = ::GetDlgItem(dialog, id);
    if (control == nullptr) return {};
    const int length = ::GetWindowTextLengthW(control);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = ::GetWindowTextW(control, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void SetControlText(::HWND dialog, int id, std::u16string_view text)
{
    const std::u16string terminated(text);
    ::SetDlgItemTextW(dialog, id, Wide(terminated));
}

void ReplaceControlText(::HWND dialog, int id, std::u16string_view text)
{
    if (ControlText(dialog, id) != text) SetControlText(dialog, id, text);
}

void LimitText(::HWND dialog, int id, int chars)
{
    ::SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(chars), 0);
}

void FillComboBox(::HWND dialog, int id, const std::vector<std::u16string>& items, int sel)
{
    ::SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
    for (const auto& item : items)
        ::SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
    ::SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(sel), 0);
}

int ComboSelection(::HWND dialog, int id)
{
    return static_cast<int>(::SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

bool IsChecked(::HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(::HWND dialog, int id, bool checked)
{
    ::CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int RadioIndex(::HWND dialog, int firstId, int count)
{
    for (int i = 0; i < count; ++i)
        if (IsChecked(dialog, firstId + i)) return i;
    return -1;
}

void SetRadioIndex(::HWND dialog, int firstId, int count, int index)
{
    for (int i = 0; i < count; ++i) SetChecked(dialog, firstId + i, i == index);
}

void EnableControl(::HWND dialog, int id, bool enabled)
{
    if (const ::HWND control = ::GetDlgItem(dialog, id)) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

void PrepareSpin(::HWND dialog, int id)
{
    ::SendDlgItemMessageW(dialog, id, UDM_SETRANGE32, 0, 10000);
    ::SendDlgItemMessageW(dialog, id, UDM_SETPOS32, 0, 5000);
}

INT_PTR NotifyResult(::HWND dialog, LONG_PTR result)
{
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

void MarkPageChanged(::HWND page)
{
    ::SendMessageW(::GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

INT_PTR RunModalDialog(::HWND owner, const char16_t* templateName, DLGPROC procedure, LPARAM parameter)
{
    const auto module = static_cast<::HINSTANCE>(UiModuleInstance());
    return ::DialogBoxParamW(module, Wide(templateName), owner, procedure, parameter);
}

PageContext* ContextFromPageInit(LPARAM lParam)
{
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    return page == nullptr ? nullptr : reinterpret_cast<PageContext*>(page->lParam);
}

}  // namespace lt77::ui::win32
