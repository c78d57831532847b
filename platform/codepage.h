#pragma once

#include <string>
#include <string_view>

#include "common/utf.h"
#include "platform/oem/abi_types.h"

namespace lt77 {

inline constexpr unsigned CP_SYSTEM_ANSI = 0;

class CodePages {
public:
    virtual ~CodePages() = default;
    // The system's ANSI code page (1252 on the test host unless configured).
    virtual unsigned AnsiCodePage() = 0;
    // Characters the code page cannot hold become '?', as the system does by default.
    virtual std::string FromWide(unsigned codePage, std::u16string_view text) = 0;
    virtual std::u16string ToWide(unsigned codePage, std::string_view bytes) = 0;
};

CodePages& SystemCodePages();

}  // namespace lt77
