#include "common/trace_files.h"

#include <gtest/gtest.h>

namespace lt77 {
namespace {

const LocalTime kDecember7{2026, 12, 1, 7, 9, 5, 3, 42};

TEST(TraceFiles, NamesCarryDateJobAndSink)
{
    EXPECT_EQ(TraceFileName(kDecember7, 12, kPluginTraceSuffix), "LT-77_1207_00012_OEMUNI.LOG");
    EXPECT_EQ(TraceFileName(kDecember7, 12, kMonitorTraceSuffix), "LT-77_1207_00012_LM.LOG");
    EXPECT_EQ(TraceFileName(kDecember7, 0, kPluginTraceSuffix), "LT-77_1207__OEMUNI.LOG");
    EXPECT_EQ(TraceFileName(kDecember7, 123456, kMonitorTraceSuffix), "LT-77_1207_123456_LM.LOG");
}

TEST(TraceFiles, LinesAreStampedAndCut)
{
    EXPECT_EQ(FormatTraceLine(kDecember7, "GetInfo : START", " \r\n", kPluginTraceLineMaxChars),
              "09:05:03:042: GetInfo : START \r\n");
    // The monitor's messages bring their own line end; a long one loses it
    // with the rest beyond 259 characters.
    const std::string line = FormatTraceLine(kDecember7, std::string(300, 'x') + " \r\n", "", kMonitorTraceLineMaxChars);
    ASSERT_EQ(line.size(), 259u);
    EXPECT_EQ(line.substr(0, 15), "09:05:03:042: x");
    EXPECT_EQ(line.back(), 'x');
}

TEST(TraceFiles, OnlyTheDriversKindsAreCleanedUp)
{
    const struct {
        const char* name;
        bool plugin, monitor;
    } rows[] = {
        {"LT-77_1207_00012_OEMUNI.LOG", true, true},
        {"page.BMP", true, false},
        {"dump.BIN", true, true},
        {"notes.log", false, false},  // the test is case-sensitive
        {"readme.txt", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(IsTraceFileName(r.name, TraceKinds::LogsBinsAndPictures), r.plugin);
        EXPECT_EQ(IsTraceFileName(r.name, TraceKinds::LogsAndBins), r.monitor);
    }
}

}  // namespace
}  // namespace lt77
