#include "host/spooler_host.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "common/utf.h"
#include "host/lower_monitor.h"
#include "host/monitor_registry.h"
#include "platform/library.h"
#include "platform/posix/queue_store.h"
#include "platform/posix/store_file.h"
#include "platform/serial_port.h"
#include "platform/system_error.h"
#include "platform/tcp_socket.h"
#include "platform/typed_value.h"

namespace lt77::host {
namespace {

namespace fs = std::filesystem;
using posix::StoreError;
using posix::StoreFile;

using InitializeFn = mon::MONITOR2* (*)(mon::MONITORINIT*, HANDLE*);

fs::path HostFolder() { return posix::HostRoot() / "host"; }
fs::path PortSettingsFile() { return HostFolder() / "port-settings.ini"; }
fs::path MonitorKeyFile() { return HostFolder() / "monitor-registry.ini"; }

StoreFile LoadOrEmpty(const fs::path& path)
{
    auto loaded = StoreFile::Load(path);
    if (auto* file = std::get_if<StoreFile>(&loaded)) return std::move(*file);
    return std::get<StoreFile>(StoreFile::Parse("", path.string()));
}

std::optional<unsigned long> ParseNumber(const std::string& text)
{
    try {
        size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used != text.size()) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

PortSettings SettingsOf(std::u16string_view port)
{
    const StoreFile file = LoadOrEmpty(PortSettingsFile());
    const std::string section = Utf16ToUtf8(port);
    PortSettings settings;
    if (auto v = file.Get(section, "HostAddress")) settings.hostAddress = Utf8ToUtf16(*v);
    if (auto v = file.Get(section, "PortNumber")) settings.portNumber = static_cast<DWORD>(ParseNumber(*v).value_or(9100));
    if (auto v = file.Get(section, "ParallelStatus")) {
        const auto n = ParseNumber(*v);
        settings.parallelStatus = n ? std::optional<uint8_t>(static_cast<uint8_t>(*n)) : std::nullopt;
    }
    if (auto v = file.Get(section, "DeviceId")) settings.deviceId = *v;
    std::string folderName = section;
    std::replace(folderName.begin(), folderName.end(), ':', '_');
    settings.outputFolder = file.Get(section, "OutputFolder").value_or("C:\\spool\\" + folderName);
    return settings;
}

MonitorRegistry::Values LoadMonitorKey()
{
    MonitorRegistry::Values values;
    const StoreFile file = LoadOrEmpty(MonitorKeyFile());
    for (const auto& name : file.Keys("Monitor")) {
        auto decoded = DecodeTypedValue(file.Get("Monitor", name).value_or(""));
        if (auto* v = std::get_if<PrinterDataValue>(&decoded))
            values[Utf8ToUtf16(name)] = MonitorRegistry::Value{v->type, v->bytes};
    }
    return values;
}

void SaveMonitorKey(const MonitorRegistry::Values& values)
{
    StoreFile file = LoadOrEmpty(MonitorKeyFile());
    for (const auto& [name, value] : values)
        file.Set("Monitor", Utf16ToUtf8(name), EncodeTypedValue(PrinterDataValue{value.type, value.bytes}));
    fs::create_directories(HostFolder());
    file.Save(MonitorKeyFile());
}

struct PendingJob {
    unsigned id = 0;
    std::string document;
};

// Jobs the plug-in has finished spooling, oldest first.
std::vector<PendingJob> SpooledJobs(const std::string& queue)
{
    std::vector<PendingJob> jobs;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(posix::QueueFolder(queue) / "jobs", ec)) {
        if (entry.path().extension() != ".ini") continue;
        const auto id = ParseNumber(entry.path().stem().string());
        if (!id) continue;
        auto loaded = StoreFile::Load(entry.path());
        if (!std::holds_alternative<StoreFile>(loaded)) continue;
        const auto& file = std::get<StoreFile>(loaded);
        if (file.Get("Job", "Spooled").value_or("0") != "1") continue;
        jobs.push_back({static_cast<unsigned>(*id), file.Get("Job", "Document").value_or("")});
    }
    std::sort(jobs.begin(), jobs.end(), [](const PendingJob& a, const PendingJob& b) { return a.id < b.id; });
    return jobs;
}

bool JobInQueue(const std::string& queue, unsigned id) { return fs::exists(posix::JobFile(queue, id)); }

struct OpenQueue {
    std::string name;
    std::u16string wideName;
    std::u16string port;
    HANDLE handle = nullptr;
    std::set<unsigned> done;
};

class Spooler {
public:
    Spooler(mon::MONITOR2& monitor, LowerMonitor& lower, const SpoolerHostOptions& options, std::ostream& out)
        : monitor_(monitor), lower_(lower), options_(options), out_(out)
    {
    }

