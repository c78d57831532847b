// The port operations of the monitor's table, as the spooler calls them.
// The port handle given to the spooler is the port record.
#pragma once

#include "platform/monitor/monitor_abi.h"
#include "portmon/monitor.h"

namespace lt77::portmon {

BOOL VaveriOpenPortEx(Monitor& monitor, HANDLE hMonitorPort, const WCHAR* pszPortName,
                      const WCHAR* pszPrinterName, HANDLE* pHandle, const mon::MONITOR2* pMonitor2);
BOOL VaveriStartDocPort(Monitor& monitor, HANDLE hPort, const WCHAR* pPrinterName, DWORD JobId,
                        DWORD Level, const BYTE* pDocInfo);
BOOL VaveriWritePort(Monitor& monitor, HANDLE hPort, const BYTE* pBuffer, DWORD cbBuf,
                     DWORD* pcbWritten);
BOOL VaveriReadPort(Monitor& monitor, HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead);
BOOL VaveriEndDocPort(Monitor& monitor, HANDLE hPort);
BOOL VaveriClosePort(Monitor& monitor, HANDLE hPort);
BOOL VaveriGetPrinterDataFromPort(Monitor& monitor, HANDLE hPort, DWORD ControlID,
                                  WCHAR* pValueName, WCHAR* lpInBuffer, DWORD cbInBuffer,
                                  WCHAR* lpOutBuffer, DWORD cbOutBuffer, DWORD* lpcbReturned);
BOOL VaveriSetPortTimeOuts(Monitor& monitor, HANDLE hPort, const mon::COMMTIMEOUTS* lpCTO,
                           DWORD reserved);
DWORD VaveriBidiSendRecv(Monitor& monitor, HANDLE hPort, DWORD dwAccessBit, const WCHAR* pAction,
                         mon::BIDI_REQUEST_CONTAINER* pReqData,
                         mon::BIDI_RESPONSE_CONTAINER** ppResData);

// Reads "EOJTimeout" through the spooler's registry functions, creating it
// with 7000 ms when missing. False when it cannot be created.
bool UpdateTimeoutsFromRegistry(Monitor& monitor);

}  // namespace lt77::portmon
