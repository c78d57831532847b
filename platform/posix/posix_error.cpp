#include "platform/posix/posix_error.h"

#include <cerrno>

namespace lt77 {

// The thread's last error lives in errno, which the C library already keeps
// per thread and shares between the test host and the plug-ins it loads, as
// the system's last error is shared on Windows. It only ever holds Windows
// codes when read: every failing POSIX call maps errno before returning.
DWORD LastSystemError() { return static_cast<DWORD>(errno); }

void SetLastSystemError(DWORD error) { errno = static_cast<int>(error); }

}  // namespace lt77

namespace lt77::posix {

DWORD ErrorFromErrno(int err)
{
    switch (err) {
    case 0: return syserr::kSuccess;
    case ENOENT: return syserr::kFileNotFound;
    case ENOTDIR: return syserr::kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return syserr::kAccessDenied;
    case EBADF: return syserr::kInvalidHandle;
    case ENOMEM: return syserr::kNotEnoughMemory;
    case EINVAL: return syserr::kInvalidParameter;
    case EWOULDBLOCK: return 32;  // sharing violation
    case EEXIST: return 80;       // file exists
    case ENOSPC: return 112;      // disk full
    case ETIMEDOUT: return 1460;  // timeout
    default: return syserr::kWriteFault;
    }
}

DWORD SetLastErrorFromErrno()
{
    const DWORD error = ErrorFromErrno(errno);
    SetLastSystemError(error);
    return error;
}

}  // namespace lt77::posix
