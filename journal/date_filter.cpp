#include "journal/date_filter.h"

#include <charconv>
#include <tuple>

namespace lt77::journal {

SearchRange TodayRange(const LocalTime& today)
{
    const SearchDate date{today.day, today.month, today.year};
    return SearchRange{date, date};
}

bool InDateRange(const LocalTime& written, const SearchRange& range)
{
    const auto key = [](int y, int m, int d) { return std::tuple(y, m, d); };
    const auto date = key(written.year, written.month, written.day);
    return date >= key(range.start.year, range.start.month, range.start.day) &&
           date <= key(range.end.year, range.end.month, range.end.day);
}

FieldCheck CheckSearchField(SearchField field, std::string_view text, const LocalTime& today)
{
    int low = 1, high = 31, fallback = today.day;
    const char* message = "Wrong the day.\r\nPlease, retype a date. (1~31)";
    switch (field) {
    case SearchField::StartDay: break;
    case SearchField::EndDay: message = "Wrong the date.\r\nPlease, retype a date. (1~31)"; break;
    case SearchField::StartMonth:
    case SearchField::EndMonth:
        high = 12;
        fallback = today.month;
        message = "Wrong the date.\r\nPlease, retype a date. (1~12)";
        break;
    case SearchField::StartYear:
    case SearchField::EndYear:
        low = 1601;
        high = 9999;
        fallback = today.year;
        message = "Wrong the date.\r\nPlease, retype a date.";
        break;
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high) return {value, {}};
    return {fallback, std::string(message)};
}

}  // namespace lt77::journal
