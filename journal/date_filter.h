// The journal viewer's search: a range of dates entered as month, day and
// year, each field checked as it loses focus, and the test a journal file's
// last-write date must pass to stay in the list.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace lt77::journal {

struct SearchDate {
    int day = 0;
    int month = 0;
    int year = 0;
};

struct SearchRange {
    SearchDate start;
    SearchDate end;
};

SearchRange TodayRange(const LocalTime& today);

// Whether the date lies in start ... end, both included. Whole dates are
// compared: a range from 2023-11-15 to 2024-02-10 holds 2023-12-01, which a
// test of year, month and day each against its own bounds would drop.
bool InDateRange(const LocalTime& written, const SearchRange& range);

enum class SearchField { StartMonth, StartDay, StartYear, EndMonth, EndDay, EndYear };

struct FieldCheck {
    int value = 0;                 // the field's value after the check
    std::optional<std::string> message;  // set when the text was refused and the value reset to today's
};

// Days 1-31, months 1-12, years 1601-9999; any other text (empty, not a
// number, out of range) is refused with the field's message and replaced by
// today's day, month or year.
FieldCheck CheckSearchField(SearchField field, std::string_view text, const LocalTime& today);

inline constexpr std::string_view kJournalCaption = "Journal Viewer";

}  // namespace lt77::journal
