// The calling thread's last system error, as a Windows error code on every
// target: the spooler reads it after a FALSE from a monitor entry, and the
// trace lines report it. On POSIX the implementations map errno once, where
// the failing call is made, so no raw errno value ever reaches a caller.
#pragma once

#include "platform/oem/abi_types.h"

namespace lt77 {

DWORD LastSystemError();
void SetLastSystemError(DWORD error);

}  // namespace lt77
