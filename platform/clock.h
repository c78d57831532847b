#pragma once

#include <cstdint>

namespace lt77 {

// A wall-clock reading in local time, as the system's local-time call gives it.
struct LocalTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
};

Clock& SystemClock();

}  // namespace lt77
