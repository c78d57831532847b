// A monitor on fake system parts, with a lower monitor to open ports on.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "portmon/job_path.h"
#include "platform/oem/abi_types.h"
#include "portmon/port_record.h"
#include "tests/portmon/monitor_fakes.h"

namespace lt77::portmon::testing {

class MonitorTest : public ::testing::Test {
protected:
    explicit MonitorTest(bool realTime = false) : fakes_(realTime), monitor_(fakes_.system)
    {
        fakes_.spooler.printer.printerName = u"LT-77";
        // Without a real-time clock a status thread would spin: it ends at
        // its first poll, where the printer's information cannot be read.
        if (!realTime) fakes_.ports.getPrinterError = syserr::kAccessDenied;
    }

    // Waits for the port's status thread to end (it ends by itself here),
    // and leaves the port as if it were still polling, so that the test
    // makes the polls and no thread starts again.
    void Settle(IniPort* port)
    {
        {
            std::lock_guard lock(port->threadLock);
            if (port->hUStatusThread.joinable()) port->hUStatusThread.join();
        }
        port->Set(PP_THREAD_CREATED);
    }

    // Opens a port of the lower monitor; null when the monitor refuses.
    IniPort* Open(std::u16string port, std::u16string printer = u"LT-77")
    {
        HANDLE handle = nullptr;
        if (!VaveriOpenPortEx(monitor_, lower_.Handle(), port.c_str(), printer.c_str(), &handle, &lower_.table))
            return nullptr;
        return static_cast<IniPort*>(handle);
    }

    BOOL StartDoc(IniPort* port, DWORD jobId, std::u16string printer = u"LT-77")
    {
        fakes_.ports.AddJob(jobId);
        static WCHAR name[] = u"receipt";
        mon::DOC_INFO_1W info{name, nullptr, nullptr};
        return VaveriStartDocPort(monitor_, port, printer.c_str(), jobId, 1, reinterpret_cast<BYTE*>(&info));
    }

    BOOL Write(IniPort* port, const std::vector<uint8_t>& bytes, DWORD& written)
    {
        return VaveriWritePort(monitor_, port, bytes.data(), static_cast<DWORD>(bytes.size()), &written);
    }

    FakeSystem fakes_;
    FakeLowerMonitor lower_;
    Monitor monitor_;
};

// The same with pauses that really wait, for tests where the status thread runs.
class RunningMonitorTest : public MonitorTest {
protected:
    RunningMonitorTest() : MonitorTest(true) {}
};

std::vector<uint8_t> Pattern(size_t n);

}  // namespace lt77::portmon::testing
