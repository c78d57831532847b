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

// Every row starts from this line, which no row gives back whole: a field a
// row's text does not name keeps its value, and flow control is off unless
// the text turns it on.
inline constexpr SerialLine kSerialModeStart{2400, 6, 3, 1, true, true, true, true};

inline const SerialModeRow kSerialModeRows[] = {
    {u"9600,n,8,1", SerialLine{9600, 8, 0, 0, false, false, false, false}},
    {u"115200,n,8,1,p", SerialLine{115200, 8, 0, 0, true, true, false, false}},
    {u"96,e,7,2,x", SerialLine{9600, 7, 2, 2, false, false, true, true}},
    {u"300,s,5,1.5", SerialLine{300, 5, 4, 1, false, false, false, false}},
    {u"baud=1200 parity=N data=8 stop=1", SerialLine{1200, 8, 0, 0, false, false, false, false}},
    {u"COM1: baud=19200 parity=o data=7 stop=2 octs=on rts=hs",
     SerialLine{19200, 7, 1, 2, true, true, false, false}},
    {u"baud=57600 parity=m data=8 stop=1 xon=on", SerialLine{57600, 8, 3, 0, false, false, true, true}},
    {u"baud=4800", SerialLine{4800, 6, 3, 1, false, false, false, false}},
    {u"1200,e", SerialLine{1200, 6, 2, 1, false, false, false, false}},
    {u"", std::nullopt},
    {u"fast", std::nullopt},
    {u"9600,q,8,1", std::nullopt},
    {u"9600,n,9,1", std::nullopt},
    {u"9600,n,8,3", std::nullopt},
    {u"9600,n,8,1,z", std::nullopt},
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
