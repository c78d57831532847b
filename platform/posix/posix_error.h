// The one place where POSIX errors become the Windows codes the rest of the
// package speaks.
#pragma once

#include "platform/system_error.h"

namespace lt77::posix {

DWORD ErrorFromErrno(int err);
// Maps errno, keeps it as the thread's last error and returns it.
DWORD SetLastErrorFromErrno();

// Sockets speak the Windows Sockets codes instead (WSAETIMEDOUT for a receive
// that ran out of time, WSAECONNREFUSED, ...).
DWORD SocketErrorFromErrno(int err);
DWORD SetLastSocketErrorFromErrno();

// A terminal that stands for a serial device: its hang-up is a device gone,
// and a request it has no answer for (a pseudo-terminal's modem lines) is not
// supported, as Wine's serial driver reports them.
DWORD DeviceErrorFromErrno(int err);
DWORD SetLastDeviceErrorFromErrno();

}  // namespace lt77::posix
