// What a job did besides ink on paper, and what in it the printer could not
// do: drawer pulses, the buzzer, cuts, page ends, the symbols drawn, and
// unknown, malformed or cut-short commands, each with the offset of its
// first byte in the job.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace lt77::printer {

struct LogEntry {
    std::size_t offset = 0;
    bool problem = false;  // something the printer could not do as asked
    std::string text;
};

class JobLog {
public:
    // A flood of garbage would otherwise make a log as long as the job.
    static constexpr std::size_t kMaxEntries = 1000;

    void Event(std::size_t offset, std::string text) { Add(offset, false, std::move(text)); }
    void Problem(std::size_t offset, std::string text) { Add(offset, true, std::move(text)); }

    const std::vector<LogEntry>& Entries() const { return entries_; }
    std::size_t Dropped() const { return dropped_; }
    std::size_t Problems() const { return problems_; }
    // One line an entry, "offset 0x0001F3: text", "!" marking problems;
    // a last line counts the entries beyond the limit. `offsetOf` maps the
    // offsets when the renderer saw the job with some bytes taken out.
    std::string Text(const std::function<std::size_t(std::size_t)>& offsetOf = {}) const;

private:
    void Add(std::size_t offset, bool problem, std::string text);

    std::vector<LogEntry> entries_;
    std::size_t dropped_ = 0;
    std::size_t problems_ = 0;
};

}  // namespace lt77::printer
