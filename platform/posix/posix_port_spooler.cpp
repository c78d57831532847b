#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "common/utf.h"
#include "platform/monitor/monitor_abi.h"
#include "platform/port_spooler.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/posix_monitor.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {
namespace fs = std::filesystem;
namespace {

// An exclusive lock on a folder for as long as the object lives, around each
// read-modify-write of a file in it. flock locks belong to the open file
// description, so two threads of one process keep apart as two processes do.
class FolderLock {
public:
    explicit FolderLock(const fs::path& folder)
    {
        std::error_code ec;
        fs::create_directories(folder, ec);
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return;
        int rc = 0;
        while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
        }
        held_ = rc == 0;
    }
    ~FolderLock()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

// One write of the whole line to a file opened for appending, so that lines
// of several writers never mix.
void AppendLine(const fs::path& file, std::string line)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    line.push_back('\n');
    const ssize_t written = ::write(fd, line.data(), line.size());
    static_cast<void>(written);  // the log is a record for people and tests; a short disk loses a line
    ::close(fd);
}

fs::path HostFolder() { return HostRoot() / "host"; }

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(value));
    return text;
}

// A dword written in decimal or, with "0x", in hexadecimal.
std::optional<DWORD> ParseDword(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    DWORD value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The port name is a section header of ports.ini: it must survive as one.
bool IsStorablePortName(std::string_view name)
{
    if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
    return name.find_first_of("[]\r\n") == std::string_view::npos;
}

// The host has one identity; a token only proves that it was handed out and
// is given back once.
struct PrinterSelfToken {
    static constexpr uint32_t kTag = 0x544B374Cu;  // "L7KT"
    uint32_t tag = kTag;
};

class PosixPortSpooler final : public PortSpooler {
public:
    DWORD GetJob1(HANDLE printer, DWORD jobId, JobLevel1& out) override
    {
        const auto queue = QueueOfHandle(printer);
        const std::string call = "GetJob " + queue.value_or("?") + " " + std::to_string(jobId);
        if (!queue) return Finish(call, syserr::kInvalidHandle);
        auto loaded = StoreFile::Load(JobFile(*queue, jobId));
        if (std::holds_alternative<StoreError>(loaded)) return Finish(call, syserr::kInvalidParameter);
        const auto status = ParseDword(std::get<StoreFile>(loaded).Get("Job", "Status").value_or("0"));
        if (!status) return Finish(call, syserr::kInvalidData);
        out = JobLevel1{jobId, *status, nullptr};
        return Finish(call, 0);
    }

    DWORD SetJobCommand(HANDLE printer, DWORD jobId, const JobLevel1* job, DWORD command) override
    {
        const auto queue = QueueOfHandle(printer);
        std::string call = "SetJob " + queue.value_or("?") + " " + std::to_string(jobId) + " " +
                           std::to_string(command);
        if (job != nullptr) call += " status=" + Hex(job->status);
        if (!queue) return Finish(call, syserr::kInvalidHandle);
        const bool finishes = command == mon::JOB_CONTROL_DELETE || command == mon::JOB_CONTROL_LAST_PAGE_EJECTED;
        // The host's spooler knows the commands a port monitor gives.
        if (command != 0 && !finishes) return Finish(call, syserr::kInvalidParameter);

        const FolderLock lock(QueueFolder(*queue) / "jobs");
        if (!lock.Held()) return Finish(call, SetLastErrorFromErrno());
        const fs::path path = JobFile(*queue, jobId);
        auto loaded = StoreFile::Load(path);
        if (std::holds_alternative<StoreError>(loaded)) return Finish(call, syserr::kInvalidParameter);
        if (job != nullptr && !finishes) {
            auto& file = std::get<StoreFile>(loaded);
            file.Set("Job", "Status", std::to_string(job->status));
            if (!file.Save(path)) return Finish(call, syserr::kWriteFault);
        }
        if (finishes) {
            // The job leaves the queue; its spool file stays for a person to look at.
            std::error_code ec;
            if (!fs::remove(path, ec)) return Finish(call, ec ? ErrorFromErrno(ec.value()) : syserr::kInvalidParameter);
            AppendLine(QueueFolder(*queue) / "done.log",
                       std::to_string(jobId) + (command == mon::JOB_CONTROL_DELETE ? " deleted" : " printed"));
        }
        return Finish(call, 0);
    }

    DWORD SetPortStatus(std::u16string_view portName, const PortStatus& status) override
    {
        const std::string port = Utf16ToUtf8(portName);
        const std::string call =
            "SetPort " + port + " " + std::to_string(status.status) + " " + std::to_string(status.severity);
        if (!IsStorablePortName(port)) return Finish(call, syserr::kInvalidParameter);
        const FolderLock lock(HostFolder());
        if (!lock.Held()) return Finish(call, SetLastErrorFromErrno());
        const fs::path path = HostFolder() / "ports.ini";
        std::error_code ec;
        auto loaded = fs::exists(path, ec) ? StoreFile::Load(path) : StoreFile::Parse("", path.string());
        if (std::holds_alternative<StoreError>(loaded)) return Finish(call, syserr::kInvalidData);
        auto& file = std::get<StoreFile>(loaded);
        file.Set(port, "Status", std::to_string(status.status));
        file.Set(port, "Severity", std::to_string(status.severity));
        return Finish(call, file.Save(path) ? 0 : syserr::kWriteFault);
    }

    DWORD GetPrinterAttributes(HANDLE printer, DWORD& attributes) override
    {
        const auto queue = QueueOfHandle(printer);
        const std::string call = "GetPrinter " + queue.value_or("?");
        if (!queue) return Finish(call, syserr::kInvalidHandle);
        auto loaded = LoadQueue(*queue);
        if (std::holds_alternative<StoreError>(loaded)) return Finish(call, syserr::kInvalidData);
        const auto value = QueueAttributes(std::get<StoreFile>(loaded));
        if (!value) return Finish(call, syserr::kInvalidData);
        attributes = *value;
        return Finish(call, 0);
    }

    DWORD SetPrinterAttributes(HANDLE printer, DWORD attributes) override
    {
        const auto queue = QueueOfHandle(printer);
        const std::string call = "SetPrinter " + queue.value_or("?") + " " + Hex(attributes);
        if (!queue) return Finish(call, syserr::kInvalidHandle);
        // Changing a printer needs administer rights, as on Windows.
        if ((static_cast<const CoreQueueHandle*>(printer)->access & 0x4) == 0)
            return Finish(call, syserr::kAccessDenied);
        const FolderLock lock(QueueFolder(*queue));
        if (!lock.Held()) return Finish(call, SetLastErrorFromErrno());
        auto loaded = LoadQueue(*queue);
        if (std::holds_alternative<StoreError>(loaded)) return Finish(call, syserr::kInvalidData);
        auto& file = std::get<StoreFile>(loaded);
        char text[16];
        std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(attributes));
        file.Set("Queue", "Attributes", text);
        return Finish(call, file.Save(PrinterFile(*queue)) ? 0 : syserr::kWriteFault);
    }

    bool RevertToSelf() override
    {
        Finish("RevertToSelf", 0);
        return true;
    }

    HANDLE RevertToPrinterSelf() override
    {
        auto token = std::make_unique<PrinterSelfToken>();
        HANDLE handle = token.get();
        {
            const std::lock_guard<std::mutex> hold(tokensMutex_);
            tokens_.push_back(std::move(token));
        }
        Finish("RevertToPrinterSelf", 0);
        return handle;
    }

    bool ImpersonatePrinterClient(HANDLE token) override
    {
        bool found = false;
        {
            const std::lock_guard<std::mutex> hold(tokensMutex_);
            const auto it = std::find_if(tokens_.begin(), tokens_.end(),
                                         [token](const auto& t) { return t.get() == token; });
            if (it != tokens_.end()) {
                tokens_.erase(it);
                found = true;
            }
        }
        const DWORD error = Finish("ImpersonatePrinterClient", found ? 0 : syserr::kInvalidHandle);
        if (error != 0) SetLastSystemError(error);
        return error == 0;
    }

    int OutstandingTokens()
    {
        const std::lock_guard<std::mutex> hold(tokensMutex_);
        return static_cast<int>(tokens_.size());
    }

private:
    // Every call becomes one line of the host's call log, with its error
    // when it failed, so that tests of the host can see what the monitor did.
    static DWORD Finish(const std::string& call, DWORD error)
    {
        AppendLine(HostFolder() / "spooler-calls.log", error == 0 ? call : call + " -> " + std::to_string(error));
        return error;
    }

    std::mutex tokensMutex_;
    std::vector<std::unique_ptr<PrinterSelfToken>> tokens_;
};

PosixPortSpooler& TheSpooler()
{
    static PosixPortSpooler spooler;
    return spooler;
}

}  // namespace

int OutstandingPrinterSelfTokensForTesting() { return TheSpooler().OutstandingTokens(); }

}  // namespace lt77::posix

namespace lt77 {

PortSpooler& SystemPortSpooler() { return posix::TheSpooler(); }

}  // namespace lt77
