// Calls into the driver core's services interface.
#pragma once

#include <span>
#include <string>

#include "platform/oem/com.h"

namespace lt77 {

struct DriverSettingAnswer {
    bool ok = false;
    std::string text;
    DWORD needed = 0;
    DWORD optionsReturned = 0;
    DWORD error = 0;
};

// Asks the core for an option keyword's current value (answers up to 256 bytes).
DriverSettingAnswer GetDriverSetting(IPrintOemDriverUni* core, PDEVOBJ pdevobj, const char* feature);

// Offers bytes to the spooler once; `written` receives what it took.
bool WriteSpoolBufOnce(IPrintOemDriverUni* core, PDEVOBJ pdevobj, std::span<const uint8_t> bytes,
                       DWORD& written);

}  // namespace lt77
