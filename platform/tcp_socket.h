// The socket library and TCP connections, as Windows Sockets has them: the
// library is started and released explicitly (a no-op on POSIX, which keeps
// a count so that the monitor's start and release pairs are checked), and
// failures report the socket error codes (WSAETIMEDOUT, WSAECONNREFUSED, ...)
// on every target.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/icmp_socket.h"
#include "platform/oem/abi_types.h"

namespace lt77 {

class TcpSocket {
public:
    virtual ~TcpSocket() = default;
    virtual bool SetNoDelay(bool on) = 0;
    virtual bool SetDontLinger(bool on) = 0;
    virtual bool SetReceiveTimeout(DWORD ms) = 0;
    // `ipv4` in host order (127.0.0.1 is 0x7F000001).
    virtual bool Connect(uint32_t ipv4, uint16_t port) = 0;
    // Bytes sent, or -1 with the system error set.
    virtual int Send(std::span<const uint8_t> bytes) = 0;
    // Bytes received (at most out.size()), 0 when the peer closed, -1 with
    // the system error set (WSAETIMEDOUT after the receive time-out).
    virtual int Receive(std::span<uint8_t> out) = 0;
    virtual bool Shutdown() = 0;  // both directions
    virtual bool Close() = 0;     // once; the destructor closes what is still open
};

class SocketLibrary {
public:
    virtual ~SocketLibrary() = default;
    // WSAStartup(2.2); returns the error, 0 on success.
    virtual DWORD Startup() = 0;
    virtual bool Cleanup() = 0;
    // Null with `error` set (WSANOTINITIALISED when no start is in force on
    // Windows; POSIX sockets need no start and never fail for want of one).
    virtual std::unique_ptr<TcpSocket> CreateTcp(DWORD& error) = 0;
    virtual std::unique_ptr<IcmpSocket> CreateIcmp(DWORD& error) = 0;
    // inet_pton for IPv4 dotted text; the address in host order.
    virtual bool ParseIPv4(std::u16string_view text, uint32_t& ipv4) = 0;
};

SocketLibrary& SystemSockets();

}  // namespace lt77
