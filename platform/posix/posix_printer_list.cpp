#include <algorithm>
#include <filesystem>

#include "common/utf.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/queue_store.h"
#include "platform/printer_list.h"

namespace lt77::posix {
namespace fs = std::filesystem;
namespace {

class PosixPrinterList final : public PrinterList {
public:
    // Every folder of queues/ with a queue file that loads is a printer; a
    // queue whose file is broken is left out, as the spooler leaves out a
    // printer whose registry entry it cannot read.
    DWORD EnumLocalPrinters(std::vector<PrinterInfo>& out) override
    {
        out.clear();
        const fs::path folder = HostRoot() / "queues";
        std::error_code ec;
        if (!fs::exists(folder, ec)) return ec ? ErrorFromErrno(ec.value()) : 0;
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_directory(ec) && IsValidQueueName(entry.path().filename().string()))
                names.push_back(entry.path().filename().string());
        if (ec) return ErrorFromErrno(ec.value());
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            auto loaded = LoadQueue(name);
            const auto* file = std::get_if<StoreFile>(&loaded);
            if (file == nullptr) continue;
            PrinterInfo info;
            info.printerName = Utf8ToUtf16(name);
            info.portName = Utf8ToUtf16(file->Get("Queue", "Port").value_or("FILE:"));
            info.driverName = Utf8ToUtf16(file->Get("Queue", "Driver").value_or("LT-77"));
            info.printProcessor = u"PRINT PROCESSOR LT-77";
            info.dataType = u"RAW";
            info.attributes = QueueAttributes(*file).value_or(0);
            out.push_back(std::move(info));
        }
        return 0;
    }
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

PrinterList& SystemPrinterList()
{
    static posix::PosixPrinterList list;
    return list;
}

}  // namespace lt77