    // The queue's file and port, read when the host starts so that a
    // misspelt queue stops it at once.
    bool Load(OpenQueue& queue, std::ostream& err)
    {
        auto loaded = posix::LoadQueue(queue.name);
        if (auto* e = std::get_if<StoreError>(&loaded)) {
            err << "lt77host: " << e->message << '\n';
            return false;
        }
        queue.port = Utf8ToUtf16(std::get<StoreFile>(loaded).Get("Queue", "Port").value_or("FILE:"));
        queue.wideName = Utf8ToUtf16(queue.name);
        return true;
    }

    // Opens the port as the Windows spooler does, at the queue's first job,
    // and keeps it open (its status thread running) until the host stops.
    bool Open(OpenQueue& queue, std::ostream& err)
    {
        std::u16string port = queue.port, printer = queue.wideName;
        if (!monitor_.pfnOpenPortEx(nullptr, lower_.Handle(), port.data(), printer.data(), &queue.handle,
                                    lower_.Table())) {
            queue.handle = nullptr;
            err << "lt77host: the monitor did not open port " << Utf16ToUtf8(queue.port) << " of " << queue.name
                << " (error " << LastSystemError() << ")\n";
            return false;
        }
        out_ << "opened " << Utf16ToUtf8(queue.port) << " for " << queue.name << std::endl;
        return true;
    }

    // Sends what is waiting; true when something was left for later.
    // False in `opened` when the port of a queue with work could not be opened.
    bool SendPending(OpenQueue& queue, bool& opened, std::ostream& err)
    {
        bool waiting = false;
        opened = true;
        for (const PendingJob& job : SpooledJobs(queue.name)) {
            if (queue.done.count(job.id) != 0) continue;
            if (queue.handle == nullptr && !(opened = Open(queue, err))) return true;
            if (!Send(queue, job)) waiting = true;
        }
        return waiting;
    }

    void Close(OpenQueue& queue)
    {
        if (queue.handle == nullptr) return;
        monitor_.pfnClosePort(queue.handle);
        queue.handle = nullptr;
        out_ << "closed " << Utf16ToUtf8(queue.port) << std::endl;
    }

private:
    // False when the job stays in the queue for another try.
    bool Send(OpenQueue& queue, const PendingJob& job)
    {
        std::u16string document = Utf8ToUtf16(job.document), datatype = u"RAW";
        mon::DOC_INFO_1W info{document.data(), nullptr, datatype.data()};
        std::u16string printer = queue.wideName;
        if (!monitor_.pfnStartDocPort(queue.handle, printer.data(), job.id, 1, reinterpret_cast<BYTE*>(&info))) {
            const DWORD error = LastSystemError();
            if (!JobInQueue(queue.name, job.id)) {
                queue.done.insert(job.id);
                out_ << "job " << job.id << ": refused by the monitor (error " << error
                     << "), deleted from the queue" << std::endl;
                return true;
            }
            return false;
        }
        std::ifstream in(posix::SpoolFile(queue.name, job.id), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t sent = 0;
        bool failed = false;
        while (sent < bytes.size() && JobInQueue(queue.name, job.id)) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(options_.writeBytes, bytes.size() - sent));
            DWORD written = 0;
            if (!monitor_.pfnWritePort(queue.handle, bytes.data() + sent, chunk, &written)) {
                failed = true;
                break;
            }
            sent += std::min<DWORD>(written, chunk);
        }
        monitor_.pfnEndDocPort(queue.handle);
        queue.done.insert(job.id);
        if (failed || sent < bytes.size())
            out_ << "job " << job.id << ": " << sent << " of " << bytes.size()
                 << " bytes sent, then the job was deleted" << std::endl;
        else
            out_ << "job " << job.id << ": " << sent << " bytes sent to " << Utf16ToUtf8(queue.port) << std::endl;
        return true;
    }

