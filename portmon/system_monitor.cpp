#include "platform/process.h"
#include "portmon/monitor.h"

namespace lt77::portmon {
namespace {

class SystemWaits final : public Waits {
public:
    void Pause(DWORD ms) override { SleepMilliseconds(ms); }
};

}  // namespace

MonitorSystem& SystemMonitorSystem()
{
    static SystemWaits waits;
    static MonitorSystem system{SystemSpooler(),   SystemPortSpooler(),  SystemFileSystem(),
                                SystemClock(),     SystemSerialDevices(), SystemSockets(),
                                SystemSharedMemory(), SystemRegistry(),   waits};
    return system;
}

}  // namespace lt77::portmon
