#pragma once

#include <ostream>

#include "host/job_runner.h"

namespace lt77::host {

// Tells where a job's outputs are: the spool stream (with its first bytes),
// the picture of what the printer would print, the trace files and the
// journal files. Returns the exit code.
int ReportJob(const JobResult& result, std::ostream& out, std::ostream& err);

}  // namespace lt77::host
