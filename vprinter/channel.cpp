#include "vprinter/channel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace lt77::vprinter {
namespace {

// A peer that stopped reading must not make the printer grow without end;
// output beyond this is dropped.
constexpr std::size_t kMaxPendingBytes = 2u << 20;
constexpr std::size_t kReadChunkBytes = 4096;

}  // namespace

Channel::Channel(std::string name, UniqueFd fd, bool socket)
    : name_(std::move(name)), fd_(std::move(fd)), socket_(socket)
{
}

std::optional<std::vector<uint8_t>> Channel::Read(std::size_t limit, ByteLog& log)
{
    std::vector<uint8_t> bytes(std::min(limit, kReadChunkBytes));
    ssize_t n;
    do {
        n = ::read(fd_.Get(), bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return std::vector<uint8_t>{};
    if (n <= 0) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(n));
    readInWindow_ += bytes.size();
    log.In(name_, bytes);
    return bytes;
}

SplitBytes Channel::Take(std::span<const uint8_t> bytes)
{
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    SplitBytes split = filter_.Feed(bytes);
    drawable_.insert(drawable_.end(), split.content.begin(), split.content.end());
    if (!split.content.empty()) lastJobByteAt_ = Clock::now();
    return split;
}

JobBytes Channel::EndJob()
{
    const std::vector<uint8_t> rest = filter_.Flush();
    drawable_.insert(drawable_.end(), rest.begin(), rest.end());
    JobBytes job{std::move(received_), std::move(drawable_)};
    received_.clear();
    drawable_.clear();
    return job;
}

void Channel::ForgetStatusTraffic()
{
    if (drawable_.empty() && !filter_.Holding()) received_.clear();
}

void Channel::Queue(std::span<const uint8_t> bytes)
{
    const std::size_t room = kMaxPendingBytes - std::min(kMaxPendingBytes, pending_.size());
    pending_.insert(pending_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
}

std::optional<std::size_t> Channel::WritePending(ByteLog& log)
{
    if (pending_.empty()) return 0;
    ssize_t n;
    do {
        n = socket_ ? ::send(fd_.Get(), pending_.data(), pending_.size(), MSG_NOSIGNAL)
                    : ::write(fd_.Get(), pending_.data(), pending_.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    if (n < 0) return std::nullopt;
    const auto written = static_cast<std::size_t>(n);
    log.Out(name_, std::span(pending_).first(written));
    pending_.erase(pending_.begin(), pending_.begin() + n);
    return written;
}

std::size_t Channel::ReadAllowance(Clock::time_point now, uint32_t bytesPerSecond)
{
    if (bytesPerSecond == 0) return kReadChunkBytes;
    if (now >= AllowanceRenewsAt()) {
        windowStart_ = now;
        readInWindow_ = 0;
    }
    return bytesPerSecond - std::min<std::size_t>(bytesPerSecond, readInWindow_);
}

}  // namespace lt77::vprinter
