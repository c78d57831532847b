#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "common/ascii_case.h"
#include "common/utf.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/queue_store.h"
#include "platform/print_documents.h"

namespace lt77::posix {
namespace fs = std::filesystem;
namespace {

constexpr DWORD kPrinterAccessUse = 0x8;

struct OpenDocument {
    std::string queue;
    DWORD jobId = 0;
    DWORD pages = 0;
};

// The highest job number the queue has used: records still waiting, and
// spool files, which stay after their jobs have left.
DWORD HighestJobId(const std::string& queue)
{
    DWORD highest = 0;
    for (const char* folder : {"jobs", "spool"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(QueueFolder(queue) / folder, ec)) {
            const std::string stem = entry.path().stem().string();
            DWORD id = 0;
            const auto [end, error] = std::from_chars(stem.data(), stem.data() + stem.size(), id);
            if (error == std::errc{} && end == stem.data() + stem.size()) highest = std::max(highest, id);
        }
    }
    return highest;
}

class PosixPrintDocuments final : public PrintDocuments {
public:
    DWORD StartDoc(HANDLE printer, const DocInfo1& doc, DWORD& jobId) override
    {
        jobId = 0;
        const auto queue = QueueOfHandle(printer);
        if (!queue) return Fail(syserr::kInvalidHandle);
        if ((static_cast<const CoreQueueHandle*>(printer)->access & kPrinterAccessUse) == 0)
            return Fail(syserr::kAccessDenied);
        if (!doc.dataType.empty() && !EqualsNoCase(doc.dataType, u"RAW")) return Fail(kErrorInvalidDatatype);
        // The host's spooler only sends jobs to the queue's port.
        if (!doc.outputFile.empty()) return Fail(syserr::kNotSupported);
        {
            std::lock_guard hold(mutex_);
            if (documents_.count(printer) != 0) return Fail(syserr::kBusy);
        }
        std::error_code ec;
        fs::create_directories(QueueFolder(*queue) / "jobs", ec);
        fs::create_directories(QueueFolder(*queue) / "spool", ec);
        // The record made with O_EXCL is the claim on the number, so that
        // documents started side by side (by other processes too) never share one.
        DWORD id = HighestJobId(*queue) + 1;
        for (;; ++id) {
            const int fd = ::open(JobFile(*queue, id).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd >= 0) {
                ::close(fd);
                break;
            }
            if (errno != EEXIST) return Fail(SetLastErrorFromErrno());
        }
        const std::string name = doc.documentName.empty() ? "No Document Name" : Utf16ToUtf8(doc.documentName);
        const std::string text = "[Job]\nDocument = " + name + "\nDatatype = RAW\nStatus = 0\nTotalPages = 0\n";
        auto parsed = StoreFile::Parse(text, JobFile(*queue, id).string());
        if (std::holds_alternative<StoreError>(parsed) || !std::get<StoreFile>(parsed).Save(JobFile(*queue, id)) ||
            !std::ofstream(SpoolFile(*queue, id), std::ios::binary | std::ios::trunc)) {
            fs::remove(JobFile(*queue, id), ec);
            return Fail(syserr::kWriteFault);
        }
        std::lock_guard hold(mutex_);
        documents_[printer] = OpenDocument{*queue, id, 0};
        jobId = id;
        return 0;
    }

    DWORD StartPage(HANDLE printer) override
    {
        std::lock_guard hold(mutex_);
        auto it = documents_.find(printer);
        if (it == documents_.end()) return Fail(NoDocumentError(printer));
        ++it->second.pages;
        return 0;
    }

    DWORD Write(HANDLE printer, std::span<const uint8_t> bytes, DWORD& written) override
    {
        written = 0;
        const auto document = Find(printer);
        if (!document) return Fail(NoDocumentError(printer));
        std::ofstream out(SpoolFile(document->queue, document->jobId), std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return Fail(syserr::kWriteFault);
        written = static_cast<DWORD>(bytes.size());
        return 0;
    }

    // The host's spooler has no channel back from the printer to a document.
    DWORD Read(HANDLE printer, std::span<uint8_t>, DWORD& read) override
    {
        read = 0;
        if (!QueueOfHandle(printer)) return Fail(syserr::kInvalidHandle);
        return 0;
    }

    DWORD EndPage(HANDLE printer) override
    {
        return Find(printer) ? 0 : Fail(NoDocumentError(printer));
    }

    DWORD EndDoc(HANDLE printer) override
    {
        OpenDocument document;
        {
            std::lock_guard hold(mutex_);
            auto it = documents_.find(printer);
            if (it == documents_.end()) return Fail(NoDocumentError(printer));
            document = it->second;
            documents_.erase(it);
        }
        const fs::path path = JobFile(document.queue, document.jobId);
        auto loaded = StoreFile::Load(path);
        // The monitor may already have deleted the job.
        if (std::holds_alternative<StoreError>(loaded)) return 0;
        auto& file = std::get<StoreFile>(loaded);
        file.Set("Job", "TotalPages", std::to_string(document.pages));
        file.Set("Job", "Spooled", "1");
        return file.Save(path) ? 0 : Fail(syserr::kWriteFault);
    }

private:
    static DWORD Fail(DWORD error)
    {
        SetLastSystemError(error);
        return error;
    }

    static DWORD NoDocumentError(HANDLE printer)
    {
        return QueueOfHandle(printer) ? syserr::kInvalidParameter : syserr::kInvalidHandle;
    }

    std::optional<OpenDocument> Find(HANDLE printer)
    {
        std::lock_guard hold(mutex_);
        auto it = documents_.find(printer);
        if (it == documents_.end()) return std::nullopt;
        return it->second;
    }

    std::mutex mutex_;
    std::map<HANDLE, OpenDocument> documents_;
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

PrintDocuments& SystemPrintDocuments()
{
    static posix::PosixPrintDocuments documents;
    return documents;
}

}  // namespace lt77
