#include "portmon/monitor.h"

#include "common/driver_paths.h"
#include "platform/process.h"
#include "portmon/port_record.h"
#include "portmon/job_path.h"

namespace lt77::portmon {

void SpoolerSection::Enter()
{
    mutex_.lock();
    if (depth_++ == 0) owner_.store(CurrentThreadId());
}

void SpoolerSection::Leave()
{
    if (--depth_ == 0) owner_.store(0);
    mutex_.unlock();
}

bool SpoolerSection::OwnedByCaller() const { return owner_.load() == CurrentThreadId(); }

Monitor::Monitor(MonitorSystem& system) : sys(system) {}

// Ports the spooler never closed are closed with the monitor, each as the
// spooler would: its thread stopped first, then the lower port, then the record.
Monitor::~Monitor()
{
    for (;;) {
        IniPort* port = nullptr;
        {
            SpoolerSectionLock lock(spoolerSection);
            port = ports.get();
        }
        if (port == nullptr) break;
        VaveriClosePort(*this, port);
    }
}

std::string PrepareTraceFolder(FileSystem& files)
{
    const std::string folder = TraceFolder(files.WindowsFolder());
    return files.MakeFolder(folder) ? folder : std::string();
}

}  // namespace lt77::portmon
