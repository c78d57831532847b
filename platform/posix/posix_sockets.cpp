#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "common/utf.h"
#include "platform/icmp_socket.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/posix_monitor.h"
#include "platform/tcp_socket.h"

namespace lt77::posix {
namespace {

bool FailSocket()
{
    SetLastSocketErrorFromErrno();
    return false;
}

sockaddr_in AddressOf(uint32_t ipv4, uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(ipv4);
    address.sin_port = htons(port);
    return address;
}

// RFC 1071 over bytes in network order.
uint16_t InternetChecksum(std::span<const uint8_t> bytes)
{
    uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) sum += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    if (bytes.size() % 2 != 0) sum += static_cast<uint32_t>(bytes.back() << 8);
    while ((sum >> 16) != 0) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

// A socket descriptor closed once, by Close or at the end.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool Close()
    {
        if (fd_ < 0) {
            SetLastSystemError(10038);  // WSAENOTSOCK
            return false;
        }
        if (::close(std::exchange(fd_, -1)) != 0) return FailSocket();
        return true;
    }

private:
    int fd_;
};

class PosixTcpSocket final : public TcpSocket {
public:
    explicit PosixTcpSocket(int fd) : fd_(fd) {}

    bool SetNoDelay(bool on) override
    {
        const int value = on ? 1 : 0;
        return ::setsockopt(fd_.Get(), IPPROTO_TCP, TCP_NODELAY, &value, sizeof(value)) == 0 || FailSocket();
    }

    // SO_DONTLINGER is the inverse of SO_LINGER's switch; the linger time set
    // before is kept, as Windows keeps it.
    bool SetDontLinger(bool on) override
    {
        linger value{};
        socklen_t size = sizeof(value);
        if (::getsockopt(fd_.Get(), SOL_SOCKET, SO_LINGER, &value, &size) != 0) return FailSocket();
        value.l_onoff = on ? 0 : 1;
        return ::setsockopt(fd_.Get(), SOL_SOCKET, SO_LINGER, &value, sizeof(value)) == 0 || FailSocket();
    }

    bool SetReceiveTimeout(DWORD ms) override
    {
        const timeval value{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000) * 1000};
        return ::setsockopt(fd_.Get(), SOL_SOCKET, SO_RCVTIMEO, &value, sizeof(value)) == 0 || FailSocket();
    }

    bool Connect(uint32_t ipv4, uint16_t port) override
    {
        const sockaddr_in address = AddressOf(ipv4, port);
        return ::connect(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
               FailSocket();
    }

    int Send(std::span<const uint8_t> bytes) override
    {
        // A peer that went away is an error to report, not a signal that ends the process.
        const ssize_t n = ::send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            SetLastSocketErrorFromErrno();
            return -1;
        }
        return static_cast<int>(n);
    }

    int Receive(std::span<uint8_t> out) override
    {
        ssize_t n = 0;
        while ((n = ::recv(fd_.Get(), out.data(), out.size(), 0)) < 0 && errno == EINTR) {
        }
        if (n < 0) {
            SetLastSocketErrorFromErrno();
            return -1;
        }
        return static_cast<int>(n);
    }

    bool Shutdown() override { return ::shutdown(fd_.Get(), SHUT_RDWR) == 0 || FailSocket(); }

    bool Close() override { return fd_.Close(); }

private:
    Descriptor fd_;
};

int WaitReadableOn(int fd, DWORD ms)
{
    pollfd p{fd, POLLIN, 0};
    const int timeout = ms > 0x7FFFFFFFu ? -1 : static_cast<int>(ms);
    int rc = 0;
    while ((rc = ::poll(&p, 1, timeout)) < 0 && errno == EINTR) {
    }
    if (rc < 0) {
        SetLastSocketErrorFromErrno();
        return -1;
    }
    return rc > 0 ? 1 : 0;
}

