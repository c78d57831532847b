// An ICMP socket with raw-socket semantics: requests are sent whole (the
// caller builds header and checksum) and replies are received with their
// 20-byte IPv4 header first. On Linux, where a raw socket is refused to an
// unprivileged process, the implementation uses an ICMP datagram socket
// bound to the request's identifier and puts a header in front of what it
// receives, so the caller sees the same bytes either way.
#pragma once

#include <cstdint>
#include <span>

#include "platform/oem/abi_types.h"

namespace lt77 {

class IcmpSocket {
public:
    virtual ~IcmpSocket() = default;
    // `ipv4` in host order. False with the system error set.
    virtual bool SendTo(uint32_t ipv4, std::span<const uint8_t> packet) = 0;
    // 1 readable, 0 time-out, -1 error.
    virtual int WaitReadable(DWORD ms) = 0;
    // Bytes received (IP header included), or -1 with the system error set.
    virtual int Receive(std::span<uint8_t> out) = 0;
};

}  // namespace lt77
