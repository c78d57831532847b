#include "vprinter/endpoints.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace lt77::vprinter {
namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool SetNonBlocking(int fd) { return ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) == 0; }

std::variant<sockaddr_un, std::string> UnixAddress(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return path + ": not a usable socket path";
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

bool SomeoneListens(const sockaddr_un& address)
{
    const UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return probe && ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

OwnedPath& OwnedPath::operator=(OwnedPath&& other) noexcept
{
    if (this != &other) {
        OwnedPath gone(std::move(*this));
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

OwnedPath::~OwnedPath()
{
    if (!path_.empty()) ::unlink(path_.c_str());
}

std::variant<TcpListener, std::string> ListenTcpLoopback(uint16_t port)
{
    TcpListener listener;
    listener.fd.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener.fd) return SystemError("TCP socket");
    // A restarted printer must get its port back while the connections of
    // the last run linger in TIME_WAIT.
    const int on = 1;
    ::setsockopt(listener.fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listener.fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return SystemError("TCP port " + std::to_string(port));
    if (::listen(listener.fd.Get(), 16) != 0) return SystemError("TCP listen");
    socklen_t length = sizeof address;
    ::getsockname(listener.fd.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    listener.port = ntohs(address.sin_port);
    return listener;
}

UniqueFd AcceptConnection(int listenFd, bool tcp)
{
    UniqueFd connection(::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (connection && tcp) {
        // Status blocks are four bytes; each must leave at once, not wait for
        // the acknowledgement of the one before.
        const int on = 1;
        ::setsockopt(connection.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return connection;
}

std::variant<PseudoTerminal, std::string> OpenPseudoTerminal(const std::string& linkPath)
{
    PseudoTerminal pty;
    pty.master.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.master) return SystemError("posix_openpt");
    if (::grantpt(pty.master.Get()) != 0 || ::unlockpt(pty.master.Get()) != 0) return SystemError("grantpt");
    char name[128];
    if (::ptsname_r(pty.master.Get(), name, sizeof name) != 0) return SystemError("ptsname");
    pty.slavePath = name;
    pty.slaveHeld.Reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.slaveHeld) return SystemError(pty.slavePath);
    termios mode{};
    if (::tcgetattr(pty.slaveHeld.Get(), &mode) != 0) return SystemError("tcgetattr");
    ::cfmakeraw(&mode);
    if (::tcsetattr(pty.slaveHeld.Get(), TCSANOW, &mode) != 0) return SystemError("tcsetattr");
    if (!SetNonBlocking(pty.master.Get())) return SystemError("fcntl");
    if (linkPath.empty()) return pty;
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) return linkPath + ": exists and is not a symbolic link";
        ::unlink(linkPath.c_str());
    }
    if (::symlink(name, linkPath.c_str()) != 0) return SystemError(linkPath);
    pty.link = OwnedPath(linkPath);
    return pty;
}

std::variant<UnixListener, std::string> ListenUnix(const std::string& path)
{
    auto address = UnixAddress(path);
    if (auto* error = std::get_if<std::string>(&address)) return *error;
    const sockaddr_un& where = std::get<sockaddr_un>(address);
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) return path + ": exists and is not a socket";
        if (SomeoneListens(where)) return path + ": another printer answers there";
        ::unlink(path.c_str());
    }
    UnixListener listener;
    listener.fd.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener.fd) return SystemError("control socket");
    if (::bind(listener.fd.Get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0)
        return SystemError(path);
    listener.socketPath = OwnedPath(path);
    if (::listen(listener.fd.Get(), 8) != 0) return SystemError(path);
    return listener;
}

void DropTerminalOutput(int slaveFd) { ::tcflush(slaveFd, TCIFLUSH); }

ControlReply SendControlCommand(const std::string& socketPath, const std::string& command)
{
    auto address = UnixAddress(socketPath);
    if (auto* error = std::get_if<std::string>(&address)) return {false, *error};
    const sockaddr_un& where = std::get<sockaddr_un>(address);
    const UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return {false, SystemError("socket")};
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0)
        return {false, SystemError(socketPath)};
    if (!WriteAll(fd.Get(), command + "\n")) return {false, SystemError(socketPath)};
    ::shutdown(fd.Get(), SHUT_WR);
    ControlReply reply{true, {}};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd.Get(), POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return {false, SystemError(socketPath)};
        if (ready == 0) return {false, socketPath + ": no reply within 5 s"};
        char buffer[512];
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {false, SystemError(socketPath)};
        if (n == 0) return reply;
        reply.text.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace lt77::vprinter
