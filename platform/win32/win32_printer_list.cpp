#include <vector>

#include "platform/printer_list.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <winspool.h>

namespace lt77::win32 {
namespace {

class Win32PrinterList final : public PrinterList {
public:
    DWORD EnumLocalPrinters(std::vector<PrinterInfo>& out) override
    {
        out.clear();
        std::vector<BYTE> buffer;
        ::DWORD needed = 0, returned = 0;
        // The list may grow between the size query and the read: ask again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.empty() ? nullptr : buffer.data(),
                                static_cast<::DWORD>(buffer.size()), &needed, &returned)) {
                const auto* infos = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
                for (::DWORD i = 0; i < returned; ++i) out.push_back(PrinterInfoFromLevel2(&infos[i]));
                return 0;
            }
            const DWORD error = static_cast<DWORD>(::GetLastError());
            if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
                return error != 0 ? error : syserr::kInvalidParameter;
            buffer.assign(needed, 0);
        }
        return syserr::kInsufficientBuffer;
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

PrinterList& SystemPrinterList()
{
    static win32::Win32PrinterList list;
    return list;
}

}  // namespace lt77
