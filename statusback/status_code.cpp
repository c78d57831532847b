#include "statusback/status_code.h"

#include <algorithm>
#include <iterator>

#include "statusback/posstatus.h"

namespace lt77::statusback {
namespace {

struct StatusRow {
    uint8_t byteIndex;
    uint8_t value;
    DWORD adds;
    const char* event;  // null: the value has no event of its own
};

// The values of one byte never share a bit with another byte's, so a code
// can be taken apart again into the rows it came from.
constexpr StatusRow kStatusTable[] = {
    {0, 0x14, 0x110, "CASH DRAWER OPENED"},
    {0, 0x5C, 0x110, "CASH DRAWER OPENED"},
    {0, 0x1C, 0x010, nullptr},
    {0, 0x20, 0x008, "COVER OPENED"},
    {0, 0x38, 0x008, "COVER OPENED"},
    {0, 0x3C, 0x018, "COVER OPENED"},
    {0, 0x40, 0x100, "PRESSING FEED BUTTON"},
    {0, 0x58, 0x100, "PRESSING FEED BUTTON"},
    {1, 0x01, 0x200, "BATTERY LOW"},
    {1, 0x04, 0x040, "MECHANICAL ERROR"},
    {1, 0x08, 0x020, "AUTO CUTTER ERROR"},
    {1, 0x20, 0x080, "UNRECOVERABLE ERROR"},
    {2, 0x03, 0x004, "NEAR-END PAPER"},
    {2, 0x0C, 0x002, "PAPER EMPTY"},
    {2, 0x0F, 0x002, "PAPER EMPTY"},
};

constexpr uint8_t kNothingToReport[4] = {0x10, 0x00, 0x00, 0x0F};

constexpr DWORD BitsOfByte(uint8_t byteIndex)
{
    DWORD bits = 0;
    for (const StatusRow& row : kStatusTable)
        if (row.byteIndex == byteIndex) bits |= row.adds;
    return bits;
}

static_assert((BitsOfByte(0) & BitsOfByte(1)) == 0 && (BitsOfByte(0) & BitsOfByte(2)) == 0 &&
              (BitsOfByte(1) & BitsOfByte(2)) == 0);
static_assert(((BitsOfByte(0) | BitsOfByte(1) | BitsOfByte(2)) & (kStatusUnreadable | PRN_STATUS_OFFLINE)) == 0);

}  // namespace

DWORD InterpretCommands(const stLangMonData& record)
{
    if (record.dwPortStatus == 1) return PRN_STATUS_OFFLINE;
    if (std::equal(std::begin(record.byASB), std::end(record.byASB), std::begin(kNothingToReport)))
        return PRN_STATUS_NORMAL;
    DWORD code = 0;
    for (uint8_t index = 0; index < 3; ++index) {
        const auto row = std::find_if(std::begin(kStatusTable), std::end(kStatusTable), [&](const StatusRow& r) {
            return r.byteIndex == index && r.value == record.byASB[index];
        });
        if (row != std::end(kStatusTable)) code += row->adds;
    }
    return code;
}

std::vector<std::string_view> StatusEvents(DWORD code)
{
    std::vector<std::string_view> events;
    for (uint8_t index = 0; index < 3; ++index) {
        const DWORD part = code & BitsOfByte(index);
        for (const StatusRow& row : kStatusTable) {
            if (row.byteIndex != index || row.adds != part || row.event == nullptr) continue;
            events.emplace_back(row.event);
            break;
        }
    }
    return events;
}

}  // namespace lt77::statusback
