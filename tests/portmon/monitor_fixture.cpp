#include "tests/portmon/monitor_fixture.h"

namespace lt77::portmon::testing {

std::vector<uint8_t> Pattern(size_t n)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

}  // namespace lt77::portmon::testing
