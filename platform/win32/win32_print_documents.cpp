#include "platform/print_documents.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <winspool.h>

// wingdi.h maps the device-context StartDoc onto StartDocW; ours is the
// interface's method.
#undef StartDoc

namespace lt77::win32 {
namespace {

DWORD Failed()
{
    const DWORD error = static_cast<DWORD>(::GetLastError());
    return error != 0 ? error : syserr::kInvalidParameter;
}

wchar_t* FieldOrNull(std::wstring& text) { return text.empty() ? nullptr : text.data(); }

class Win32PrintDocuments final : public PrintDocuments {
public:
    DWORD StartDoc(HANDLE printer, const DocInfo1& doc, DWORD& jobId) override
    {
        std::wstring name = WideFromU16(doc.documentName), output = WideFromU16(doc.outputFile),
                     dataType = WideFromU16(doc.dataType);
        DOC_INFO_1W info{FieldOrNull(name), FieldOrNull(output), FieldOrNull(dataType)};
        jobId = static_cast<DWORD>(::StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&info)));
        return jobId != 0 ? 0 : Failed();
    }

    DWORD StartPage(HANDLE printer) override { return ::StartPagePrinter(printer) ? 0 : Failed(); }

    DWORD Write(HANDLE printer, std::span<const uint8_t> bytes, DWORD& written) override
    {
        ::DWORD taken = 0;
        const BOOL ok = ::WritePrinter(printer, const_cast<uint8_t*>(bytes.data()),
                                       static_cast<::DWORD>(bytes.size()), &taken);
        written = static_cast<DWORD>(taken);
        return ok ? 0 : Failed();
    }

    DWORD Read(HANDLE printer, std::span<uint8_t> buffer, DWORD& read) override
    {
        ::DWORD got = 0;
        const BOOL ok = ::ReadPrinter(printer, buffer.data(), static_cast<::DWORD>(buffer.size()), &got);
        read = static_cast<DWORD>(got);
        return ok ? 0 : Failed();
    }

    DWORD EndPage(HANDLE printer) override { return ::EndPagePrinter(printer) ? 0 : Failed(); }

    DWORD EndDoc(HANDLE printer) override { return ::EndDocPrinter(printer) ? 0 : Failed(); }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

PrintDocuments& SystemPrintDocuments()
{
    static win32::Win32PrintDocuments documents;
    return documents;
}

}  // namespace lt77
