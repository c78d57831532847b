// The spooler calls a port monitor makes besides reading printer data: job
// control, the port status the queue window shows, the printer's attributes,
// and the identity switches the spooler expects around them. Windows: the
// real calls (SetPortW resolved at run time, as Wine lacks it). POSIX: the
// test host's queue store, where the host's spooler sees the effects.
#pragma once

#include <memory>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {

// A job's level-1 record: the status the monitor reads and sets. `native`
// keeps the platform's own record so that SetJob gets back what GetJob gave.
struct JobLevel1 {
    DWORD jobId = 0;
    DWORD status = 0;
    std::shared_ptr<void> native;
};

// PORT_INFO_3 without its text, which the monitor never sets.
struct PortStatus {
    DWORD status = 0;
    DWORD severity = 0;
};

class PortSpooler {
public:
    virtual ~PortSpooler() = default;

    // GetJob level 1. Returns the system error.
    virtual DWORD GetJob1(HANDLE printer, DWORD jobId, JobLevel1& out) = 0;
    // SetJob: level 1 with `job`'s record, or level 0 and no record when
    // `job` is null. Returns the system error.
    virtual DWORD SetJobCommand(HANDLE printer, DWORD jobId, const JobLevel1* job,
                                DWORD command) = 0;
    // SetPort(NULL, port, 3, {status, NULL, severity}). Returns the system error.
    virtual DWORD SetPortStatus(std::u16string_view portName, const PortStatus& status) = 0;
    // GetPrinter level 2, and SetPrinter level 2 of the same record with
    // other attributes.
    virtual DWORD GetPrinterAttributes(HANDLE printer, DWORD& attributes) = 0;
    virtual DWORD SetPrinterAttributes(HANDLE printer, DWORD attributes) = 0;

    // RevertToSelf: the thread takes the spooler's own identity.
    virtual bool RevertToSelf() = 0;
    // RevertToPrinterSelf: the same, keeping the caller's token (null on failure).
    virtual HANDLE RevertToPrinterSelf() = 0;
    // ImpersonatePrinterClient: back to the token's identity; closes the token.
    virtual bool ImpersonatePrinterClient(HANDLE token) = 0;
};

PortSpooler& SystemPortSpooler();

}  // namespace lt77
