// A raw document written to a queue through an opened printer handle, as an
// application writes one without a device context: StartDocPrinter level 1,
// pages, WritePrinter and ReadPrinter, EndDocPrinter. One document at a time
// per handle. Windows: the real calls. POSIX: a job in the test host's store,
// jobs/<id>.ini and spool/<id>.prn, marked spooled at its end so that the
// host's spooler sends it through the port monitor.
#pragma once

#include <span>
#include <string>

#include "platform/oem/abi_types.h"

namespace lt77 {

// DOC_INFO_1; an empty field is passed as none.
struct DocInfo1 {
    std::u16string documentName;
    std::u16string outputFile;
    std::u16string dataType;
};

inline constexpr DWORD kErrorInvalidDatatype = 1804;

class PrintDocuments {
public:
    virtual ~PrintDocuments() = default;
    // Each returns the system error (0: done).
    virtual DWORD StartDoc(HANDLE printer, const DocInfo1& doc, DWORD& jobId) = 0;
    virtual DWORD StartPage(HANDLE printer) = 0;
    // `written` is what the spooler took, which may be less than offered.
    virtual DWORD Write(HANDLE printer, std::span<const uint8_t> bytes, DWORD& written) = 0;
    // What the printer sent back, if the port gives anything; `read` may be 0.
    virtual DWORD Read(HANDLE printer, std::span<uint8_t> buffer, DWORD& read) = 0;
    virtual DWORD EndPage(HANDLE printer) = 0;
    virtual DWORD EndDoc(HANDLE printer) = 0;
};

PrintDocuments& SystemPrintDocuments();

}  // namespace lt77
