// The calling thread's user-interface language: what the system shows its
// windows in, and the switch that makes dialog templates load in another
// language. Identifiers are 16-bit: primary language in the low 10 bits,
// sublanguage above.
#pragma once

#include "platform/oem/abi_types.h"

namespace lt77 {

class UiLanguage {
public:
    virtual ~UiLanguage() = default;
    // GetThreadUILanguage where the system has it and answers non-zero, else
    // the thread locale's low 16 bits.
    virtual WORD Current() = 0;
    // SetThreadUILanguage where the system has it and it succeeds, else the
    // thread locale.
    virtual void SwitchTo(WORD languageId) = 0;
    // The system's major version number: the thread UI-language calls and
    // elevated program starts exist from 6 on.
    virtual DWORD SystemMajorVersion() = 0;
};

UiLanguage& SystemUiLanguage();

}  // namespace lt77
