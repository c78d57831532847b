#include "vprinter/virtual_printer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

namespace lt77::vprinter {
namespace {

// A control line longer than this is not a command.
constexpr std::size_t kMaxControlLineBytes = 4096;

int TimeoutMs(Clock::time_point now, std::optional<Clock::time_point> deadline)
{
    if (!deadline) return -1;
    if (*deadline <= now) return 0;
    // Rounded up: waking a little early would only spin until the deadline.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
    return static_cast<int>(std::min<long long>(wait, 60'000));
}

void Earliest(std::optional<Clock::time_point>& deadline, Clock::time_point candidate)
{
    if (!deadline || candidate < *deadline) deadline = candidate;
}

}  // namespace

class VirtualPrinter::PollSet {
public:
    void Add(int fd, short events, std::function<void(short)> handler)
    {
        fds_.push_back({fd, events, 0});
        handlers_.push_back(std::move(handler));
    }
    void Wait(int timeoutMs)
    {
        if (::poll(fds_.data(), fds_.size(), timeoutMs) <= 0) return;
        for (std::size_t i = 0; i < fds_.size(); ++i)
            if (fds_[i].revents != 0) handlers_[i](fds_[i].revents);
    }

private:
    std::vector<pollfd> fds_;
    std::vector<std::function<void(short)>> handlers_;
};

VirtualPrinter::VirtualPrinter(PrinterOptions options)
    : options_(std::move(options)), jobs_(options_.jobsFolder), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

VirtualPrinter::~VirtualPrinter() = default;

std::string VirtualPrinter::Open()
{
    if (!wake_) return "eventfd failed";
    if (std::string e = log_.Open(options_.logPath); !e.empty()) return e;
    if (std::string e = jobs_.Open(); !e.empty()) return e;
    auto tcp = ListenTcpLoopback(options_.tcpPort);
    if (auto* e = std::get_if<std::string>(&tcp)) return *e;
    tcp_ = std::move(std::get<TcpListener>(tcp));
    auto pty = OpenPseudoTerminal(options_.ptyLinkPath);
    if (auto* e = std::get_if<std::string>(&pty)) return *e;
    pty_ = std::move(std::get<PseudoTerminal>(pty));
    terminal_ = std::make_unique<Channel>("pty", std::move(pty_.master), false);
    if (!options_.controlPath.empty()) {
        auto control = ListenUnix(options_.controlPath);
        if (auto* e = std::get_if<std::string>(&control)) return *e;
        control_ = std::move(std::get<UnixListener>(control));
    }
    log_.Note("printer", "tcp port " + std::to_string(tcp_.port) + ", pty " + pty_.slavePath);
    return {};
}

void VirtualPrinter::RequestStop()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_.Get(), &one, sizeof one);
}

void VirtualPrinter::Run()
{
    start_ = Clock::now();
    nextStep_ = 0;
    stopping_ = false;
    while (!stopping_) {
        const Clock::time_point now = Clock::now();
        // Steps due at the start run before the first byte is read, so a
        // script can set the state the first status block reports.
        RunDueSteps(now);
        EndIdleTerminalJob(now);
        if (stopping_) break;
        PollOnce();
        CloseFinished();
    }
    Shutdown();
}

void VirtualPrinter::RunDueSteps(Clock::time_point now)
{
    while (!stopping_ && nextStep_ < options_.script.size() &&
           start_ + std::chrono::milliseconds(options_.script[nextStep_].atMs) <= now)
        Execute(options_.script[nextStep_++].text, "script");
}

void VirtualPrinter::EndIdleTerminalJob(Clock::time_point now)
{
    if (terminal_ && terminal_->HasJob() &&
        terminal_->LastJobByteAt() + std::chrono::milliseconds(options_.ptyIdleMs) <= now)
        SaveJob(*terminal_);
}

void VirtualPrinter::PollOnce()
{
    const Clock::time_point now = Clock::now();
    std::optional<Clock::time_point> deadline;
    if (nextStep_ < options_.script.size())
        Earliest(deadline, start_ + std::chrono::milliseconds(options_.script[nextStep_].atMs));
    if (terminal_ && terminal_->HasJob())
        Earliest(deadline, terminal_->LastJobByteAt() + std::chrono::milliseconds(options_.ptyIdleMs));

    PollSet set;
    set.Add(wake_.Get(), POLLIN, [this](short) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(wake_.Get(), &count, sizeof count);
        stopping_ = true;
    });
    set.Add(tcp_.fd.Get(), POLLIN, [this](short) { AcceptTcp(); });
    if (control_.fd) set.Add(control_.fd.Get(), POLLIN, [this](short) { AcceptControl(); });
    if (terminal_) AddChannel(set, *terminal_, now, deadline);
    for (auto& connection : connections_) AddChannel(set, *connection, now, deadline);
    for (auto& client : controlClients_) AddControlClient(set, *client);
    set.Wait(TimeoutMs(now, deadline));
}

