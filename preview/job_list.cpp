#include "preview/job_list.h"

#include <cstdio>

#include "common/ascii_case.h"
#include "platform/files.h"

namespace lt77::viewer {

std::string DateText(const LocalTime& t)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%02u/%02u/%02u", t.year, t.month, t.day);
    return text;
}

std::string TimeText(const LocalTime& t)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%02u:%02u:%02u", t.hour, t.minute, t.second);
    return text;
}

std::vector<JobEntry> ListJobFiles(FileSystem& files, std::string_view folder, std::string_view extension)
{
    const std::string suffix = "." + std::string(extension);
    std::string prefix(folder);
    if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
    std::vector<JobEntry> out;
    for (const FileEntry& e : files.ListFolder(folder)) {
        if (e.isFolder || e.name.size() <= suffix.size()) continue;
        if (!EqualsNoCase(std::string_view(e.name).substr(e.name.size() - suffix.size()), suffix)) continue;
        out.push_back(JobEntry{prefix + e.name, DateText(e.lastWrite), TimeText(e.lastWrite), e.lastWrite});
    }
    return out;
}

}  // namespace lt77::viewer
