#include "platform/win32/win32_platform.h"

#include <windows.h>

namespace lt77::win32 {

LocalTime Win32Clock::Now()
{
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace lt77::win32

namespace lt77 {

Clock& SystemClock()
{
    static win32::Win32Clock instance;
    return instance;
}

}  // namespace lt77
