// Our own declarations of the spooler's monitor records: what crosses
// InitializePrintMonitor2, the MONITOR2 operation tables (ours and the system
// port monitor's underneath), the registry access the spooler lends a
// monitor, and the few records passed through them. The same declarations
// serve the Linux test host and the Windows build (x86_64), so they include
// no Windows headers; platform/win32/abi_checks.cpp compares them with
// mingw-w64's field by field.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/oem/abi_types.h"

namespace lt77::mon {

using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPBYTE = BYTE*;
using REGSAM = DWORD;

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
static_assert(sizeof(COMMTIMEOUTS) == 20);

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// The spooler's registry functions for monitors: every call names the key
// handle it got and the spooler handle of the MONITORINIT last.
struct MONITORREG {
    DWORD cbSize;
    LONG (*fpCreateKey)(HANDLE hcKey, LPCWSTR pszSubKey, DWORD dwOptions, REGSAM samDesired,
                        void* pSecurityAttributes, HANDLE* phckResult, DWORD* pdwDisposition,
                        HANDLE hSpooler);
    LONG (*fpOpenKey)(HANDLE hcKey, LPCWSTR pszSubKey, REGSAM samDesired, HANDLE* phkResult,
                      HANDLE hSpooler);
    LONG (*fpCloseKey)(HANDLE hcKey, HANDLE hSpooler);
    LONG (*fpDeleteKey)(HANDLE hcKey, LPCWSTR pszSubKey, HANDLE hSpooler);
    LONG (*fpEnumKey)(HANDLE hcKey, DWORD dwIndex, LPWSTR pszName, DWORD* pcchName,
                      FILETIME* pftLastWriteTime, HANDLE hSpooler);
    LONG (*fpQueryInfoKey)(HANDLE hcKey, DWORD* pcSubKeys, DWORD* pcbKey, DWORD* pcValues,
                           DWORD* pcbValue, DWORD* pcbData, DWORD* pcbSecurityDescriptor,
                           FILETIME* pftLastWriteTime, HANDLE hSpooler);
    LONG (*fpSetValue)(HANDLE hcKey, LPCWSTR pszValue, DWORD dwType, const BYTE* pData,
                       DWORD cbData, HANDLE hSpooler);
    LONG (*fpDeleteValue)(HANDLE hcKey, LPCWSTR pszValue, HANDLE hSpooler);
    LONG (*fpEnumValue)(HANDLE hcKey, DWORD dwIndex, LPWSTR pszValue, DWORD* pcbValue,
                        DWORD* pType, BYTE* pData, DWORD* pcbData, HANDLE hSpooler);
    LONG (*fpQueryValue)(HANDLE hcKey, LPCWSTR pszValue, DWORD* pType, BYTE* pData,
                         DWORD* pcbData, HANDLE hSpooler);
};
static_assert(sizeof(MONITORREG) == 88);
static_assert(offsetof(MONITORREG, fpSetValue) == 56);
static_assert(offsetof(MONITORREG, fpQueryValue) == 80);

struct MONITORINIT {
    DWORD cbSize;
    HANDLE hSpooler;
    HANDLE hckRegistryRoot;
    MONITORREG* pMonitorReg;
    BOOL bLocal;
    LPCWSTR pszServerName;
};
static_assert(sizeof(MONITORINIT) == 48);
static_assert(offsetof(MONITORINIT, hckRegistryRoot) == 16);
static_assert(offsetof(MONITORINIT, pMonitorReg) == 24);
static_assert(offsetof(MONITORINIT, bLocal) == 32);
static_assert(offsetof(MONITORINIT, pszServerName) == 40);

struct BIDI_REQUEST_CONTAINER;
struct BIDI_RESPONSE_CONTAINER;

struct MONITOR2 {
    DWORD cbSize;
    BOOL (*pfnEnumPorts)(HANDLE hMonitor, LPWSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf,
                         DWORD* pcbNeeded, DWORD* pcReturned);
    BOOL (*pfnOpenPort)(HANDLE hMonitor, LPWSTR pName, HANDLE* pHandle);
    BOOL (*pfnOpenPortEx)(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName,
                          LPWSTR pPrinterName, HANDLE* pHandle, MONITOR2* pMonitor2);
    BOOL (*pfnStartDocPort)(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level,
                            LPBYTE pDocInfo);
    BOOL (*pfnWritePort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, DWORD* pcbWritten);
    BOOL (*pfnReadPort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, DWORD* pcbRead);
    BOOL (*pfnEndDocPort)(HANDLE hPort);
    BOOL (*pfnClosePort)(HANDLE hPort);
    BOOL (*pfnAddPort)(HANDLE hMonitor, LPWSTR pName, HANDLE hWnd, LPWSTR pMonitorName);
    BOOL (*pfnAddPortEx)(HANDLE hMonitor, LPWSTR pName, DWORD Level, LPBYTE lpBuffer,
                         LPWSTR lpMonitorName);
    BOOL (*pfnConfigurePort)(HANDLE hMonitor, LPWSTR pName, HANDLE hWnd, LPWSTR pPortName);
    BOOL (*pfnDeletePort)(HANDLE hMonitor, LPWSTR pName, HANDLE hWnd, LPWSTR pPortName);
    BOOL (*pfnGetPrinterDataFromPort)(HANDLE hPort, DWORD ControlID, LPWSTR pValueName,
                                      LPWSTR lpInBuffer, DWORD cbInBuffer, LPWSTR lpOutBuffer,
                                      DWORD cbOutBuffer, DWORD* lpcbReturned);
    BOOL (*pfnSetPortTimeOuts)(HANDLE hPort, COMMTIMEOUTS* lpCTO, DWORD reserved);
    BOOL (*pfnXcvOpenPort)(HANDLE hMonitor, LPCWSTR pszObject, DWORD GrantedAccess,
                           HANDLE* phXcv);
    DWORD (*pfnXcvDataPort)(HANDLE hXcv, LPCWSTR pszDataName, BYTE* pInputData,
                            DWORD cbInputData, BYTE* pOutputData, DWORD cbOutputData,
                            DWORD* pcbOutputNeeded);
    BOOL (*pfnXcvClosePort)(HANDLE hXcv);
    void (*pfnShutdown)(HANDLE hMonitor);
    DWORD (*pfnSendRecvBidiDataFromPort)(HANDLE hPort, DWORD dwAccessBit, LPCWSTR pAction,
                                         BIDI_REQUEST_CONTAINER* pReqData,
                                         BIDI_RESPONSE_CONTAINER** ppResData);
};
// The table ends with the bidirectional entry: later systems append entries
// the monitor does not offer, and the spooler reads only cbSize bytes.
static_assert(sizeof(MONITOR2) == 160);
static_assert(offsetof(MONITOR2, pfnOpenPortEx) == 24);
static_assert(offsetof(MONITOR2, pfnClosePort) == 64);
static_assert(offsetof(MONITOR2, pfnGetPrinterDataFromPort) == 104);
static_assert(offsetof(MONITOR2, pfnXcvOpenPort) == 120);
static_assert(offsetof(MONITOR2, pfnShutdown) == 144);
static_assert(offsetof(MONITOR2, pfnSendRecvBidiDataFromPort) == 152);

struct PORT_INFO_3W {
    DWORD dwStatus;
    LPWSTR pszStatus;
    DWORD dwSeverity;
};
static_assert(sizeof(PORT_INFO_3W) == 24);
static_assert(offsetof(PORT_INFO_3W, dwSeverity) == 16);

// The standard TCP/IP port monitor's "GetConfigInfo" records.
struct CONFIG_INFO_DATA_1 {
    BYTE Reserved[128];
    DWORD dwVersion;
};
static_assert(sizeof(CONFIG_INFO_DATA_1) == 132);

struct PORT_DATA_1 {
    WCHAR sztPortName[64];
    DWORD dwVersion;
    DWORD dwProtocol;
    DWORD cbSize;
    DWORD dwReserved;
    WCHAR sztHostAddress[49];
    WCHAR sztSNMPCommunity[33];
    DWORD dwDoubleSpool;
    WCHAR sztQueue[33];
    WCHAR sztIPAddress[16];
    BYTE Reserved[540];
    DWORD dwPortNumber;
    DWORD dwSNMPEnabled;
    DWORD dwSNMPDevIndex;
};
static_assert(sizeof(PORT_DATA_1) == 964);
static_assert(offsetof(PORT_DATA_1, sztHostAddress) == 144);
static_assert(offsetof(PORT_DATA_1, dwDoubleSpool) == 308);
static_assert(offsetof(PORT_DATA_1, dwPortNumber) == 952);

inline constexpr DWORD PROTOCOL_RAWTCP_TYPE = 1;

// DOC_INFO_1W, what StartDocPort receives at level 1.
struct DOC_INFO_1W {
    LPWSTR pDocName;
    LPWSTR pOutputFile;
    LPWSTR pDatatype;
};
static_assert(sizeof(DOC_INFO_1W) == 24);

inline constexpr DWORD PORT_STATUS_OFFLINE = 1;
inline constexpr DWORD PORT_STATUS_PAPER_OUT = 3;
inline constexpr DWORD PORT_STATUS_DOOR_OPEN = 7;
inline constexpr DWORD PORT_STATUS_USER_INTERVENTION = 8;
inline constexpr DWORD PORT_STATUS_TYPE_ERROR = 1;
inline constexpr DWORD PORT_STATUS_TYPE_WARNING = 2;
inline constexpr DWORD PORT_STATUS_TYPE_INFO = 3;

inline constexpr DWORD JOB_CONTROL_DELETE = 5;
inline constexpr DWORD JOB_CONTROL_LAST_PAGE_EJECTED = 7;
inline constexpr DWORD JOB_STATUS_ERROR = 0x2;
inline constexpr DWORD JOB_STATUS_DELETING = 0x4;
inline constexpr DWORD JOB_STATUS_RESTART = 0x800;

inline constexpr DWORD PRINTER_ATTRIBUTE_WORK_OFFLINE = 0x400;
inline constexpr DWORD PRINTER_ATTRIBUTE_ENABLE_BIDI = 0x800;
inline constexpr DWORD PRINTER_ATTRIBUTE_RAW_ONLY = 0x1000;
inline constexpr DWORD PRINTER_ACCESS_USE_RIGHTS = 0x8;

inline constexpr DWORD REG_DWORD_VALUE = 4;

// Parallel and USB device queries, passed as the ControlID of the lower
// monitor's GetPrinterDataFromPort.
inline constexpr DWORD IOCTL_PAR_QUERY_INFORMATION = 0x160004;
inline constexpr DWORD IOCTL_PAR_QUERY_DEVICE_ID = 0x16000C;
inline constexpr BYTE PARALLEL_OFF_LINE = 0x08;
inline constexpr BYTE PARALLEL_POWER_OFF = 0x10;

// The access XcvOpenPort asks for: SERVER_ACCESS_ADMINISTER with the standard
// rights, as the standard TCP/IP port monitor's configuration expects.
inline constexpr DWORD XCV_PORT_ACCESS = 0x121F0000;

}  // namespace lt77::mon
