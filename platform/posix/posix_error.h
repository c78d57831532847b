// The one place where POSIX errors become the Windows codes the rest of the
// package speaks.
#pragma once

#include "platform/system_error.h"

namespace lt77::posix {

DWORD ErrorFromErrno(int err);
// Maps errno, keeps it as the thread's last error and returns it.
DWORD SetLastErrorFromErrno();

}  // namespace lt77::posix
