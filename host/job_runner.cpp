#include "host/job_runner.h"

#include "common/utf.h"

namespace lt77::host {

JobResult RunJob(LoadedPlugin& plugin, const JobRequest& request)
{
    JobResult result;
    if (auto err = CreateJob(request.queue, request.jobId, Utf16ToUtf8(request.document), request.copies)) {
        result.error = *err;
        return result;
    }
    HostCore core;
    core.policy = request.policy;
    if (auto bin = QueueSetting(request.queue, "InputBin")) core.options["InputBin"] = *bin;
    if (auto orientation = QueueSetting(request.queue, "Orientation")) core.options["Orientation"] = *orientation;
    result.spoolPath = SpoolPath(request.queue, request.jobId);
    core.spoolFile = result.spoolPath;

    DeviceSetup setup;
    setup.queue = request.queue;
    setup.copies = request.copies;
    setup.bitsPerPixel = request.bitsPerPixel;
    DeviceContext dc(plugin.Plugin(), core, setup);
    if (dc.PublishAndEnableDriver() != hr::kOk) {
        result.error = "the plug-in refused PublishDriverInterface or EnableDriver";
        return result;
    }
    if (dc.EnablePDEV() != hr::kOk) {
        result.error = "EnablePDEV failed";
        return result;
    }
    dc.StartDoc(request.document, request.jobId);
    dc.Command(1);
    for (int page = 0; page < request.pages; ++page) {
        dc.Command(2);
        if (request.drawPage) request.drawPage(dc, page);
        dc.Command(3);
    }
    dc.Command(4);
    dc.EndDoc();
    dc.DisablePDEV();
    plugin.Plugin()->DisableDriver();
    result.ok = true;
    result.spooled = core.spooled;
    result.offers = core.offers;
    return result;
}

}  // namespace lt77::host
