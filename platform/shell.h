#pragma once

#include <cstdint>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {

class Shell {
public:
    virtual ~Shell() = default;
    // Starts a program with the shell's default verb, shown normally, and does
    // not wait for it. Returns the shell's result: above 32 means started;
    // otherwise `error` holds the system error.
    virtual intptr_t Open(std::string_view program, std::u16string_view parameters,
                          std::string_view workingFolder, DWORD& error) = 0;
};

Shell& SystemShell();

}  // namespace lt77