void VirtualPrinter::AddChannel(PollSet& set, Channel& channel, Clock::time_point now,
                                std::optional<Clock::time_point>& deadline)
{
    short events = channel.WantsWrite() ? POLLOUT : 0;
    if (channel.ReadAllowance(now, slowBytesPerSecond_) > 0)
        events |= POLLIN;
    else
        Earliest(deadline, channel.AllowanceRenewsAt());
    // Left out while it may not read: a hang-up would otherwise wake the
    // loop again and again until the next second's allowance.
    if (events != 0) set.Add(channel.Fd(), events, [this, &channel](short revents) { ServiceChannel(channel, revents); });
}

void VirtualPrinter::AddControlClient(PollSet& set, ControlClient& client)
{
    const short events = static_cast<short>((client.inputEnded ? 0 : POLLIN) | (client.output.empty() ? 0 : POLLOUT));
    set.Add(client.fd.Get(), events, [this, &client](short revents) { ServiceControl(client, revents); });
}

void VirtualPrinter::AcceptTcp()
{
    for (;;) {
        UniqueFd fd = AcceptConnection(tcp_.fd.Get(), true);
        if (!fd) return;
        auto channel = std::make_unique<Channel>("tcp" + std::to_string(nextConnectionNumber_++), std::move(fd), true);
        log_.Note(channel->Name(), "connected");
        connections_.push_back(std::move(channel));
    }
}

void VirtualPrinter::AcceptControl()
{
    for (;;) {
        UniqueFd fd = AcceptConnection(control_.fd.Get(), false);
        if (!fd) return;
        auto client = std::make_unique<ControlClient>();
        client->fd = std::move(fd);
        controlClients_.push_back(std::move(client));
    }
}

void VirtualPrinter::ServiceChannel(Channel& channel, short revents)
{
    // A command served earlier in this pass may have closed it.
    if (channel.closing) return;
    if (revents & POLLOUT) Flush(channel);
    if (!channel.closing && (revents & (POLLIN | POLLHUP | POLLERR))) ReadChannel(channel);
}

void VirtualPrinter::ReadChannel(Channel& channel)
{
    const std::size_t allowance = channel.ReadAllowance(Clock::now(), slowBytesPerSecond_);
    if (allowance == 0) return;
    const std::optional<std::vector<uint8_t>> bytes = channel.Read(allowance, log_);
    if (!bytes) {
        channel.closing = true;
        return;
    }
    bytesIn_ += bytes->size();
    const SplitBytes split = channel.Take(*bytes);
    for (uint32_t i = 0; i < split.enableCount; ++i) {
        channel.asbEnabled = true;
        SendBlock(channel);
    }
    if (&channel == terminal_.get()) channel.ForgetStatusTraffic();
}

void VirtualPrinter::Flush(Channel& channel)
{
    const std::optional<std::size_t> written = channel.WritePending(log_);
    if (written)
        bytesOut_ += *written;
    else
        channel.closing = true;
}

void VirtualPrinter::ServiceControl(ControlClient& client, short revents)
{
    if (revents & POLLOUT) FlushControl(client);
    if (client.closing || client.inputEnded || !(revents & (POLLIN | POLLHUP | POLLERR))) return;
    char buffer[1024];
    const ssize_t n = ::read(client.fd.Get(), buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        client.inputEnded = true;
        // A last line without its line feed still counts.
        if (!client.input.empty()) client.input += '\n';
    } else {
        client.input.append(buffer, static_cast<std::size_t>(n));
    }
    for (std::size_t end; (end = client.input.find('\n')) != std::string::npos;) {
        const std::string line = client.input.substr(0, end);
        client.input.erase(0, end + 1);
        client.output += Execute(line, "control") + "\n";
    }
    if (client.input.size() > kMaxControlLineBytes) client.closing = true;
    FlushControl(client);
}

void VirtualPrinter::FlushControl(ControlClient& client)
{
    if (!client.output.empty()) {
        const ssize_t n = ::send(client.fd.Get(), client.output.data(), client.output.size(), MSG_NOSIGNAL);
        if (n > 0) client.output.erase(0, static_cast<std::size_t>(n));
        if (n < 0 && errno != EAGAIN && errno != EINTR) client.closing = true;
    }
    if (client.inputEnded && client.output.empty()) client.closing = true;
}

void VirtualPrinter::CloseFinished()
{
    for (auto& connection : connections_)
        if (connection->closing) {
            SaveJob(*connection);
            log_.Note(connection->Name(), "closed");
        }
    std::erase_if(connections_, [](const auto& c) { return c->closing; });
    std::erase_if(controlClients_, [](const auto& c) { return c->closing; });
    if (terminal_ && terminal_->closing) {
        SaveJob(*terminal_);
        log_.Note("pty", "read failed; the terminal is no longer served");
        terminal_.reset();
    }
}

void VirtualPrinter::Shutdown()
{
    for (auto& client : controlClients_) FlushControl(*client);
    for (auto& connection : connections_) SaveJob(*connection);
    if (terminal_) SaveJob(*terminal_);
    connections_.clear();
    controlClients_.clear();
    log_.Note("printer", "stopped");
}

void VirtualPrinter::SaveJob(Channel& channel)
{
    const JobBytes job = channel.EndJob();
    if (job.drawable.empty()) return;
    const SavedJob saved = jobs_.Save(job.received, job.drawable);
    log_.Note(channel.Name(), "job " + saved.summary);
}

}  // namespace lt77::vprinter
