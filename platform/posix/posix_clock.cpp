#include <sys/time.h>

#include <ctime>

#include "platform/posix/posix_platform.h"

namespace lt77::posix {

LocalTime ToLocalTime(std::time_t seconds, long milliseconds)
{
    std::tm tm{};
    localtime_r(&seconds, &tm);
    LocalTime t;
    t.year = static_cast<uint16_t>(tm.tm_year + 1900);
    t.month = static_cast<uint16_t>(tm.tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    t.day = static_cast<uint16_t>(tm.tm_mday);
    t.hour = static_cast<uint16_t>(tm.tm_hour);
    t.minute = static_cast<uint16_t>(tm.tm_min);
    t.second = static_cast<uint16_t>(tm.tm_sec);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

LocalTime PosixClock::Now()
{
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    return ToLocalTime(tv.tv_sec, tv.tv_usec / 1000);
}

}  // namespace lt77::posix

namespace lt77 {

Clock& SystemClock()
{
    static posix::PosixClock clock;
    return clock;
}

}  // namespace lt77