bool SendWhole(int fd, uint32_t ipv4, std::span<const uint8_t> packet)
{
    const sockaddr_in to = AddressOf(ipv4, 0);
    const ssize_t n = ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    if (n < 0) return FailSocket();
    if (static_cast<std::size_t>(n) != packet.size()) {
        SetLastSystemError(10040);  // WSAEMSGSIZE
        return false;
    }
    return true;
}

// A raw socket: what the system gives is what Windows gives, IP header first.
class RawIcmpSocket final : public IcmpSocket {
public:
    explicit RawIcmpSocket(int fd) : fd_(fd) {}
    bool SendTo(uint32_t ipv4, std::span<const uint8_t> packet) override { return SendWhole(fd_.Get(), ipv4, packet); }
    int WaitReadable(DWORD ms) override { return WaitReadableOn(fd_.Get(), ms); }
    int Receive(std::span<uint8_t> out) override
    {
        ssize_t n = 0;
        while ((n = ::recv(fd_.Get(), out.data(), out.size(), 0)) < 0 && errno == EINTR) {
        }
        if (n < 0) {
            SetLastSocketErrorFromErrno();
            return -1;
        }
        return static_cast<int>(n);
    }

private:
    Descriptor fd_;
};

constexpr std::size_t kIpHeaderBytes = 20;

// An ICMP datagram socket ("ping socket"): the kernel owns the echo
// identifier, which is the port the socket is bound to, and hands over the
// ICMP message without its IP header. Binding to the caller's identifier
// before the first send lets the request go out as built; the header that a
// raw socket would show is put back in front of each reply.
class DatagramIcmpSocket final : public IcmpSocket {
public:
    explicit DatagramIcmpSocket(int fd) : fd_(fd) {}

    bool SendTo(uint32_t ipv4, std::span<const uint8_t> packet) override
    {
        if (packet.size() < 8) {
            SetLastSystemError(10022);  // WSAEINVAL: no echo header
            return false;
        }
        if (!bound_) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            // Bytes 4 and 5 are the identifier, in network order, as a port is.
            std::memcpy(&local.sin_port, packet.data() + 4, 2);
            if (::bind(fd_.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) return FailSocket();
            // Identifier 0 lets the kernel choose one; replies are given the caller's back.
            sockaddr_in bound{};
            socklen_t size = sizeof(bound);
            if (::getsockname(fd_.Get(), reinterpret_cast<sockaddr*>(&bound), &size) != 0) return FailSocket();
            std::memcpy(callerId_, packet.data() + 4, 2);
            std::memcpy(kernelId_, &bound.sin_port, 2);
            bound_ = true;
        }
        return SendWhole(fd_.Get(), ipv4, packet);
    }

    int WaitReadable(DWORD ms) override { return WaitReadableOn(fd_.Get(), ms); }

    int Receive(std::span<uint8_t> out) override
    {
        std::vector<uint8_t> packet(kIpHeaderBytes + 0xFFFF);
        iovec io{packet.data() + kIpHeaderBytes, packet.size() - kIpHeaderBytes};
        sockaddr_in from{};
        alignas(cmsghdr) uint8_t control[CMSG_SPACE(sizeof(int)) + CMSG_SPACE(sizeof(in_pktinfo))];
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof(from);
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        ssize_t n = 0;
        while ((n = ::recvmsg(fd_.Get(), &message, 0)) < 0 && errno == EINTR) {
        }
        if (n < 0) {
            SetLastSocketErrorFromErrno();
            return -1;
        }
        int ttl = 64;
        in_addr to{};
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != IPPROTO_IP) continue;
            if (c->cmsg_type == IP_TTL) std::memcpy(&ttl, CMSG_DATA(c), sizeof(ttl));
            if (c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(c), sizeof(info));
                to = info.ipi_addr;
            }
        }
        const auto icmp = std::span<uint8_t>(packet).subspan(kIpHeaderBytes, static_cast<std::size_t>(n));
        if (icmp.size() >= 8 && std::memcmp(callerId_, kernelId_, 2) != 0 &&
            std::memcmp(icmp.data() + 4, kernelId_, 2) == 0) {
            std::memcpy(icmp.data() + 4, callerId_, 2);
            icmp[2] = icmp[3] = 0;
            const uint16_t sum = InternetChecksum(icmp);
            icmp[2] = static_cast<uint8_t>(sum >> 8);
            icmp[3] = static_cast<uint8_t>(sum);
        }
        const std::size_t total = kIpHeaderBytes + icmp.size();
        uint8_t* h = packet.data();
        h[0] = 0x45;  // version 4, five 32-bit words
        h[2] = static_cast<uint8_t>(total >> 8);
        h[3] = static_cast<uint8_t>(total);
        h[8] = static_cast<uint8_t>(ttl);
        h[9] = IPPROTO_ICMP;
        std::memcpy(h + 12, &from.sin_addr, 4);
        std::memcpy(h + 16, &to, 4);
        const uint16_t sum = InternetChecksum({h, kIpHeaderBytes});
        h[10] = static_cast<uint8_t>(sum >> 8);
        h[11] = static_cast<uint8_t>(sum);
        // As a raw socket's read, a reply longer than the buffer is cut.
        const std::size_t copied = std::min(total, out.size());
        std::memcpy(out.data(), h, copied);
        return static_cast<int>(copied);
    }

