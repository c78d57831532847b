// The status thread's own channels to the printer: a private handle to a
// serial device beside the spooler's redirection of the port, and a TCP
// connection to a network printer; and the probes that say whether the
// printer is reachable. Job bytes never travel this way.
#pragma once

#include <span>
#include <string_view>

#include "portmon/port_record.h"

namespace lt77::portmon {

// 1D 61 FF 00: automatic status back for every status change.
inline constexpr uint8_t kAsbEnableCommand[4] = {0x1D, 0x61, 0xFF, 0x00};

// Serial ports.
bool GetCOMPort(Monitor& monitor, IniPort& port);
bool ReleaseCOMPort(Monitor& monitor, IniPort& port, DWORD pauseMs);
bool ValidateDosDevicePort(Monitor& monitor, IniPort& port);
bool SetSerialCommInfo(Monitor& monitor, IniPort& port);
bool SetSerialDCB(Monitor& monitor, IniPort& port, SerialLine& line);
bool SerWritePort(Monitor& monitor, IniPort& port);
bool SerReadPort(Monitor& monitor, IniPort& port, std::span<uint8_t> buffer, DWORD& read);

// Network ports.
void KelNetInitialize(Monitor& monitor, IniPort& port);
bool KelGetNetworkPortInfo(Monitor& monitor, HANDLE hMonitorPort, IniPort& port,
                           std::u16string_view portName, const mon::MONITOR2* lower);
bool KelNetWritePort(Monitor& monitor, IniPort& port);
bool KelNetReadPort(Monitor& monitor, IniPort& port, std::span<uint8_t> buffer, DWORD& read);
void KelNetDisconnect(Monitor& monitor, IniPort& port, DWORD pauseMs);
void KelNetCleanup(Monitor& monitor, IniPort& port);
bool KelNetPing(Monitor& monitor, IniPort& port, std::u16string_view ipAddress);

// Whether the printer answers on its port (modem lines, device queries, an
// ICMP echo); file ports and unknown types are always available.
bool IsPrinterAvailable(Monitor& monitor, IniPort& port);

}  // namespace lt77::portmon
