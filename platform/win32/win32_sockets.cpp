#include <utility>

#include "platform/icmp_socket.h"
#include "platform/tcp_socket.h"
#include "platform/win32/win32_utf.h"

// Windows Sockets 2 before <windows.h>, which would bring in the old
// version's declarations.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

namespace lt77::win32 {
namespace {

// The socket error, kept as the thread's last error where the interfaces
// report it.
bool FailSocket()
{
    ::SetLastError(static_cast<::DWORD>(::WSAGetLastError()));
    return false;
}

sockaddr_in AddressOf(uint32_t ipv4, uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(ipv4);
    address.sin_port = ::htons(port);
    return address;
}

class OwnedSocket {
public:
    explicit OwnedSocket(SOCKET socket) : socket_(socket) {}
    ~OwnedSocket()
    {
        if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
    }
    OwnedSocket(const OwnedSocket&) = delete;
    OwnedSocket& operator=(const OwnedSocket&) = delete;
    SOCKET Get() const { return socket_; }
    bool Close()
    {
        if (socket_ == INVALID_SOCKET) {
            ::SetLastError(WSAENOTSOCK);
            return false;
        }
        return ::closesocket(std::exchange(socket_, INVALID_SOCKET)) == 0 || FailSocket();
    }

private:
    SOCKET socket_;
};

template <typename T>
bool SetOption(SOCKET socket, int level, int name, const T& value)
{
    return ::setsockopt(socket, level, name, reinterpret_cast<const char*>(&value), sizeof(value)) == 0 ||
           FailSocket();
}

class Win32TcpSocket final : public TcpSocket {
public:
    explicit Win32TcpSocket(SOCKET socket) : socket_(socket) {}

    bool SetNoDelay(bool on) override { return SetOption(socket_.Get(), IPPROTO_TCP, TCP_NODELAY, BOOL(on)); }
    bool SetDontLinger(bool on) override { return SetOption(socket_.Get(), SOL_SOCKET, SO_DONTLINGER, BOOL(on)); }
    bool SetReceiveTimeout(DWORD ms) override
    {
        return SetOption(socket_.Get(), SOL_SOCKET, SO_RCVTIMEO, static_cast<::DWORD>(ms));
    }

    bool Connect(uint32_t ipv4, uint16_t port) override
    {
        const sockaddr_in address = AddressOf(ipv4, port);
        return ::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
               FailSocket();
    }

    int Send(std::span<const uint8_t> bytes) override
    {
        const int n = ::send(socket_.Get(), reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0);
        if (n == SOCKET_ERROR) {
            FailSocket();
            return -1;
        }
        return n;
    }

    int Receive(std::span<uint8_t> out) override
    {
        const int n = ::recv(socket_.Get(), reinterpret_cast<char*>(out.data()), static_cast<int>(out.size()), 0);
        if (n == SOCKET_ERROR) {
            FailSocket();
            return -1;
        }
        return n;
    }

    bool Shutdown() override { return ::shutdown(socket_.Get(), SD_BOTH) == 0 || FailSocket(); }
    bool Close() override { return socket_.Close(); }

private:
    OwnedSocket socket_;
};

class Win32IcmpSocket final : public IcmpSocket {
public:
    explicit Win32IcmpSocket(SOCKET socket) : socket_(socket) {}

    bool SendTo(uint32_t ipv4, std::span<const uint8_t> packet) override
    {
        const sockaddr_in to = AddressOf(ipv4, 0);
        const int n = ::sendto(socket_.Get(), reinterpret_cast<const char*>(packet.data()),
                               static_cast<int>(packet.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
        if (n == SOCKET_ERROR) return FailSocket();
        return true;
    }

    int WaitReadable(DWORD ms) override
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_.Get(), &readable);
        timeval wait{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
        const int n = ::select(0, &readable, nullptr, nullptr, &wait);
        if (n == SOCKET_ERROR) {
            FailSocket();
            return -1;
        }
        return n > 0 ? 1 : 0;
    }

    int Receive(std::span<uint8_t> out) override
    {
        const int n = ::recv(socket_.Get(), reinterpret_cast<char*>(out.data()), static_cast<int>(out.size()), 0);
        if (n == SOCKET_ERROR) {
            FailSocket();
            return -1;
        }
        return n;
    }

private:
    OwnedSocket socket_;
};

class Win32SocketLibrary final : public SocketLibrary {
public:
    DWORD Startup() override
    {
        WSADATA data{};
        return static_cast<DWORD>(::WSAStartup(MAKEWORD(2, 2), &data));
    }

    bool Cleanup() override { return ::WSACleanup() == 0 || FailSocket(); }

    std::unique_ptr<TcpSocket> CreateTcp(DWORD& error) override
    {
        const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (socket == INVALID_SOCKET) {
            FailSocket();
            error = static_cast<DWORD>(::GetLastError());
            return nullptr;
        }
        error = 0;
        return std::make_unique<Win32TcpSocket>(socket);
    }

    std::unique_ptr<IcmpSocket> CreateIcmp(DWORD& error) override
    {
        const SOCKET socket = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
        if (socket == INVALID_SOCKET) {
            FailSocket();
            error = static_cast<DWORD>(::GetLastError());
            return nullptr;
        }
        error = 0;
        return std::make_unique<Win32IcmpSocket>(socket);
    }

    bool ParseIPv4(std::u16string_view text, uint32_t& ipv4) override
    {
        IN_ADDR address{};
        if (::InetPtonW(AF_INET, WideFromU16(text).c_str(), &address) != 1) return false;
        ipv4 = ::ntohl(address.s_addr);
        return true;
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

SocketLibrary& SystemSockets()
{
    static win32::Win32SocketLibrary library;
    return library;
}

}  // namespace lt77
