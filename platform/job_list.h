// The jobs waiting in a queue (EnumJobs level 3: each job's id and the next
// one's). Windows: the real call (Wine's lists none and fails). POSIX: the
// job records of the test host's store.
#pragma once

#include <vector>

#include "platform/oem/abi_types.h"

namespace lt77 {

class JobList {
public:
    virtual ~JobList() = default;
    // The ids of at most `count` jobs of the queue behind `printer`, from
    // position `firstJob` (0 is the first), in queue order; `ids` is
    // replaced. Returns the system error.
    virtual DWORD EnumJobIds(HANDLE printer, DWORD firstJob, DWORD count, std::vector<DWORD>& ids) = 0;
};

JobList& SystemJobList();

}  // namespace lt77
