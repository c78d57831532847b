// The status thread of each open port: keeps the printer in automatic
// status back, turns its 4-byte blocks into the spooler's port status and
// publishes them in the shared status record.
#pragma once

#include <span>

#include "portmon/port_record.h"

namespace lt77::portmon {

inline constexpr size_t CBSTRING = 512;

BOOL CreateUStatusThread(Monitor& monitor, IniPort& port);
// Clears PP_THREAD_CREATED and waits for the thread to end (no limit).
void StopUStatusThread(Monitor& monitor, IniPort& port);
void UStatusThreadProc(Monitor& monitor, IniPort& port);

int IsEnableBidiCommunication(Monitor& monitor, IniPort& port);
BOOL ReadCommand(Monitor& monitor, IniPort& port);
BOOL WriteASBEnableCommand(Monitor& monitor, IniPort& port);
BOOL ParseCommands(Monitor& monitor, IniPort& port, std::span<const uint8_t> bytes);
BOOL InterpretCommands(Monitor& monitor, IniPort& port, const uint8_t block[4]);
void ClearPortStatus(Monitor& monitor, IniPort& port);
void UpdatePortStatusToUI(Monitor& monitor, IniPort& port);

// SetPort level 3 with RevertToSelf first; returns the system error.
DWORD SetSpoolerPortStatus(Monitor& monitor, IniPort& port, DWORD status, DWORD severity);

}  // namespace lt77::portmon
