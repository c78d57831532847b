#include "portmon/shared_record.h"

#include <cstring>

#include "common/status_record.h"
#include "platform/system_error.h"
#include "portmon/monitor_trace.h"

namespace lt77::portmon {

std::unique_ptr<SharedSection> CreateMemoryMappedFiles(Monitor& monitor, IniPort& port)
{
    DWORD error = 0;
    // The whole record, so that the status library's view of it maps.
    auto section = monitor.sys.sharedMemory.CreateStatusSection(StatusSectionName(port.PrinterName()),
                                                                static_cast<DWORD>(kStatusRecordBytes), error);
    if (!section)
        Trace(monitor, "CreateMemoryMappedFiles : Could not create file mapping object (%d). \r\n",
              static_cast<int>(error));
    return section;
}

BOOL SetASBDataAndPortStatusByMMF(Monitor& monitor, IniPort& port, const uint8_t* block, DWORD portStatus)
{
    const std::u16string printer = port.PrinterName();
    std::lock_guard lock(monitor.sectionsLock);
    auto found = monitor.sections.find(printer);
    if (found == monitor.sections.end()) {
        auto section = CreateMemoryMappedFiles(monitor, port);
        if (!section) return kBoolFalse;
        found = monitor.sections.emplace(printer, std::move(section)).first;
    }
    auto view = found->second->Map(true, static_cast<DWORD>(kStatusRecordBytes));
    if (!view || view->Bytes().size() < kPortStatusOffset + 4) {
        Trace(monitor, "SetASBDataAndPortStatusByMMF : Could not map view of file (%d). \r\n",
              static_cast<int>(LastSystemError()));
        monitor.sections.erase(found);
        return kBoolFalse;
    }
    uint8_t* record = view->Bytes().data();
    if (block != nullptr) std::memcpy(record + kStatusBlockOffset, block, 4);
    const uint8_t status[4] = {static_cast<uint8_t>(portStatus), static_cast<uint8_t>(portStatus >> 8),
                               static_cast<uint8_t>(portStatus >> 16), static_cast<uint8_t>(portStatus >> 24)};
    std::memcpy(record + kPortStatusOffset, status, sizeof(status));
    return kBoolTrue;
}

}  // namespace lt77::portmon
