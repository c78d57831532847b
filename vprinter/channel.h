// One way into and out of the printer: a TCP connection or the
// pseudo-terminal. It gathers the bytes of the job under way, remembers
// whether its peer enabled automatic status back and which block it saw
// last, keeps the output the peer has not taken yet, and counts what it may
// still read under the "slow" limit.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "vprinter/asb_filter.h"
#include "vprinter/byte_log.h"
#include "vprinter/status_block.h"
#include "vprinter/unique_fd.h"

namespace lt77::vprinter {

using Clock = std::chrono::steady_clock;

struct JobBytes {
    std::vector<uint8_t> received;  // as they came, enable commands included
    std::vector<uint8_t> drawable;  // without the enable commands
};

class Channel {
public:
    // A socket is written with send() so that a peer gone away gives an
    // error instead of a SIGPIPE to the process.
    Channel(std::string name, UniqueFd fd, bool socket);

    const std::string& Name() const { return name_; }
    int Fd() const { return fd_.Get(); }

    // Reads what is there, at most `limit` bytes: nothing when the peer
    // closed the channel or it broke, an empty vector when no byte waits.
    std::optional<std::vector<uint8_t>> Read(std::size_t limit, ByteLog& log);
    // Adds bytes that were read to the job under way.
    SplitBytes Take(std::span<const uint8_t> bytes);
    bool HasJob() const { return !drawable_.empty(); }
    JobBytes EndJob();
    // Between jobs on the terminal only enable commands came: they belong to
    // no job.
    void ForgetStatusTraffic();
    Clock::time_point LastJobByteAt() const { return lastJobByteAt_; }

    bool asbEnabled = false;
    std::optional<StatusBlock> lastBlock;
    // Set when the printer decided to close the channel; it is closed once
    // the event loop's pass is over.
    bool closing = false;

    void Queue(std::span<const uint8_t> bytes);
    void DropOutput() { pending_.clear(); }
    bool WantsWrite() const { return !pending_.empty(); }
    // Writes what the peer takes now; the count written, or nothing when the
    // channel is broken.
    std::optional<std::size_t> WritePending(ByteLog& log);

    // Bytes per second 0 means no limit.
    std::size_t ReadAllowance(Clock::time_point now, uint32_t bytesPerSecond);
    Clock::time_point AllowanceRenewsAt() const { return windowStart_ + std::chrono::seconds(1); }

private:
    std::string name_;
    UniqueFd fd_;
    bool socket_;
    AsbFilter filter_;
    std::vector<uint8_t> received_;
    std::vector<uint8_t> drawable_;
    Clock::time_point lastJobByteAt_{};
    std::vector<uint8_t> pending_;
    Clock::time_point windowStart_{};
    std::size_t readInWindow_ = 0;
};

}  // namespace lt77::vprinter
