#include <algorithm>
#include <charconv>
#include <filesystem>

#include "platform/job_list.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {
namespace fs = std::filesystem;
namespace {

class PosixJobList final : public JobList {
public:
    // The host's queue is in job number order; a job is waiting from its
    // record's creation until it leaves the queue, spooled or not.
    DWORD EnumJobIds(HANDLE printer, DWORD firstJob, DWORD count, std::vector<DWORD>& ids) override
    {
        ids.clear();
        const auto queue = QueueOfHandle(printer);
        if (!queue) return syserr::kInvalidHandle;
        std::vector<DWORD> all;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(QueueFolder(*queue) / "jobs", ec)) {
            if (entry.path().extension() != ".ini") continue;
            const std::string stem = entry.path().stem().string();
            DWORD id = 0;
            const auto [end, error] = std::from_chars(stem.data(), stem.data() + stem.size(), id);
            if (error == std::errc{} && end == stem.data() + stem.size()) all.push_back(id);
        }
        if (ec && ec != std::errc::no_such_file_or_directory) return ErrorFromErrno(ec.value());
        std::sort(all.begin(), all.end());
        if (firstJob < all.size())
            ids.assign(all.begin() + firstJob, all.begin() + std::min<size_t>(all.size(), size_t{firstJob} + count));
        return 0;
    }
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

JobList& SystemJobList()
{
    static posix::PosixJobList list;
    return list;
}

}  // namespace lt77
