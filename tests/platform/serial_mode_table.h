// Mode strings and the line each gives, as the system's BuildCommDCB reads
// them: the POSIX parser and the Windows call are held to the same rows.
#pragma once

#include <optional>

#include "platform/serial_port.h"

namespace lt77::testing {

struct SerialModeRow {
    const char16_t* mode;
    std::optional<SerialLine> expected;  // none: refused, the line left as it was
};

// Every row starts from this line, which no row gives back whole. The
// positional form sets all four fields and turns flow control off unless it
// names "x" or "p"; the keyword form changes what it names and keeps the
// rest, except the stop bits, which fall back to one (two at 110 baud).
inline constexpr SerialLine kSerialModeStart{2400, 6, 3, 1, true, true, true, true};

inline const SerialModeRow kSerialModeRows[] = {
    {u"9600,n,8,1", SerialLine{9600, 8, 0, 0, false, false, false, false}},
    {u"115200,n,8,1,p", SerialLine{115200, 8, 0, 0, true, true, false, false}},
    {u"96,e,7,2,x", SerialLine{9600, 7, 2, 2, false, false, true, true}},
    {u"300,s,5,1.5", SerialLine{300, 5, 4, 1, false, false, false, false}},
    {u"COM1: 9600, n, 8, 1", SerialLine{9600, 8, 0, 0, false, false, false, false}},
    {u"baud=1200 parity=N data=8 stop=1", SerialLine{1200, 8, 0, 0, true, true, true, true}},
    {u"COM1:baud=19200 parity=o data=7 stop=2 octs=off xon=off", SerialLine{19200, 7, 1, 2, false, true, false, false}},
    {u"baud=57600 parity=m data=8 stop=1 rts=on", SerialLine{57600, 8, 3, 0, true, false, true, true}},
    {u"baud=4800", SerialLine{4800, 6, 3, 0, true, true, true, true}},
    {u"baud=110 parity=e", SerialLine{110, 6, 2, 2, true, true, true, true}},
    {u"fast", std::nullopt},
    {u"9600", std::nullopt},
    {u"1200,e,7", std::nullopt},
    {u"9600,q,8,1", std::nullopt},
    {u"9600,n,9,1", std::nullopt},
    {u"9600,n,8,3", std::nullopt},
    {u"9600,n,8,1,z", std::nullopt},
    {u"9600,n,8,1,p,1", std::nullopt},
    {u"baud=9600 parity=q data=8 stop=1", std::nullopt},
    {u"baud=9600 speed=fast", std::nullopt},
};

inline bool SameLine(const SerialLine& a, const SerialLine& b)
{
    return a.baudRate == b.baudRate && a.byteSize == b.byteSize && a.parity == b.parity &&
           a.stopBits == b.stopBits && a.outxCtsFlow == b.outxCtsFlow && a.rtsHandshake == b.rtsHandshake &&
           a.outX == b.outX && a.inX == b.inX;
}

}  // namespace lt77::testing
