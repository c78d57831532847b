// The system's BuildCommDCB against the rows the POSIX parser is held to.
#include <gtest/gtest.h>

#include "platform/serial_port.h"
#include "platform/system_error.h"
#include "tests/platform/serial_mode_table.h"

namespace lt77::testing {
namespace {

TEST(Win32SerialModes, BuildLineReadsBothFormsOfTheModeString)
{
    for (const auto& row : kSerialModeRows) {
        SCOPED_TRACE(std::string(row.mode, row.mode + std::char_traits<char16_t>::length(row.mode)));
        SerialLine line = kSerialModeStart;
        SetLastSystemError(0);
        const bool built = SystemSerialDevices().BuildLine(row.mode, line);
        EXPECT_EQ(built, row.expected.has_value());
        if (row.expected) {
            EXPECT_TRUE(SameLine(line, *row.expected))
                << line.baudRate << " " << int(line.byteSize) << " " << int(line.parity) << " " << int(line.stopBits)
                << " " << line.outxCtsFlow << line.rtsHandshake << line.outX << line.inX;
        } else {
            EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);
            EXPECT_TRUE(SameLine(line, kSerialModeStart));
        }
    }
}

}  // namespace
}  // namespace lt77::testing
