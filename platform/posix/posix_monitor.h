// What the test host's monitor-side implementations show their tests beyond
// the platform interfaces: counts a test can balance, and the objects the
// host keeps for a name.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/icmp_socket.h"
#include "platform/oem/abi_types.h"

namespace lt77::posix {

// Tokens handed out by RevertToPrinterSelf and not yet given back through
// ImpersonatePrinterClient, in this process.
int OutstandingPrinterSelfTokensForTesting();

// Socket library starts not yet released, in this process.
int SocketStartsForTesting();

// The ICMP datagram socket that CreateIcmp falls back to when a raw socket
// is refused; null with `error` set where the system refuses it as well
// (net.ipv4.ping_group_range leaves the caller's group out).
std::unique_ptr<IcmpSocket> CreateIcmpDatagramSocketForTesting(DWORD& error);

// The POSIX shared-memory object ("/lt77-...") that stands for a section name
// below the current host root.
std::string SharedMemoryObjectNameForTesting(std::u16string_view sectionName);

}  // namespace lt77::posix
