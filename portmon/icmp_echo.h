// The ICMP echo request the network probe sends and the check of what comes
// back. Replies come from the network: every length and field is checked
// before it is believed.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace lt77::portmon {

inline constexpr size_t kEchoRequestBytes = 40;
inline constexpr size_t kEchoPayloadBytes = 32;
inline constexpr uint8_t kEchoPayloadByte = 0x78;  // 'x'
inline constexpr size_t kIpHeaderBytes = 20;

// RFC 1071 Internet checksum, as it is stored (network order bytes).
uint16_t InternetChecksum(std::span<const uint8_t> bytes);

std::array<uint8_t, kEchoRequestBytes> BuildEchoRequest(uint16_t identifier, uint16_t sequence);

enum class EchoVerdict {
    NotOurs,  // another packet: keep waiting for the reply
    Wrong,    // a reply to this request, but damaged
    Valid,
};

// What a received packet (IPv4 header first) says of this request: a valid
// reply has the same identifier and sequence number, a checksum that
// verifies and the payload that was sent. `ttl` is set for replies.
EchoVerdict CheckEchoReply(std::span<const uint8_t> received, uint16_t identifier, uint16_t sequence,
                           uint8_t& ttl);

}  // namespace lt77::portmon
