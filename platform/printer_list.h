// The spooler's list of the printers of this machine (EnumPrinters level 2,
// PRINTER_ENUM_LOCAL). Windows: the real call. POSIX: the queues of the test
// host's store.
#pragma once

#include <vector>

#include "platform/spooler.h"

namespace lt77 {

class PrinterList {
public:
    virtual ~PrinterList() = default;
    // Every local printer's level-2 information, in the spooler's order;
    // `out` is replaced. Returns the system error (0: listed, possibly none).
    virtual DWORD EnumLocalPrinters(std::vector<PrinterInfo>& out) = 0;
};

PrinterList& SystemPrinterList();

}  // namespace lt77
