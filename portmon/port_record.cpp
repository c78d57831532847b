#include "portmon/port_record.h"

#include <new>

#include "common/ascii_case.h"

#include "platform/process.h"
#include "portmon/channels.h"
#include "portmon/monitor_trace.h"
#include "platform/monitor/monitor_abi.h"

namespace lt77::portmon {
namespace {

bool EndsWithColon(std::u16string_view name) { return !name.empty() && name.back() == u':'; }

void ReleaseJob(Monitor& monitor, JobEntry& job)
{
    if (job.printer) {
        const DWORD error = monitor.sys.ports.SetJobCommand(job.printer->Native(), job.jobId, nullptr,
                                                            mon::JOB_CONTROL_LAST_PAGE_EJECTED);
        if (error != 0) Trace(monitor, "SetJob failed with last error %d \r\n", static_cast<int>(error));
    }
    job.printer.reset();
}

// Releases a detached chain of entries, newest first, without recursion.
void ReleaseChain(Monitor& monitor, std::unique_ptr<JobEntry> chain)
{
    while (chain) {
        ReleaseJob(monitor, *chain);
        chain = std::move(chain->next);
    }
}

}  // namespace

std::u16string IniPort::PrinterName() const
{
    std::lock_guard lock(nameLock_);
    return printerName_;
}

void IniPort::SetPrinterName(std::u16string_view name)
{
    std::lock_guard lock(nameLock_);
    printerName_.assign(name);
}

bool IniPort::HasPrinterName() const
{
    std::lock_guard lock(nameLock_);
    return !printerName_.empty();
}

std::u16string_view WideArg(const WCHAR* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

bool IsNETPort(Monitor& monitor, std::u16string_view portName)
{
    if (StartsWithNoCase(portName, u"IP_")) return true;
    uint32_t address = 0;
    return monitor.sys.sockets.ParseIPv4(portName, address);
}

DWORD GetSupportedPortType(Monitor& monitor, std::u16string_view portName)
{
    if (StartsWithNoCase(portName, u"COM") && EndsWithColon(portName)) return PORT_TYPE_SERIAL;
    if (StartsWithNoCase(portName, u"LPT") && EndsWithColon(portName)) return PORT_TYPE_PARALLEL;
    if (StartsWithNoCase(portName, u"USB")) return PORT_TYPE_USB;
    if (IsNETPort(monitor, portName)) return PORT_TYPE_NETWORK;
    if (StartsWithNoCase(portName, u"FILE")) return PORT_TYPE_FILE;
    return PORT_TYPE_NONE;
}

void CheckInSpoolerSection(Monitor& monitor)
{
    if (monitor.spoolerSection.OwnedByCaller()) return;
    Trace(monitor, "[ERROR] VavEri : Not in spooler critical section !! \r\n");
    Trace(monitor, "        VavEri : Owning Thread ID = 0x%x, Current Thread Id = 0x%x !! \r\n",
          monitor.spoolerSection.OwnerThreadId(), CurrentThreadId());
}

void CheckOutsideSpoolerSection(Monitor& monitor)
{
    if (!monitor.spoolerSection.OwnedByCaller()) return;
    Trace(monitor, "[ERROR] VavEri : Inside spooler critical section !! \r\n");
    Trace(monitor, "        VavEri : Owning Thread ID = 0x%x, Current Thread Id = 0x%x !! \r\n",
          monitor.spoolerSection.OwnerThreadId(), CurrentThreadId());
}

IniPort* FindPort(Monitor& monitor, std::u16string_view portName)
{
    CheckInSpoolerSection(monitor);
    if (portName.empty()) return nullptr;
    for (IniPort* p = monitor.ports.get(); p != nullptr; p = p->next.get())
        if (EqualsNoCase(p->portName, portName)) return p;
    return nullptr;
}

IniPort* CreateIniPortEntry(Monitor& monitor, std::u16string_view printerName,
                            std::u16string_view portName)
{
    CheckInSpoolerSection(monitor);
    const DWORD type = GetSupportedPortType(monitor, portName);
    if (type == PORT_TYPE_NONE) {
        Trace(monitor, "CreateIniPortEntry : THe port-type is an Unknown Port \r\n");
        return nullptr;
    }
    std::unique_ptr<IniPort> port(new (std::nothrow) IniPort);
    if (!port) {
        Trace(monitor, "CreateIniPortEntry : EXIT_FAIL \r\n");
        return nullptr;
    }
    try {
        port->portName.assign(portName);
        port->SetPrinterName(printerName);
    } catch (const std::bad_alloc&) {
        Trace(monitor, "CreateIniPortEntry : EXIT_FAIL \r\n");
        return nullptr;
    }
    port->signature = PJ_SIGNATURE;
    port->cRef = 0;
    port->dwPortType = type;
    port->next = std::move(monitor.ports);
    monitor.ports = std::move(port);
    return monitor.ports.get();
}

void DeletePortEntry(Monitor& monitor, IniPort* port)
{
    CheckInSpoolerSection(monitor);
    std::unique_ptr<IniPort>* slot = &monitor.ports;
    while (*slot && slot->get() != port) slot = &(*slot)->next;
    if (!*slot) {
        Trace(monitor, "DeletePortEntry : the given port can't be found \r\n");
        return;
    }
    std::unique_ptr<IniPort> record = std::move(*slot);
    *slot = std::move(record->next);

    if (record->dwPortType == PORT_TYPE_NETWORK) KelNetCleanup(monitor, *record);
    {
        // Every path here stops the thread first; a thread that ended by
        // itself is joined at once.
        std::lock_guard lock(record->threadLock);
        if (record->hUStatusThread.joinable()) record->hUStatusThread.join();
    }
    {
        SpoolerSectionLock lock(monitor.spoolerSection);
        std::unique_ptr<JobEntry> jobs = std::move(record->jobs);
        while (jobs) jobs = std::move(jobs->next);  // printer handles close with the entries
    }
    record->signature = 0;
}

void FreeJobs(Monitor& monitor, IniPort& port, DWORD jobId)
{
    std::unique_ptr<JobEntry> released;
    {
        SpoolerSectionLock lock(monitor.spoolerSection);
        if (jobId == kAllJobs) {
            released = std::move(port.jobs);
        } else {
            CheckInSpoolerSection(monitor);
            // The oldest registration of the id is the one nearest the tail.
            std::unique_ptr<JobEntry>* found = nullptr;
            for (auto* slot = &port.jobs; *slot; slot = &(*slot)->next)
                if ((*slot)->jobId == jobId) found = slot;
            if (found == nullptr) return;
            released = std::move(*found);
        }
    }
    // SetJob goes to the spooler, which may call back into the monitor: not
    // under the section.
    ReleaseChain(monitor, std::move(released));
}

void VavEriEnterCriticalSection(Monitor& monitor, IniPort& port)
{
    if (port.dwPortType >= PORT_TYPE_SERIAL && port.dwPortType <= PORT_TYPE_NETWORK)
        monitor.typeLocks[port.dwPortType - 1].lock();
}

void VavEriLeaveCriticalSection(Monitor& monitor, IniPort& port)
{
    if (port.dwPortType >= PORT_TYPE_SERIAL && port.dwPortType <= PORT_TYPE_NETWORK)
        monitor.typeLocks[port.dwPortType - 1].unlock();
}

}  // namespace lt77::portmon