private:
    Descriptor fd_;
    bool bound_ = false;
    uint8_t callerId_[2] = {};
    uint8_t kernelId_[2] = {};
};

std::unique_ptr<IcmpSocket> CreateDatagramIcmp(DWORD& error)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        error = SetLastSocketErrorFromErrno();
        return nullptr;
    }
    auto socket = std::make_unique<DatagramIcmpSocket>(fd);
    const int on = 1;
    if (::setsockopt(fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof(on)) != 0 ||
        ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof(on)) != 0) {
        error = SetLastSocketErrorFromErrno();
        return nullptr;
    }
    error = 0;
    return socket;
}

// Windows needs the library started before any socket; POSIX does not, so a
// socket is made whatever the count, and the count only checks that starts
// and releases pair up.
class PosixSocketLibrary final : public SocketLibrary {
public:
    DWORD Startup() override
    {
        ++starts_;
        return 0;
    }

    bool Cleanup() override
    {
        int starts = starts_.load();
        do {
            if (starts == 0) {
                SetLastSystemError(syserr::kWsaNotInitialised);
                return false;
            }
        } while (!starts_.compare_exchange_weak(starts, starts - 1));
        return true;
    }

    std::unique_ptr<TcpSocket> CreateTcp(DWORD& error) override
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
        if (fd < 0) {
            error = SetLastSocketErrorFromErrno();
            return nullptr;
        }
        error = 0;
        return std::make_unique<PosixTcpSocket>(fd);
    }

    // A raw socket needs CAP_NET_RAW; without it the datagram socket serves,
    // where the system lets the caller's group have one.
    std::unique_ptr<IcmpSocket> CreateIcmp(DWORD& error) override
    {
        const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            error = 0;
            return std::make_unique<RawIcmpSocket>(fd);
        }
        if (errno != EPERM && errno != EACCES) {
            error = SetLastSocketErrorFromErrno();
            return nullptr;
        }
        return CreateDatagramIcmp(error);
    }

    bool ParseIPv4(std::u16string_view text, uint32_t& ipv4) override
    {
        in_addr address{};
        if (::inet_pton(AF_INET, Utf16ToUtf8(text).c_str(), &address) != 1) return false;
        ipv4 = ntohl(address.s_addr);
        return true;
    }

    int Starts() const { return starts_.load(); }

private:
    std::atomic<int> starts_{0};
};

PosixSocketLibrary& TheLibrary()
{
    static PosixSocketLibrary library;
    return library;
}

}  // namespace

int SocketStartsForTesting() { return TheLibrary().Starts(); }

std::unique_ptr<IcmpSocket> CreateIcmpDatagramSocketForTesting(DWORD& error) { return CreateDatagramIcmp(error); }

}  // namespace lt77::posix

namespace lt77 {

SocketLibrary& SystemSockets() { return posix::TheLibrary(); }

}  // namespace lt77
