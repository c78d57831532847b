#include "host/job_runner.h"

#include <map>

#include "common/command_callback_ids.h"
#include "common/utf.h"
#include "platform/files.h"

namespace lt77::host {
namespace {

// Journal paths with their sizes: a job's journal is a new file, or one
// that grew, as two documents in the same second share a name.
std::map<std::string, uint64_t> JournalFiles()
{
    FileSystem& files = SystemFileSystem();
    const std::string folder = DriverDataFolder(files.WindowsFolder());
    std::map<std::string, uint64_t> journals;
    for (const auto& e : files.ListFolder(folder))
        if (!e.isFolder && e.name.ends_with(".jnl")) journals[JoinPath(folder, e.name)] = e.size;
    return journals;
}

}  // namespace

JobResult RunJob(LoadedPlugin& plugin, const JobRequest& request)
{
    JobResult result;
    result.jobId = request.jobId;
    const auto journalsBefore = JournalFiles();
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
    dc.Command(KLW_STARTDOC);
    for (int page = 0; page < request.pages; ++page) {
        dc.Command(KLW_STARTPAGE);
        if (request.drawPage) request.drawPage(dc, page);
        dc.Command(KLW_ENDPAGE);
    }
    dc.Command(KLW_ENDDOC);
    dc.EndDoc();
    dc.DisablePDEV();
    plugin.Plugin()->DisableDriver();
    result.ok = true;
    result.spooled = core.spooled;
    result.offers = core.offers;
    for (const auto& [path, size] : JournalFiles()) {
        const auto before = journalsBefore.find(path);
        if (before == journalsBefore.end() || before->second != size) result.journals.push_back(path);
    }
    return result;
}

}  // namespace lt77::host
