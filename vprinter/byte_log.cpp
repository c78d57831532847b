#include "vprinter/byte_log.h"

#include <chrono>
#include <ctime>

#include "vprinter/status_block.h"

namespace lt77::vprinter {
namespace {

// Local wall-clock time with milliseconds, "2025-06-01 12:34:56.789", so
// the log lines up with the other programs' logs of a test run.
std::string TimeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms));
    return text;
}

}  // namespace

std::string ByteLog::Open(const std::string& path)
{
    if (path.empty()) return {};
    file_.reset(std::fopen(path.c_str(), "a"));
    return file_ ? std::string() : path + ": cannot open the log file";
}

void ByteLog::Note(std::string_view channel, std::string_view text)
{
    if (!file_) return;
    std::fprintf(file_.get(), "%s %.*s note %.*s\n", TimeStamp().c_str(), static_cast<int>(channel.size()),
                 channel.data(), static_cast<int>(text.size()), text.data());
    std::fflush(file_.get());
}

void ByteLog::Line(std::string_view channel, std::string_view direction, std::span<const uint8_t> bytes)
{
    if (!file_) return;
    std::fprintf(file_.get(), "%s %.*s %.*s %s\n", TimeStamp().c_str(), static_cast<int>(channel.size()),
                 channel.data(), static_cast<int>(direction.size()), direction.data(), HexText(bytes).c_str());
    std::fflush(file_.get());
}

}  // namespace lt77::vprinter
