// The registry functions the spooler lends a monitor through MONITORINIT,
// as the host plays them: the values of the monitor's key in memory, handed
// to a callback after every change so that the host can keep them.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/monitor/monitor_abi.h"

namespace lt77::host {

class MonitorRegistry {
public:
    struct Value {
        DWORD type = 0;
        std::vector<uint8_t> bytes;
    };
    using Values = std::map<std::u16string, Value>;

    explicit MonitorRegistry(Values values = {}, std::function<void(const Values&)> changed = nullptr);
    MonitorRegistry(const MonitorRegistry&) = delete;
    MonitorRegistry& operator=(const MonitorRegistry&) = delete;

    // A MONITORINIT whose registry root is this object's key.
    mon::MONITORINIT Init();
    Values Snapshot();

    // A non-zero error makes every SetValue fail with it.
    DWORD failSetWith = 0;

    LONG QueryValue(std::u16string_view name, DWORD* type, BYTE* data, DWORD* bytes);
    LONG SetValue(std::u16string_view name, DWORD type, const BYTE* data, DWORD bytes);

private:
    mon::MONITORREG table_{};
    std::mutex mutex_;
    Values values_;
    std::function<void(const Values&)> changed_;
};

}  // namespace lt77::host
