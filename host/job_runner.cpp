#include "host/job_runner.h"

#include "common/utf.h"

namespace lt77::host {

JobResult RunJob(LoadedPlugin& plugin, const JobSpec& spec)
{
    JobResult result;
    if (auto err = CreateJob(spec.queue, spec.jobId, Utf16ToUtf8(spec.document), spec.copies)) {
        result.error = *err;
        return result;
    }
    HostCore core;
    core.policy = spec.policy;
    if (auto bin = QueueSetting(spec.queue, "InputBin")) core.options["InputBin"] = *bin;
    if (auto orientation = QueueSetting(spec.queue, "Orientation")) core.options["Orientation"] = *orientation;
    result.spoolPath = SpoolPath(spec.queue, spec.jobId);
    core.spoolFile = result.spoolPath;

    DeviceSetup setup;
    setup.queue = spec.queue;
    setup.copies = spec.copies;
    setup.bitsPerPixel = spec.bitsPerPixel;
    DeviceContext dc(plugin.Plugin(), core, setup);
    if (dc.PublishAndEnableDriver() != hr::kOk) {
        result.error = "the plug-in refused PublishDriverInterface or EnableDriver";
        return result;
    }
    if (dc.EnablePDEV() != hr::kOk) {
        result.error = "EnablePDEV failed";
        return result;
    }
    dc.StartDoc(spec.document, spec.jobId);
    dc.Command(1);
    for (int page = 0; page < spec.pages; ++page) {
        dc.Command(2);
        if (spec.drawPage) spec.drawPage(dc, page);
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
