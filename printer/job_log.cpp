#include "printer/job_log.h"

#include <cstdio>

namespace lt77::printer {

void JobLog::Add(std::size_t offset, bool problem, std::string text)
{
    if (problem) ++problems_;
    if (entries_.size() >= kMaxEntries) {
        ++dropped_;
        return;
    }
    entries_.push_back({offset, problem, std::move(text)});
}

std::string JobLog::Text(const std::function<std::size_t(std::size_t)>& offsetOf) const
{
    std::string out;
    char head[32];
    for (const LogEntry& e : entries_) {
        const std::size_t offset = offsetOf ? offsetOf(e.offset) : e.offset;
        std::snprintf(head, sizeof head, "%c offset %08zX: ", e.problem ? '!' : ' ', offset);
        out += head;
        out += e.text;
        out += '\n';
    }
    if (dropped_ != 0) out += "  ... and " + std::to_string(dropped_) + " more entries\n";
    return out;
}

}  // namespace lt77::printer
