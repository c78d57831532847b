#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "statusback/status_code.h"

namespace lt77::statusback {
namespace {

stLangMonData Record(std::vector<uint8_t> block, uint32_t portStatus)
{
    stLangMonData record{};
    std::memcpy(record.byASB, block.data(), 4);
    record.dwPortStatus = portStatus;
    return record;
}

TEST(InterpretCommands, EveryRowOfTheTableAndTheCasesThatPinIt)
{
    struct Row {
        const char* name;
        std::vector<uint8_t> block;
        uint32_t portStatus;
        DWORD code;
    };
    const Row rows[] = {
        {"nothing to report", {0x10, 0x00, 0x00, 0x0F}, 0, 0x000},
        {"offline wins over a clear block", {0x10, 0x00, 0x00, 0x0F}, 1, 0x001},
        {"offline wins over errors", {0x38, 0x08, 0x0C, 0x0F}, 1, 0x001},
        {"cover, cutter, paper out", {0x38, 0x08, 0x0C, 0x0F}, 3, 0x02A},
        {"drawer 14", {0x14, 0x00, 0x00, 0x0F}, 0, 0x110},
        {"drawer 5C", {0x5C, 0x00, 0x00, 0x0F}, 0, 0x110},
        {"byte 0 1C", {0x1C, 0x00, 0x00, 0x0F}, 0, 0x010},
        {"cover 20", {0x20, 0x00, 0x00, 0x0F}, 7, 0x008},
        {"cover 38", {0x38, 0x00, 0x00, 0x0F}, 7, 0x008},
        {"cover 3C", {0x3C, 0x00, 0x00, 0x0F}, 7, 0x018},
        {"feed button 40", {0x40, 0x00, 0x00, 0x0F}, 0, 0x100},
        {"feed button 58", {0x58, 0x00, 0x00, 0x0F}, 0, 0x100},
        {"battery", {0x10, 0x01, 0x00, 0x0F}, 0, 0x200},
        {"mechanical", {0x10, 0x04, 0x00, 0x0F}, 8, 0x040},
        {"cutter", {0x10, 0x08, 0x00, 0x0F}, 8, 0x020},
        {"unrecoverable", {0x10, 0x20, 0x00, 0x0F}, 8, 0x080},
        {"near end", {0x10, 0x00, 0x03, 0x0F}, 0, 0x004},
        {"paper out 0C", {0x10, 0x00, 0x0C, 0x0F}, 3, 0x002},
        {"paper out 0F", {0x10, 0x00, 0x0F, 0x0F}, 3, 0x002},
        {"other values add nothing", {0x11, 0x02, 0x01, 0x00}, 0, 0x000},
        {"byte 3 is not read", {0x10, 0x00, 0x00, 0x00}, 0, 0x000},
        {"everything at once", {0x3C, 0x20, 0x03, 0x0F}, 8, 0x09C},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(InterpretCommands(Record(row.block, row.portStatus)), row.code);
    }
}

TEST(StatusEvents, ACodeGivesBackTheWordsOfTheRowsItCameFrom)
{
    struct Row {
        DWORD code;
        std::vector<std::string> events;
    };
    const Row rows[] = {
        {0x000, {}},
        {0x001, {}},
        {0x010, {}},
        {0x02A, {"COVER OPENED", "AUTO CUTTER ERROR", "PAPER EMPTY"}},
        {0x018, {"COVER OPENED"}},
        {0x110, {"CASH DRAWER OPENED"}},
        {0x100, {"PRESSING FEED BUTTON"}},
        {0x204, {"BATTERY LOW", "NEAR-END PAPER"}},
        {0x080, {"UNRECOVERABLE ERROR"}},
        {0x040, {"MECHANICAL ERROR"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        const auto events = StatusEvents(row.code);
        EXPECT_EQ(std::vector<std::string>(events.begin(), events.end()), row.events);
    }
}

}  // namespace
}  // namespace lt77::statusback
