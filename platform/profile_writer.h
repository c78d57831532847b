// Writing INI profile files as the system's profile functions write them:
// a section removed whole (WritePrivateProfileString with no key), then its
// keys written one by one, a new section going to the end of the file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/oem/abi_types.h"

namespace lt77 {

class ProfileWriter {
public:
    virtual ~ProfileWriter() = default;
    // Removes `section` from `file` and writes it again with `entries`
    // (key, value) in order; no entries leaves the section out. The file is
    // created when missing. Returns the system error (0: written).
    virtual DWORD ReplaceSection(std::string_view file, std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>>& entries) = 0;
};

ProfileWriter& SystemProfileWriter();

}  // namespace lt77
