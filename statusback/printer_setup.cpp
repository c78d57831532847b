// What the library asks of the printer's queue: bidirectional communication
// on, so that the monitor's status thread runs, and the retry count the
// queue's port calls for.
#include <vector>

#include "platform/monitor/monitor_abi.h"
#include "statusback/status_library.h"

namespace lt77::statusback {

void StatusLibrary::EnableBidiCommunication()
{
    const std::u16string queue = QueueName();
    // An empty name would open the print server itself.
    if (queue.empty()) return;
    DWORD error = 0;
    const auto printer = sys_.spooler.OpenQueue(queue, PRINTER_ALL_ACCESS_RIGHTS, error);
    if (!printer) return;
    DWORD attributes = 0;
    if (sys_.ports.GetPrinterAttributes(printer->Native(), attributes) != 0) return;
    const bool wasOn = (attributes & mon::PRINTER_ATTRIBUTE_ENABLE_BIDI) != 0;
    if (!wasOn) {
        const DWORD setError = sys_.ports.SetPrinterAttributes(
            printer->Native(), attributes | mon::PRINTER_ATTRIBUTE_ENABLE_BIDI | mon::PRINTER_ATTRIBUTE_RAW_ONLY);
        if (setError != 0) Trace("EnableBidiCommunication : SetPrinter failed. (%d)", static_cast<int>(setError));
    }
    // A serial printer's monitor takes longer to publish its first status.
    PrinterInfo info;
    if (sys_.spooler.ReadPrinterInfo(printer->Native(), info) == 0)
        retryCount_.store(info.portName.find(u"COM") != std::u16string::npos ? kSerialRecordRetries : kRecordRetries);
    if (wasOn) return;
    // Queued jobs open the port themselves; a document of ours would wait behind them.
    if (GetJobCountExisting(printer->Native()) > 0) return;
    SendInitializeDocument(printer->Native());
}

// An empty raw document makes the spooler open the port through the
// monitor, which starts the port's status thread; the pause gives it time
// to publish the first status.
void StatusLibrary::SendInitializeDocument(HANDLE printer)
{
    DWORD jobId = 0;
    const DWORD error = sys_.documents.StartDoc(printer, DocInfo1{u"Initialize", u"", u"RAW"}, jobId);
    if (error != 0) {
        Trace("EnableBidiCommunication : StartDocPrinter failed. (%d)", static_cast<int>(error));
        return;
    }
    sys_.documents.StartPage(printer);
    uint8_t answer[kInitializeReadBytes] = {};
    DWORD read = 0;
    const DWORD readError = sys_.documents.Read(printer, answer, read);
    Trace("EnableBidiCommunication : ReadPrinter (%d), %u bytes", static_cast<int>(readError),
          static_cast<unsigned>(read));
    sys_.documents.EndPage(printer);
    sys_.documents.EndDoc(printer);
    sys_.pauses.Pause(kPortOpenPauseMs);
}

int StatusLibrary::GetJobCountExisting(HANDLE printer)
{
    if (printer == nullptr) return -1;
    std::vector<DWORD> ids;
    if (sys_.jobs.EnumJobIds(printer, 0, kMaxJobsCounted, ids) != 0) return 0;
    return static_cast<int>(ids.size());
}

}  // namespace lt77::statusback
