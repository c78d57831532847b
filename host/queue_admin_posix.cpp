#include <cstring>
#include <fstream>

#include "host/queue_admin.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"
#include "platform/typed_value.h"

namespace lt77::host {
namespace fs = std::filesystem;
using posix::StoreError;
using posix::StoreFile;

namespace {

std::optional<std::string> Save(const StoreFile& file, const fs::path& path)
{
    if (!file.Save(path)) return path.string() + ": cannot write the file";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> CreateQueue(std::string_view queue, const QueueSetup& setup)
{
    if (!posix::IsValidQueueName(queue)) return "'" + std::string(queue) + "' is not a valid queue name";
    std::error_code ec;
    fs::remove_all(posix::QueueFolder(queue), ec);
    fs::create_directories(posix::QueueFolder(queue) / "jobs", ec);
    fs::create_directories(posix::QueueFolder(queue) / "spool", ec);
    // A Windows machine has its Windows folder; the driver's data folder
    // below it is the installer's (or the driver's) to make.
    fs::create_directories(posix::MapWindowsPath("C:\\Windows"), ec);
    if (ec) return posix::QueueFolder(queue).string() + ": " + ec.message();
    const std::string text =
        "# A print queue of the LT-77 test host. Printer data values are written\n"
        "# 'binary: 1B 40', 'sz: text' or 'dword: 7'.\n"
        "[Queue]\n"
        "Driver = LT-77\n"
        "Port = " + setup.port + "\n"
        "# Driver-core options the plug-in asks for.\n"
        "InputBin = " + setup.inputBin + "\n"
        "Orientation = " + setup.orientation + "\n"
        "# What OpenPrinter grants the plug-in: full, read-use or none.\n"
        "Access = full\n"
        "# Printer attributes (0x800 bidirectional, 0x1000 raw only).\n"
        "Attributes = " + std::string(setup.bidi ? "0x00000800" : "0x00000000") + "\n"
        "\n"
        "[PrinterData\\DsSpooler]\n"
        "printerName = sz: " + std::string(queue) + "\n";
    auto parsed = StoreFile::Parse(text, posix::PrinterFile(queue).string());
    return Save(std::get<StoreFile>(parsed), posix::PrinterFile(queue));
}

std::optional<std::string> SetPrinterData(std::string_view queue, std::string_view key, std::string_view value,
                                          const PrinterDataValue& data)
{
    auto loaded = posix::LoadQueue(queue);
    if (auto* err = std::get_if<StoreError>(&loaded)) return err->message;
    auto& file = std::get<StoreFile>(loaded);
    file.Set(posix::DataSection(key), value, EncodeTypedValue(data));
    return Save(file, posix::PrinterFile(queue));
}

std::optional<std::string> SetQueueSetting(std::string_view queue, std::string_view name, std::string_view value)
{
    auto loaded = posix::LoadQueue(queue);
    if (auto* err = std::get_if<StoreError>(&loaded)) return err->message;
    auto& file = std::get<StoreFile>(loaded);
    file.Set("Queue", name, value);
    return Save(file, posix::PrinterFile(queue));
}

std::optional<std::string> QueueSetting(std::string_view queue, std::string_view name)
{
    auto loaded = posix::LoadQueue(queue);
    if (std::holds_alternative<StoreError>(loaded)) return std::nullopt;
    return std::get<StoreFile>(loaded).Get("Queue", name);
}

std::variant<std::string, QueueError> DescribeQueue(std::string_view queue)
{
    auto loaded = posix::LoadQueue(queue);
    if (auto* e = std::get_if<StoreError>(&loaded)) return QueueError{e->message};
    return "# " + posix::PrinterFile(queue).string() + "\n" + std::get<StoreFile>(loaded).Serialize();
}

std::optional<std::string> CreateJob(std::string_view queue, DWORD jobId, std::string_view document, int16_t copies)
{
    const auto path = posix::JobFile(queue, jobId);
    const std::string text = "[Job]\nDocument = " + std::string(document) +
                             "\nParameters =\nPosition = 1\nStatus = 0\nTotalPages = 0\nCopies = " +
                             std::to_string(copies) + "\n";
    std::error_code ec;
    fs::remove(posix::SpoolFile(queue, jobId), ec);
    return Save(std::get<StoreFile>(StoreFile::Parse(text, path.string())), path);
}

std::optional<JobRecord> ReadJob(std::string_view queue, DWORD jobId)
{
    posix::CoreQueueHandle handle;
    std::memcpy(handle.queue, queue.data(), std::min(queue.size(), sizeof(handle.queue) - 1));
    JobRecord job;
    posix::PosixSpooler spooler;
    if (spooler.ReadJob(&handle, jobId, job) != 0) return std::nullopt;
    return job;
}

namespace {

class PosixCoreQueue final : public CoreQueue {
public:
    explicit PosixCoreQueue(std::string_view queue)
    {
        std::memcpy(handle_.queue, queue.data(), std::min(queue.size(), sizeof(handle_.queue) - 1));
    }
    HANDLE Handle() override { return &handle_; }

private:
    posix::CoreQueueHandle handle_;
};

}  // namespace

bool HostSpoolerKeepsJobRecords() { return true; }
bool HostQueuesArePlainFiles() { return true; }
bool HostRecordsShellStarts() { return true; }

std::unique_ptr<CoreQueue> OpenCoreQueue(std::string_view queue) { return std::make_unique<PosixCoreQueue>(queue); }

HPALETTE HostGreyPalette()
{
    static posix::PosixPalette palette = [] {
        posix::PosixPalette p;
        p.count = 256;
        for (uint32_t i = 0; i < 256; ++i) {
            const auto v = static_cast<BYTE>(i);
            p.entries[i] = PaletteEntry{v, v, v, 0};
        }
        return p;
    }();
    return &palette;
}

std::string QueueFilePath(std::string_view queue) { return posix::PrinterFile(queue).string(); }

std::string SpoolPath(std::string_view queue, DWORD jobId) { return posix::SpoolFile(queue, jobId).string(); }

std::string HostPathOf(std::string_view windowsPath) { return posix::MapWindowsPath(windowsPath).string(); }

std::vector<std::string> ShellStarts()
{
    std::vector<std::string> lines;
    std::ifstream in(posix::HostRoot() / "host" / "shell-starts.log");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace lt77::host
