// Sockets on loopback: TCP as the monitor's status connection uses it, with
// Windows Sockets codes for its failures, and an ICMP echo through the
// socket the network probe uses.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "platform/posix/posix_monitor.h"
#include "platform/system_error.h"
#include "platform/tcp_socket.h"

namespace lt77 {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kLoopback = 0x7F000001;

// A TCP socket of the test's own on 127.0.0.1 and a free port.
class LocalSocket {
public:
    explicit LocalSocket(bool listening)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(kLoopback);
        socklen_t size = sizeof(address);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            (listening && ::listen(fd_, 1) != 0) ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
    }
    ~LocalSocket()
    {
        if (peer_ >= 0) ::close(peer_);
        if (fd_ >= 0) ::close(fd_);
    }
    uint16_t Port() const { return port_; }
    bool Accept() { return (peer_ = ::accept(fd_, nullptr, nullptr)) >= 0; }
    void Send(const Bytes& bytes) const { ASSERT_EQ(::send(peer_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size())); }
    Bytes Receive(std::size_t count) const
    {
        Bytes got(count);
        const ssize_t n = ::recv(peer_, got.data(), got.size(), MSG_WAITALL);
        got.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return got;
    }
    void ClosePeer() { ::close(std::exchange(peer_, -1)); }

private:
    int fd_ = -1;
    int peer_ = -1;
    uint16_t port_ = 0;
};

TEST(PosixSockets, StatusConnectionCarriesBytesAndReportsWindowsCodes)
{
    SocketLibrary& sockets = SystemSockets();
    ASSERT_EQ(posix::SocketStartsForTesting(), 0) << "a start left by another test";
    ASSERT_EQ(sockets.Startup(), 0u);
    EXPECT_EQ(posix::SocketStartsForTesting(), 1);

    LocalSocket printer(true);
    ASSERT_NE(printer.Port(), 0);
    DWORD error = 1;
    auto tcp = sockets.CreateTcp(error);
    ASSERT_NE(tcp, nullptr);
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(tcp->SetNoDelay(true));
    EXPECT_TRUE(tcp->SetDontLinger(true));
    EXPECT_TRUE(tcp->SetReceiveTimeout(50));
    ASSERT_TRUE(tcp->Connect(kLoopback, printer.Port()));
    ASSERT_TRUE(printer.Accept());

    const Bytes enable{0x1D, 0x61, 0xFF, 0x00};
    EXPECT_EQ(tcp->Send(enable), 4);
    EXPECT_EQ(printer.Receive(4), enable);

    Bytes got(16);
    SetLastSystemError(0);
    EXPECT_EQ(tcp->Receive(got), -1);
    EXPECT_EQ(LastSystemError(), syserr::kWsaTimedOut);

    const Bytes status{0x10, 0x00, 0x00, 0x0F};
    printer.Send(status);
    ASSERT_EQ(tcp->Receive(got), 4);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 4), status);
    printer.ClosePeer();
    EXPECT_EQ(tcp->Receive(got), 0);

    EXPECT_TRUE(tcp->Shutdown());
    EXPECT_TRUE(tcp->Close());
    EXPECT_FALSE(tcp->Close());

    EXPECT_TRUE(sockets.Cleanup());
    EXPECT_FALSE(sockets.Cleanup());
    EXPECT_EQ(LastSystemError(), syserr::kWsaNotInitialised);
}

TEST(PosixSockets, ConnectWhereNobodyListensIsRefused)
{
    // Bound but not listening: the port is ours, and the system answers a
    // connection with a reset.
    LocalSocket closed(false);
    ASSERT_NE(closed.Port(), 0);
    DWORD error = 0;
    auto tcp = SystemSockets().CreateTcp(error);
    ASSERT_NE(tcp, nullptr);
    SetLastSystemError(0);
    EXPECT_FALSE(tcp->Connect(kLoopback, closed.Port()));
    EXPECT_EQ(LastSystemError(), syserr::kWsaConnectionRefused);
}