    mon::MONITOR2& monitor_;
    LowerMonitor& lower_;
    const SpoolerHostOptions& options_;
    std::ostream& out_;
};

}  // namespace

void SetPortSetting(const std::string& port, const std::string& key, const std::string& value)
{
    StoreFile file = LoadOrEmpty(PortSettingsFile());
    file.Set(port, key, value);
    fs::create_directories(HostFolder());
    file.Save(PortSettingsFile());
}

void MarkJobSpooled(const std::string& queue, unsigned jobId)
{
    const fs::path path = posix::JobFile(queue, jobId);
    auto loaded = StoreFile::Load(path);
    if (auto* file = std::get_if<StoreFile>(&loaded)) {
        file->Set("Job", "Spooled", "1");
        file->Save(path);
    }
}

std::string DescribePortStatus(const std::string& port)
{
    const StoreFile file = LoadOrEmpty(HostFolder() / "ports.ini");
    const auto status = file.Get(port, "Status");
    if (!status) return "none reported";
    return *status + " severity " + file.Get(port, "Severity").value_or("0");
}

std::vector<std::string> DescribeJobs(const std::string& queue)
{
    std::vector<std::string> lines;
    std::error_code ec;
    std::vector<std::pair<unsigned, std::string>> jobs;
    for (const auto& entry : fs::directory_iterator(posix::QueueFolder(queue) / "jobs", ec)) {
        const auto id = ParseNumber(entry.path().stem().string());
        auto loaded = StoreFile::Load(entry.path());
        if (!id || !std::holds_alternative<StoreFile>(loaded)) continue;
        const auto& file = std::get<StoreFile>(loaded);
        jobs.emplace_back(static_cast<unsigned>(*id), "job " + std::to_string(*id) + " \"" +
                                                         file.Get("Job", "Document").value_or("") + "\" status " +
                                                         file.Get("Job", "Status").value_or("0") +
                                                         (file.Get("Job", "Spooled") == "1" ? " spooled" : " spooling"));
    }
    std::sort(jobs.begin(), jobs.end());
    for (auto& [id, line] : jobs) lines.push_back(std::move(line));
    return lines;
}

int RunSpoolerHost(const SpoolerHostOptions& options, const std::atomic<bool>& stop, std::ostream& out,
                   std::ostream& err)
{
    std::string error;
    auto library = LoadSharedLibrary(options.monitorPath, error);
    if (!library) {
        err << "lt77host: " << error << '\n';
        return 1;
    }
    auto initialize = reinterpret_cast<InitializeFn>(library->Symbol("InitializePrintMonitor2"));
    if (initialize == nullptr) {
        err << "lt77host: " << options.monitorPath << " does not export InitializePrintMonitor2\n";
        return 1;
    }
    MonitorRegistry registry(LoadMonitorKey(), &SaveMonitorKey);
    mon::MONITORINIT init = registry.Init();
    HANDLE hMonitor = nullptr;
    mon::MONITOR2* monitor = initialize(&init, &hMonitor);
    if (monitor == nullptr || monitor->cbSize < sizeof(mon::MONITOR2)) {
        err << "lt77host: the monitor refused to start (error " << LastSystemError() << ")\n";
        return 1;
    }

    LowerMonitor lower({SystemSockets(), SystemSerialDevices(), SystemFileSystem()}, &SettingsOf);
    Spooler spooler(*monitor, lower, options, out);
    std::vector<OpenQueue> queues;
    for (const auto& name : options.queues) queues.push_back(OpenQueue{name, {}, {}, nullptr, {}});
    for (auto& queue : queues)
        if (!spooler.Load(queue, err)) return 1;

    int rc = 0;
    while (!stop.load() && rc == 0) {
        bool waiting = false;
        for (auto& queue : queues) {
            bool opened = true;
            waiting = spooler.SendPending(queue, opened, err) || waiting;
            if (!opened) rc = 1;
        }
        if (options.once && !waiting) break;
        if (rc == 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.pollMs));
    }
    for (auto& queue : queues) spooler.Close(queue);
    return rc;
}

}  // namespace lt77::host
