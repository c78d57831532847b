// The machine registry values a port monitor reads itself (the serial ports'
// mode strings). Windows: HKEY_LOCAL_MACHINE. POSIX: the test host's file
// "registry.ini" below the host root, one section per key path.
#pragma once

#include <string>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {

struct RegistryRead {
    bool keyOpened = false;
    DWORD error = 0;  // of the open when the key did not open, else of the read
};

class Registry {
public:
    virtual ~Registry() = default;
    // A string value of at most `maxBytes` bytes (with its terminator) under
    // an HKLM key path such as "Software\Microsoft\Windows NT\CurrentVersion\Ports".
    virtual RegistryRead ReadMachineString(std::string_view keyPath, std::u16string_view value,
                                           DWORD maxBytes, std::u16string& out) = 0;
};

Registry& SystemRegistry();

}  // namespace lt77
