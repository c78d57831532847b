#include "platform/system_error.h"

#include <windows.h>

namespace lt77 {

DWORD LastSystemError() { return static_cast<DWORD>(::GetLastError()); }

void SetLastSystemError(DWORD error) { ::SetLastError(error); }

}  // namespace lt77
