// Windows Sockets on loopback through the monitor's socket interface: the
// receive time-out and a refused connection carry the socket codes.
#include <gtest/gtest.h>

#include "platform/system_error.h"
#include "platform/tcp_socket.h"

#include <winsock2.h>
#include <windows.h>

namespace lt77 {
namespace {

constexpr uint32_t kLoopback = 0x7F000001;

// A socket of the test's own on 127.0.0.1 and a free port, listening or not.
class LocalSocket {
public:
    explicit LocalSocket(bool listening)
    {
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(kLoopback);
        int size = sizeof(address);
        if (socket_ == INVALID_SOCKET || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            (listening && ::listen(socket_, 1) != 0) ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ::ntohs(address.sin_port);
    }
    ~LocalSocket()
    {
        if (peer_ != INVALID_SOCKET) ::closesocket(peer_);
        if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
    }
    uint16_t Port() const { return port_; }
    bool Accept() { return (peer_ = ::accept(socket_, nullptr, nullptr)) != INVALID_SOCKET; }
    std::string Receive(int count) const
    {
        std::string got(static_cast<std::size_t>(count), '\0');
        const int n = ::recv(peer_, got.data(), count, MSG_WAITALL);
        got.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return got;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    SOCKET peer_ = INVALID_SOCKET;
    uint16_t port_ = 0;
};

TEST(Win32Sockets, ReceiveTimesOutAndAClosedPortRefusesWithSocketCodes)
{
    SocketLibrary& sockets = SystemSockets();
    ASSERT_EQ(sockets.Startup(), 0u);
    {
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
        const uint8_t enable[] = {0x1D, 0x61, 0xFF, 0x00};
        EXPECT_EQ(tcp->Send(enable), 4);
        EXPECT_EQ(printer.Receive(4), std::string("\x1D\x61\xFF\x00", 4));
        uint8_t got[16];
        SetLastSystemError(0);
        EXPECT_EQ(tcp->Receive(got), -1);
        EXPECT_EQ(LastSystemError(), syserr::kWsaTimedOut);
        EXPECT_TRUE(tcp->Close());

        LocalSocket closed(false);
        ASSERT_NE(closed.Port(), 0);
        auto refused = sockets.CreateTcp(error);
        ASSERT_NE(refused, nullptr);
        SetLastSystemError(0);
        EXPECT_FALSE(refused->Connect(kLoopback, closed.Port()));
        EXPECT_EQ(LastSystemError(), syserr::kWsaConnectionRefused);
    }
    EXPECT_TRUE(sockets.Cleanup());
    DWORD error = 0;
    EXPECT_EQ(sockets.CreateTcp(error), nullptr);
    EXPECT_EQ(error, syserr::kWsaNotInitialised);
}

}  // namespace
}  // namespace lt77
