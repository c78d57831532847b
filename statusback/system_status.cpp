// The system's own parts for the library of the loaded posstatus.
#include "platform/debug_output.h"
#include "platform/process.h"
#include "statusback/status_library.h"

namespace lt77::statusback {
namespace {

class SleepingPauses final : public Pauses {
public:
    void Pause(DWORD ms) override { SleepMilliseconds(ms); }
};

class DebugOutputTrace final : public StatusTrace {
public:
    void Line(const std::string& line) override { WriteDebugOutput(line); }
};

}  // namespace

StatusSystem& SystemStatusSystem()
{
    static SleepingPauses pauses;
    static DebugOutputTrace trace;
    static StatusSystem system{SystemSpooler(),       SystemPortSpooler(),   SystemPrinterList(),
                               SystemJobList(),       SystemPrintDocuments(), SystemSharedMemory(),
                               SystemCodePages(),     pauses,                trace};
    return system;
}

}  // namespace lt77::statusback
