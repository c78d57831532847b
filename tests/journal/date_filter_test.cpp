#include "journal/date_filter.h"

#include <gtest/gtest.h>

namespace lt77::journal {
namespace {

LocalTime Day(int y, int m, int d)
{
    LocalTime t;
    t.year = static_cast<uint16_t>(y);
    t.month = static_cast<uint16_t>(m);
    t.day = static_cast<uint16_t>(d);
    return t;
}

TEST(DateFilter, WholeDatesAreComparedWithBothEndsIncluded)
{
    const SearchRange year2024{{1, 1, 2024}, {31, 12, 2024}};
    const SearchRange acrossNewYear{{15, 11, 2023}, {10, 2, 2024}};
    const SearchRange oneDay{{7, 12, 2026}, {7, 12, 2026}};
    const struct {
        const char* name;
        SearchRange range;
        LocalTime written;
        bool listed;
    } cases[] = {
        {"mid-year", year2024, Day(2024, 6, 15), true},
        {"the day before", year2024, Day(2023, 12, 31), false},
        {"the first day", year2024, Day(2024, 1, 1), true},
        {"the last day", year2024, Day(2024, 12, 31), true},
        {"a December inside a range across the new year", acrossNewYear, Day(2023, 12, 1), true},
        {"a January inside it", acrossNewYear, Day(2024, 1, 20), true},
        {"a day of the start month before the start", acrossNewYear, Day(2023, 11, 14), false},
        {"a day of the end month after the end", acrossNewYear, Day(2024, 2, 11), false},
        {"the end day of a later year", acrossNewYear, Day(2025, 2, 10), false},
        {"today only", oneDay, Day(2026, 12, 7), true},
        {"yesterday", oneDay, Day(2026, 12, 6), false},
        {"a range that ends before it starts", {{10, 2, 2024}, {15, 11, 2023}}, Day(2024, 1, 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InDateRange(c.written, c.range), c.listed);
    }
}

TEST(DateFilter, FieldsOutOfRangeAreRefusedAndResetToToday)
{
    const LocalTime today = Day(2026, 12, 8);
    const std::string day = "Wrong the day.\r\nPlease, retype a date. (1~31)";
    const std::string date = "Wrong the date.\r\nPlease, retype a date. (1~31)";
    const std::string month = "Wrong the date.\r\nPlease, retype a date. (1~12)";
    const std::string year = "Wrong the date.\r\nPlease, retype a date.";
    const struct {
        SearchField field;
        const char* text;
        int value;
        std::string message;
    } cases[] = {
        {SearchField::StartDay, "1", 1, ""},     {SearchField::StartDay, "31", 31, ""},
        {SearchField::StartDay, "0", 8, day},    {SearchField::StartDay, "32", 8, day},
        {SearchField::EndDay, "32", 8, date},    {SearchField::EndDay, "", 8, date},
        {SearchField::StartMonth, "12", 12, ""}, {SearchField::StartMonth, "13", 12, month},
        {SearchField::EndMonth, "0", 12, month}, {SearchField::EndMonth, "7a", 12, month},
        {SearchField::StartYear, "1601", 1601, ""}, {SearchField::StartYear, "1600", 2026, year},
        {SearchField::EndYear, "9999", 9999, ""},   {SearchField::EndYear, "10000", 2026, year},
        {SearchField::EndYear, "-2024", 2026, year},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const FieldCheck check = CheckSearchField(c.field, c.text, today);
        EXPECT_EQ(check.value, c.value);
        EXPECT_EQ(check.message.value_or(""), c.message);
    }
}

}  // namespace
}  // namespace lt77::journal
