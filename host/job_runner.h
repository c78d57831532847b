// Runs whole documents through the rendering plug-in as the driver core
// and the spooler do.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/device_context.h"

namespace lt77::host {

struct JobRequest {
    std::string queue = "LT-77";
    DWORD jobId = 1;
    std::u16string document = u"Receipt";
    int pages = 1;
    int16_t copies = 1;
    ULONG bitsPerPixel = 1;  // of the device, and so of the bands
    SpoolPolicy policy;
    // Called between the start-of-page and end-of-page callbacks to draw or
    // hand over bands (page index from 0).
    std::function<void(DeviceContext&, int page)> drawPage;
};

struct JobResult {
    bool ok = false;
    std::string error;
    DWORD jobId = 0;
    // Journal files (Windows paths) that appeared while the job ran.
    std::vector<std::string> journals;
    std::vector<uint8_t> spooled;
    std::string spoolPath;
    std::vector<DWORD> offers;
};

JobResult RunJob(LoadedPlugin& plugin, const JobRequest& request);

}  // namespace lt77::host
