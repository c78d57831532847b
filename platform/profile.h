// INI profile files, read as the system's profile functions read them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {

class Profile {
public:
    virtual ~Profile() = default;
    // The value of `key` in `section` of the file, at most `maxChars` - 1
    // characters (the terminator takes the last place, as in the system
    // call). Null when the file, section or key is missing; `error` then holds
    // the system error.
    virtual std::optional<std::u16string> ReadString(std::string_view file,
                                                     std::string_view section,
                                                     std::string_view key, DWORD maxChars,
                                                     DWORD& error) = 0;
};

Profile& SystemProfile();

}  // namespace lt77
