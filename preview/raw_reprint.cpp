#include "preview/raw_reprint.h"

#include "platform/print_documents.h"
#include "platform/spooler.h"

namespace lt77::viewer {
namespace {

DWORD WriteAll(PrintDocuments& documents, HANDLE printer, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        if (const DWORD error = documents.Write(printer, bytes, written)) return error;
        if (written == 0) return 0;
        bytes = bytes.subspan(std::min<std::size_t>(written, bytes.size()));
    }
    return 0;
}

}  // namespace

ReprintResult ReprintRaw(Spooler& spooler, PrintDocuments& documents, std::u16string_view printer,
                         std::u16string_view documentName, std::span<const uint8_t> job)
{
    DWORD error = 0;
    const auto queue = spooler.OpenQueue(printer, PRINTER_READ_USE_RIGHTS, error);
    if (!queue) return {ReprintResult::Stage::OpenPrinter, error};
    const HANDLE handle = queue->Native();
    DWORD jobId = 0;
    if (const DWORD e = documents.StartDoc(handle, DocInfo1{std::u16string(documentName), u"", u"RAW"}, jobId))
        return {ReprintResult::Stage::StartDoc, e};
    documents.StartPage(handle);
    const auto mark = std::span(reinterpret_cast<const uint8_t*>(kReprintMark.data()), kReprintMark.size());
    DWORD writeError = WriteAll(documents, handle, mark);
    if (writeError == 0) writeError = WriteAll(documents, handle, job);
    documents.EndPage(handle);
    documents.EndDoc(handle);
    if (writeError) return {ReprintResult::Stage::Write, writeError};
    return {};
}

}  // namespace lt77::viewer
