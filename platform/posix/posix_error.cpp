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

DWORD SocketErrorFromErrno(int err)
{
    switch (err) {
    case 0: return syserr::kSuccess;
    case EINTR: return 10004;  // WSAEINTR
    case EBADF:
    case ENOTSOCK: return 10038;  // WSAENOTSOCK
    case EACCES:
    case EPERM: return 10013;  // WSAEACCES
    case EFAULT: return 10014;  // WSAEFAULT
    case EINVAL: return 10022;  // WSAEINVAL
    case EMFILE:
    case ENFILE: return 10024;  // WSAEMFILE
    // The sockets block; EAGAIN only comes back when SO_RCVTIMEO or
    // SO_SNDTIMEO ran out, which Windows reports as a time-out.
    case EAGAIN:
    case ETIMEDOUT: return syserr::kWsaTimedOut;
    case EINPROGRESS: return 10036;  // WSAEINPROGRESS
    case EALREADY: return 10037;     // WSAEALREADY
    case EDESTADDRREQ: return 10039;  // WSAEDESTADDRREQ
    case EMSGSIZE: return 10040;      // WSAEMSGSIZE
    case EPROTONOSUPPORT: return 10043;  // WSAEPROTONOSUPPORT
    case EOPNOTSUPP: return 10045;       // WSAEOPNOTSUPP
    case EAFNOSUPPORT: return 10047;     // WSAEAFNOSUPPORT
    case EADDRINUSE: return 10048;       // WSAEADDRINUSE
    case EADDRNOTAVAIL: return 10049;    // WSAEADDRNOTAVAIL
    case ENETDOWN: return 10050;         // WSAENETDOWN
    case ENETUNREACH: return 10051;      // WSAENETUNREACH
    case ECONNABORTED: return 10053;     // WSAECONNABORTED
    case ECONNRESET: return 10054;       // WSAECONNRESET
    case ENOBUFS:
    case ENOMEM: return 10055;  // WSAENOBUFS
    case EISCONN: return 10056;  // WSAEISCONN
    case ENOTCONN: return 10057;  // WSAENOTCONN
    // A send after the connection was shut down.
    case EPIPE: return 10058;  // WSAESHUTDOWN
    case ECONNREFUSED: return syserr::kWsaConnectionRefused;
    case EHOSTDOWN: return 10064;  // WSAEHOSTDOWN
    case EHOSTUNREACH: return 10065;  // WSAEHOSTUNREACH
    default: return 10022;  // WSAEINVAL
    }
}

DWORD SetLastSocketErrorFromErrno()
{
    const DWORD error = SocketErrorFromErrno(errno);
    SetLastSystemError(error);
    return error;
}

DWORD DeviceErrorFromErrno(int err)
{
    switch (err) {
    case EIO: return syserr::kDeviceNotConnected;
    case ENOTTY: return syserr::kNotSupported;
    default: return ErrorFromErrno(err);
    }
}

DWORD SetLastDeviceErrorFromErrno()
{
    const DWORD error = DeviceErrorFromErrno(errno);
    SetLastSystemError(error);
    return error;
}

}  // namespace lt77::posix
