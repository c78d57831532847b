// The job files a viewer lists: every file of the data folder whose name
// matches "*.<extension>" (without regard to case, as the system's folder
// search does), in the folder's order, with the date and time texts of its
// last write in local time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace lt77 {
class FileSystem;
}

namespace lt77::viewer {

struct JobEntry {
    std::string path;
    std::string date;  // "%02u/%02u/%02u": year (four digits), month, day
    std::string time;  // "%02u:%02u:%02u"
    LocalTime lastWrite;
};

// "C:\W\LT-77" and "x.jnl" give "C:\W\LT-77\x.jnl"; a folder that already
// ends in "\" gets none added. A missing folder lists nothing.
std::vector<JobEntry> ListJobFiles(FileSystem& files, std::string_view folder, std::string_view extension);

std::string DateText(const LocalTime& t);
std::string TimeText(const LocalTime& t);

}  // namespace lt77::viewer
