// Fixed-width spellings of the Windows ABI types that cross the plug-in
// boundary. The same declarations serve the Linux test host and the Windows
// build (x86_64 only), so they never include Windows headers: LONG is 32 bits
// on Windows even where long is 64, and WCHAR is always UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lt77 {

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using ULONG = uint32_t;
using LONG = int32_t;
using BOOL = int32_t;
using INT = int32_t;
using HRESULT = int32_t;
using FLONG = uint32_t;
using MIX = uint32_t;
using ROP4 = uint32_t;
using ULONG_PTR = uintptr_t;
using WCHAR = char16_t;
using HANDLE = void*;
using PVOID = void*;

inline constexpr BOOL kBoolFalse = 0;
inline constexpr BOOL kBoolTrue = 1;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

inline bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

// Result codes of the COM interfaces. Windows headers define the usual names
// as macros, so ours carry their own spelling.
namespace hr {
inline constexpr HRESULT kOk = 0;
inline constexpr HRESULT kFalse = 1;
inline constexpr HRESULT kNotImpl = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT kNoInterface = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT kPointer = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT kClassNotAvailable = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000Eu);
}  // namespace hr

// System error codes (the thread's last error).
namespace syserr {
inline constexpr DWORD kSuccess = 0;
inline constexpr DWORD kFileNotFound = 2;
inline constexpr DWORD kPathNotFound = 3;
inline constexpr DWORD kAccessDenied = 5;
inline constexpr DWORD kInvalidHandle = 6;
inline constexpr DWORD kNotEnoughMemory = 8;
inline constexpr DWORD kInvalidData = 13;
inline constexpr DWORD kWriteFault = 29;
inline constexpr DWORD kInvalidParameter = 87;
inline constexpr DWORD kInsufficientBuffer = 122;
inline constexpr DWORD kMoreData = 234;
inline constexpr DWORD kNotSupported = 50;
inline constexpr DWORD kCallNotImplemented = 120;
inline constexpr DWORD kInvalidLevel = 124;
inline constexpr DWORD kBusy = 170;
inline constexpr DWORD kPipeNotConnected = 233;
inline constexpr DWORD kOperationAborted = 995;
inline constexpr DWORD kIoPending = 997;
inline constexpr DWORD kDeviceNotConnected = 1167;
inline constexpr DWORD kCancelled = 1223;
inline constexpr DWORD kTimeout = 1460;
inline constexpr DWORD kInvalidPrinterName = 1801;
inline constexpr DWORD kInvalidPrintMonitor = 3007;
inline constexpr DWORD kPrinterNotFound = 3012;
inline constexpr DWORD kWsaTimedOut = 10060;
inline constexpr DWORD kWsaConnectionRefused = 10061;
inline constexpr DWORD kWsaNotInitialised = 10093;
}  // namespace syserr

}  // namespace lt77
