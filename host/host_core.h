// The driver core's services interface as the test host plays it, shared by
// the host, the unit tests and the benchmarks: option answers by keyword and
// a spooler behind DrvWriteSpoolBuf that can be told to take fewer bytes than
// offered, stall or fail.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/oem/com.h"

namespace lt77::host {

// How the spooler takes the bytes offered through DrvWriteSpoolBuf.
struct SpoolPolicy {
    // At most this many bytes per call (0: all).
    DWORD maxPerCall = 0;
    // From this call on (0-based) the spooler takes nothing but reports
    // success; -1: never.
    int stallFromCall = -1;
    // This call (0-based) fails; -1: never.
    int failOnCall = -1;
    // After this many bytes in all the spooler takes nothing more but still
    // reports success (a stuck spooler); 0: never.
    uint64_t stallAfter = 0;
    // After this many bytes in all every call fails (a cancelled job); 0: never.
    uint64_t failAfter = 0;
};

// The driver core's services interface, as the host offers it.
class HostCore final : public IPrintOemDriverUni {
public:
    HostCore();

    HRESULT QueryInterface(const GUID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT DrvGetDriverSetting(PVOID pdriverobj, const char* Feature, PVOID pOutput, DWORD cbSize,
                                DWORD* pcbNeeded, DWORD* pdwOptionsReturned) override;
    HRESULT DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize, DWORD* pdwResult) override;
    HRESULT DrvXMoveTo(PDEVOBJ, INT, DWORD, INT*) override;
    HRESULT DrvYMoveTo(PDEVOBJ, INT, DWORD, INT*) override;
    HRESULT DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) override;
    HRESULT DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD, DWORD*) override;
    HRESULT DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*,
                          MIX) override;
    HRESULT DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) override;

    // Option answers by feature keyword; a missing feature fails the call.
    std::map<std::string, std::string> options;
    SpoolPolicy policy;
    // Every byte the spooler took, in order, unless told to keep none.
    std::vector<uint8_t> spooled;
    bool keepBytes = true;
    uint64_t taken = 0;
    // Where taken bytes are also appended (empty: memory only).
    std::string spoolFile;
    // Bytes offered per call, for tests of chunking.
    std::vector<DWORD> offers;
    // The query from PublishDriverInterface may be refused to test that path.
    bool refuseServicesQuery = false;
    long References() const { return refs_; }

private:
    long refs_ = 1;
};

}  // namespace lt77::host
