// The trace log: kept in memory during a job, written per day and job at its
// end, switched off for good by the settings, and pruned.
#include <regex>

#include "host/job_report.h"
#include "host_fixture.h"

namespace lt77::host::testing {
namespace {

namespace fs = std::filesystem;

class Trace : public HostTest {
protected:
    std::vector<fs::path> TraceFiles() const { return FilesIn(TraceFolder(), ".LOG"); }
    static void Touch(const fs::path& path, std::chrono::hours age, uintmax_t size = 10)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << "x";
        fs::resize_file(path, size);
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
    }
};

TEST_F(Trace, JobWritesItsOwnFileOfTimestampedLines)
{
    SetSettings({{IDX_TRACE_ON, 1}});
    JobRequest request;
    request.jobId = 12;
    ASSERT_TRUE(Run(request).ok);
    const auto files = TraceFiles();
    ASSERT_EQ(files.size(), 1u);
    const LocalTime now = SystemPlatform().clock.Now();
    char expected[64];
    std::snprintf(expected, sizeof(expected), "LT-77_%02u%02u_00012_OEMUNI.LOG", now.month, now.day);
    EXPECT_EQ(files[0].filename().string(), expected);

    const std::string text = ReadFileText(files[0]);
    EXPECT_NE(text.find("OEMStartDoc : szDocName = Receipt \r\n"), std::string::npos);
    EXPECT_NE(text.find("CommandCallback : pUIInfo->byteValue[43] : 0x01 \r\n"), std::string::npos);
    EXPECT_NE(text.find("CommandCallback : KLW_ENDDOC, END \r\n"), std::string::npos);
    const std::regex line(R"(\d\d:\d\d:\d\d:\d\d\d: [^\r\n]* )");
    std::size_t start = 0, lines = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        const std::string l = text.substr(start, end - start);
        EXPECT_TRUE(std::regex_match(l, line)) << l;
        start = end + 2;
        ++lines;
    }
    EXPECT_GT(lines, 20u);
}

TEST_F(Trace, LinesBeforeTheJobStartsAreNeverWritten)
{
    SetSettings({{IDX_TRACE_ON, 1}});
    Plugin().Plugin()->GetInfo(OEMGI_GETSIGNATURE, nullptr, 0, nullptr);  // "GetInfo : START" with no job
    ASSERT_TRUE(Run(JobRequest{}).ok);
    const auto files = TraceFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string text = ReadFileText(files[0]);
    EXPECT_EQ(text.find("GetInfo"), std::string::npos);
    EXPECT_EQ(text.find("EnablePDEV : START"), std::string::npos) << "the device context was enabled before the job";
}

TEST_F(Trace, SettingZeroSwitchesTheTraceOffForGood)
{
    Plugin(/*privateCopy=*/true);
    SetSettings({{IDX_TRACE_ON, 0}});
    ASSERT_TRUE(Run(JobRequest{}).ok);
    EXPECT_TRUE(TraceFiles().empty());
    SetSettings({{IDX_TRACE_ON, 1}});
    JobRequest second;
    second.jobId = 2;
    ASSERT_TRUE(Run(second).ok);
    EXPECT_TRUE(TraceFiles().empty()) << "the switch stays off while the library is loaded";
}

TEST_F(Trace, SwitchingOffDeletesTheDriversTraceFiles)
{
    Touch(TraceFolder() / "LT-77_1207_00001_OEMUNI.LOG", std::chrono::hours(0));
    Touch(TraceFolder() / "page.BMP", std::chrono::hours(0));
    Touch(TraceFolder() / "readme.txt", std::chrono::hours(0));
    Plugin(/*privateCopy=*/true);
    ASSERT_TRUE(Run(JobRequest{}).ok);
    const auto left = FilesIn(TraceFolder(), "");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].filename(), "readme.txt");
}

TEST_F(Trace, OldTraceFilesArePrunedAtEveryDeviceContext)
{
    SetSettings({{IDX_TRACE_ON, 1}});
    const auto day = std::chrono::hours(24);
    Touch(TraceFolder() / "fresh.LOG", std::chrono::hours(0));
    Touch(TraceFolder() / "old.LOG", 40 * day);
    Touch(TraceFolder() / "old.BIN", 40 * day);
    Touch(TraceFolder() / "old.BMP", 40 * day);
    Touch(TraceFolder() / "other.log", 40 * day);  // the name test is case-sensitive
    Touch(TraceFolder() / "old.txt", 40 * day);
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    ASSERT_EQ(dc.EnablePDEV(), hr::kOk);
    std::vector<std::string> names;
    for (const auto& f : FilesIn(TraceFolder(), "")) names.push_back(f.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"fresh.LOG", "old.txt", "other.log"}));
    dc.DisablePDEV();
    Plugin().Plugin()->DisableDriver();
}

TEST_F(Trace, AFolderOverThreeHundredMegabytesLosesAllTraceFiles)
{
    SetSettings({{IDX_TRACE_ON, 1}});
    Touch(TraceFolder() / "big.BIN", std::chrono::hours(0), 301u * 1024 * 1024);
    Touch(TraceFolder() / "today.LOG", std::chrono::hours(0));
    Touch(TraceFolder() / "keep.dat", std::chrono::hours(0));
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    ASSERT_EQ(dc.EnablePDEV(), hr::kOk);
    std::vector<std::string> names;
    for (const auto& f : FilesIn(TraceFolder(), "")) names.push_back(f.filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"keep.dat"});
    dc.DisablePDEV();
    Plugin().Plugin()->DisableDriver();
}

TEST_F(Trace, JobReportListsOnlyTheJobsOwnFiles)
{
    SetSettings({{IDX_TRACE_ON, 1}, {IDX_JOURNAL_ON, 1}});
    JobRequest request;
    ASSERT_TRUE(Run(request).ok);
    request.jobId = 2;
    const JobResult second = Run(request);
    ASSERT_EQ(TraceFiles().size(), 2u);
    std::ostringstream out, err;
    ASSERT_EQ(ReportJob(second, out, err), 0) << err.str();
    const std::string report = out.str();
    EXPECT_NE(report.find("_00002_OEMUNI.LOG"), std::string::npos) << report;
    EXPECT_EQ(report.find("_00001_OEMUNI.LOG"), std::string::npos) << report;
    EXPECT_EQ(second.journals.size(), 1u);
}

}  // namespace
}  // namespace lt77::host::testing