TEST(PosixSockets, ParseIPv4TakesDottedDecimalOnly)
{
    const struct {
        const char16_t* text;
        bool ok;
        uint32_t ipv4;
    } rows[] = {
        {u"127.0.0.1", true, 0x7F000001},   {u"192.168.10.254", true, 0xC0A80AFE},
        {u"0.0.0.0", true, 0},              {u"256.1.1.1", false, 0},
        {u"192.168.1", false, 0},           {u"printer.local", false, 0},
        {u"", false, 0},                    {u" 10.0.0.1", false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(row.text)));
        uint32_t ipv4 = 0xDEADBEEF;
        EXPECT_EQ(SystemSockets().ParseIPv4(row.text, ipv4), row.ok);
        EXPECT_EQ(ipv4, row.ok ? row.ipv4 : 0xDEADBEEF);
    }
}

// An echo request as the network probe builds it: type 8, identifier and
// sequence in network order, 32 bytes of 'x', the RFC 1071 checksum.
Bytes EchoRequest(uint16_t identifier, uint16_t sequence)
{
    Bytes packet{8, 0, 0, 0, static_cast<uint8_t>(identifier >> 8), static_cast<uint8_t>(identifier),
                 static_cast<uint8_t>(sequence >> 8), static_cast<uint8_t>(sequence)};
    packet.resize(40, 'x');
    uint32_t sum = 0;
    for (std::size_t i = 0; i < packet.size(); i += 2) sum += static_cast<uint32_t>(packet[i] << 8 | packet[i + 1]);
    while ((sum >> 16) != 0) sum = (sum & 0xFFFF) + (sum >> 16);
    packet[2] = static_cast<uint8_t>(~sum >> 8);
    packet[3] = static_cast<uint8_t>(~sum);
    return packet;
}

bool ChecksumHolds(const uint8_t* bytes, std::size_t size)
{
    uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    while ((sum >> 16) != 0) sum = (sum & 0xFFFF) + (sum >> 16);
    return sum == 0xFFFF;
}

// Sends one request to 127.0.0.1 and checks the reply as a raw socket shows
// it. Other packets (the request itself on a raw socket, other programs'
// echoes) are passed over.
void ExpectEchoFromLoopback(IcmpSocket& icmp, uint16_t identifier)
{
    const Bytes request = EchoRequest(identifier, 1);
    ASSERT_TRUE(icmp.SendTo(kLoopback, request));
    for (int packets = 0; packets < 20; ++packets) {
        ASSERT_EQ(icmp.WaitReadable(5000), 1) << "no reply";
        uint8_t reply[128] = {};
        const int n = icmp.Receive(reply);
        ASSERT_GT(n, 0);
        if (n < 28 || reply[20] != 0 || reply[24] != request[4] || reply[25] != request[5]) continue;
        ASSERT_EQ(n, 60);
        EXPECT_EQ(reply[0], 0x45);                  // IPv4, 20-byte header
        EXPECT_EQ(reply[2] << 8 | reply[3], 60);    // total length
        EXPECT_GT(reply[8], 0);                     // TTL
        EXPECT_EQ(reply[9], 1);                     // ICMP
        EXPECT_EQ(Bytes(reply + 12, reply + 16), (Bytes{127, 0, 0, 1}));
        EXPECT_TRUE(ChecksumHolds(reply, 20));
        EXPECT_TRUE(ChecksumHolds(reply + 20, 40));
        EXPECT_EQ(Bytes(reply + 26, reply + 28), Bytes(request.begin() + 6, request.begin() + 8));
        EXPECT_EQ(Bytes(reply + 28, reply + 60), Bytes(request.begin() + 8, request.end()));
        return;
    }
    ADD_FAILURE() << "no echo reply among the packets received";
}

TEST(PosixIcmp, EchoFromLoopbackThroughTheProbeSocket)
{
    DWORD error = 0;
    auto icmp = SystemSockets().CreateIcmp(error);
    if (icmp == nullptr) GTEST_SKIP() << "the system refuses ICMP sockets here (error " << error << ")";
    ExpectEchoFromLoopback(*icmp, static_cast<uint16_t>(0x4C00 | (::getpid() & 0xFF)));
}

TEST(PosixIcmp, DatagramSocketShowsRepliesAsARawSocketWould)
{
    DWORD error = 0;
    auto icmp = posix::CreateIcmpDatagramSocketForTesting(error);
    if (icmp == nullptr)
        GTEST_SKIP() << "ICMP datagram sockets are refused to this group (net.ipv4.ping_group_range), error "
                     << error;
    ExpectEchoFromLoopback(*icmp, static_cast<uint16_t>(0x4D00 | (::getpid() & 0xFF)));
}

}  // namespace
}  // namespace lt77
