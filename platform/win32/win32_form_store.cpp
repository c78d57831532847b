// Forms through the spooler's form calls (level 1).
#include <vector>

#include <windows.h>
#include <winspool.h>

#include "platform/form_store.h"
#include "platform/win32/win32_utf.h"

namespace lt77::win32 {
namespace {

DWORD Last()
{
    const ::DWORD e = ::GetLastError();
    return static_cast<DWORD>(e != 0 ? e : ERROR_INVALID_DATA);
}

FormRecord FromInfo(const FORM_INFO_1W& info)
{
    FormRecord f;
    f.name = U16FromField(info.pName);
    f.kind = static_cast<DWORD>(info.Flags);
    f.widthUm = info.Size.cx;
    f.lengthUm = info.Size.cy;
    f.left = info.ImageableArea.left;
    f.top = info.ImageableArea.top;
    f.right = info.ImageableArea.right;
    f.bottom = info.ImageableArea.bottom;
    return f;
}

FORM_INFO_1W ToInfo(const FormRecord& f, std::wstring& name)
{
    name = WideFromU16(f.name);
    FORM_INFO_1W info{};
    info.Flags = f.kind;
    info.pName = name.data();
    info.Size.cx = f.widthUm;
    info.Size.cy = f.lengthUm;
    info.ImageableArea.left = f.left;
    info.ImageableArea.top = f.top;
    info.ImageableArea.right = f.right;
    info.ImageableArea.bottom = f.bottom;
    return info;
}

class Win32FormStore final : public FormStore {
public:
    DWORD Enumerate(HANDLE printer, std::vector<FormRecord>& out) override
    {
        ::DWORD needed = 0, count = 0;
        ::EnumFormsW(printer, 1, nullptr, 0, &needed, &count);
        if (needed == 0) return Last();
        std::vector<BYTE> buffer(needed);
        if (!::EnumFormsW(printer, 1, buffer.data(), needed, &needed, &count)) return Last();
        const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
        out.clear();
        for (::DWORD i = 0; i < count; ++i) out.push_back(FromInfo(forms[i]));
        return 0;
    }

    DWORD Get(HANDLE printer, std::u16string_view name, FormRecord& out) override
    {
        std::wstring wide = WideFromU16(name);
        ::DWORD needed = 0;
        ::GetFormW(printer, wide.data(), 1, nullptr, 0, &needed);
        if (needed == 0) return Last();
        std::vector<BYTE> buffer(needed);
        if (!::GetFormW(printer, wide.data(), 1, buffer.data(), needed, &needed)) return Last();
        out = FromInfo(*reinterpret_cast<const FORM_INFO_1W*>(buffer.data()));
        return 0;
    }

    DWORD Add(HANDLE printer, const FormRecord& form) override
    {
        std::wstring name;
        FORM_INFO_1W info = ToInfo(form, name);
        return ::AddFormW(printer, 1, reinterpret_cast<BYTE*>(&info)) ? 0 : Last();
    }

    DWORD Set(HANDLE printer, std::u16string_view name, const FormRecord& form) override
    {
        std::wstring formName;
        FORM_INFO_1W info = ToInfo(form, formName);
        std::wstring wide = WideFromU16(name);
        return ::SetFormW(printer, wide.data(), 1, reinterpret_cast<BYTE*>(&info)) ? 0 : Last();
    }

    DWORD Delete(HANDLE printer, std::u16string_view name) override
    {
        std::wstring wide = WideFromU16(name);
        return ::DeleteFormW(printer, wide.data()) ? 0 : Last();
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

FormStore& SystemFormStore()
{
    static win32::Win32FormStore store;
    return store;
}

}  // namespace lt77
