// The status path's readers on the fake system parts the monitor's and the
// status library's tests use: nothing here touches the machine.
#include <cstring>

#include "common/status_record.h"
#include "fuzz/fuzz_reader_bodies.h"
#include "portmon/port_record.h"
#include "portmon/status_thread.h"
#include "statusback/status_code.h"
#include "statusback/status_library.h"
#include "tests/portmon/monitor_fakes.h"
#include "tests/statusback/status_fakes.h"

namespace lt77::fuzz {

void StatusBlock(const uint8_t* data, std::size_t size)
{
    portmon::testing::FakeSystem fake;
    portmon::Monitor monitor(fake.system);
    monitor.traceOn.store(false);
    portmon::IniPort* port = nullptr;
    {
        portmon::SpoolerSectionLock lock(monitor.spoolerSection);
        port = portmon::CreateIniPortEntry(monitor, u"LT-77", u"IP_10.0.0.7");
    }
    if (port == nullptr) __builtin_trap();
    const std::u16string section = StatusSectionName(u"LT-77");
    // Each read: a size byte (1-64), then that many bytes as they came.
    std::size_t at = 0;
    while (at < size) {
        const std::size_t n = std::min<std::size_t>(1 + data[at] % 64, size - at - 1);
        ++at;
        const std::span<const uint8_t> read(data + at, n);
        at += n;
        const BOOL parsed = portmon::ParseCommands(monitor, *port, read);
        if (!parsed) continue;
        const auto record = fake.sharedMemory.Read(section);
        if (!record || record->size() < kStatusRecordBytes) __builtin_trap();
        // The block published is the newest whole one of the read.
        const std::size_t offset = (n > 4 && n % 4 == 0) ? n - 4 : 0;
        if (std::memcmp(record->data(), read.data() + offset, 4) != 0) __builtin_trap();
        stLangMonData published{};
        std::memcpy(&published, record->data(), kStatusRecordBytes);
        if (published.dwPortStatus != port->dwPrinterStatus.load()) __builtin_trap();
        statusback::StatusEvents(statusback::InterpretCommands(published));
    }
}

void SharedRecord(const uint8_t* data, std::size_t size)
{
    stLangMonData record{};
    std::memcpy(&record, data, std::min(size, kStatusRecordBytes));
    statusback::testing::FakeStatusSystem fake;
    statusback::StatusLibrary library(fake.system);
    if (!library.BidiOpenMonPrinter("LT-77")) __builtin_trap();
    fake.sharedMemory.Publish(StatusSectionName(u"LT-77"), record);
    statusback::StatusEvents(library.BidiGetStatus());
    stLangMonData read{};
    if (!library.GetMemoryMappedFileData(read)) return;
    if (std::memcmp(&read, &record, kStatusRecordBytes) != 0) __builtin_trap();
    statusback::DeliveredTracks delivered{};
    for (std::size_t track = 0; track < delivered.size(); ++track) {
        delivered[track] = std::min<DWORD>(read.dwTrackDataCount[track], kTrackDataBytes);
        std::memset(read.byTrackData[track], 0, delivered[track]);
        read.dwTrackDataCount[track] = 0;
    }
    library.ClearMsrDataByMMF(read, delivered);
    // The status part is left as the monitor wrote it.
    const stLangMonData after = fake.sharedMemory.Read(StatusSectionName(u"LT-77"));
    if (std::memcmp(after.byASB, record.byASB, 4) != 0 || after.dwPortStatus != record.dwPortStatus) __builtin_trap();
    library.BidiCloseMonPrinter();
}

}  // namespace lt77::fuzz
