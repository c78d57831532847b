#include <vector>

#include "platform/job_list.h"

#include <windows.h>
#include <winspool.h>

namespace lt77::win32 {
namespace {

class Win32JobList final : public JobList {
public:
    DWORD EnumJobIds(HANDLE printer, DWORD firstJob, DWORD count, std::vector<DWORD>& ids) override
    {
        ids.clear();
        std::vector<BYTE> buffer;
        ::DWORD needed = 0, returned = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (::EnumJobsW(printer, firstJob, count, 3, buffer.empty() ? nullptr : buffer.data(),
                            static_cast<::DWORD>(buffer.size()), &needed, &returned)) {
                const auto* jobs = reinterpret_cast<const JOB_INFO_3*>(buffer.data());
                for (::DWORD i = 0; i < returned; ++i) ids.push_back(static_cast<DWORD>(jobs[i].JobId));
                return 0;
            }
            // Wine's spooler fails with the last error untouched and nothing needed.
            const DWORD error = static_cast<DWORD>(::GetLastError());
            if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
                return error != 0 ? error : syserr::kNotSupported;
            buffer.assign(needed, 0);
        }
        return syserr::kInsufficientBuffer;
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

JobList& SystemJobList()
{
    static win32::Win32JobList list;
    return list;
}

}  // namespace lt77
