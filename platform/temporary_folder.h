// The user's own temporary folder, where a program puts a scratch file when
// the driver's data folder (which belongs to the spooler) is not writable for
// the operator. Windows: GetTempPath. POSIX: a folder below the test host's
// drive, made on first use.
#pragma once

#include <string>

namespace lt77 {

class TemporaryFolder {
public:
    virtual ~TemporaryFolder() = default;
    // A Windows path without a trailing backslash; empty when the system
    // cannot say.
    virtual std::string UserTempFolder() = 0;
};

TemporaryFolder& SystemTemporaryFolder();

}  // namespace lt77
