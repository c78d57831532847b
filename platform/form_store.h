// The spooler's forms (level 1): name, kind, size and imageable area in
// thousandths of a millimetre. Windows keeps them for the whole machine; the
// Linux host keeps them in one file below its root. Wine keeps no user forms,
// so its tests give a store of their own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/oem/abi_types.h"

namespace lt77 {

inline constexpr DWORD FORM_KIND_USER = 0;
inline constexpr DWORD FORM_KIND_BUILTIN = 1;
inline constexpr DWORD FORM_KIND_PRINTER = 2;
// The spooler's limit on a form name, terminator excluded.
inline constexpr std::size_t kFormNameMaxChars = 31;

struct FormRecord {
    std::u16string name;
    DWORD kind = FORM_KIND_USER;
    LONG widthUm = 0;
    LONG lengthUm = 0;
    LONG left = 0, top = 0, right = 0, bottom = 0;
};

class FormStore {
public:
    virtual ~FormStore() = default;
    // Each returns 0 or the system error. Enumeration keeps the store's order.
    virtual DWORD Enumerate(HANDLE printer, std::vector<FormRecord>& out) = 0;
    virtual DWORD Get(HANDLE printer, std::u16string_view name, FormRecord& out) = 0;
    // Fails (ERROR_FILE_EXISTS) when a form of that name exists.
    virtual DWORD Add(HANDLE printer, const FormRecord& form) = 0;
    virtual DWORD Set(HANDLE printer, std::u16string_view name, const FormRecord& form) = 0;
    virtual DWORD Delete(HANDLE printer, std::u16string_view name) = 0;
};

FormStore& SystemFormStore();

}  // namespace lt77
