#include "portmon/icmp_echo.h"

#include <algorithm>

namespace lt77::portmon {
namespace {

constexpr uint8_t kEchoRequest = 8;
constexpr uint8_t kEchoReply = 0;

uint16_t Word(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void PutWord(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

}  // namespace

uint16_t InternetChecksum(std::span<const uint8_t> bytes)
{
    uint32_t sum = 0;
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) sum += Word(bytes, i);
    if (i < bytes.size()) sum += static_cast<uint32_t>(bytes[i]) << 8;
    while ((sum >> 16) != 0) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

std::array<uint8_t, kEchoRequestBytes> BuildEchoRequest(uint16_t identifier, uint16_t sequence)
{
    std::array<uint8_t, kEchoRequestBytes> packet{};
    packet[0] = kEchoRequest;
    packet[1] = 0;
    PutWord(&packet[4], identifier);
    PutWord(&packet[6], sequence);
    std::fill(packet.begin() + 8, packet.end(), kEchoPayloadByte);
    PutWord(&packet[2], InternetChecksum(packet));
    return packet;
}

EchoVerdict CheckEchoReply(std::span<const uint8_t> received, uint16_t identifier, uint16_t sequence, uint8_t& ttl)
{
    if (received.size() < kIpHeaderBytes) return EchoVerdict::NotOurs;
    const size_t headerBytes = static_cast<size_t>(received[0] & 0x0F) * 4;
    if ((received[0] >> 4) != 4 || headerBytes < kIpHeaderBytes || received.size() < headerBytes + 8)
        return EchoVerdict::NotOurs;
    const auto icmp = received.subspan(headerBytes);
    // Other ICMP traffic of the host, our own request seen on loopback, and
    // late replies to an earlier attempt are not answers to this one.
    if (icmp[0] != kEchoReply || Word(icmp, 4) != identifier || Word(icmp, 6) != sequence)
        return EchoVerdict::NotOurs;
    ttl = received[8];
    if (icmp.size() != kEchoRequestBytes || InternetChecksum(icmp) != 0) return EchoVerdict::Wrong;
    const auto payload = icmp.subspan(8);
    const bool samePayload =
        std::all_of(payload.begin(), payload.end(), [](uint8_t b) { return b == kEchoPayloadByte; });
    return samePayload ? EchoVerdict::Valid : EchoVerdict::Wrong;
}

}  // namespace lt77::portmon
