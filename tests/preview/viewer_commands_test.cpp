#include "host/viewer_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/host_commands.h"
#include "host/queue_admin.h"
#include "tests/platform/posix/temporary_root.h"
#include "tests/preview/viewer_bytes.h"

namespace lt77::host {
namespace {
namespace fs = std::filesystem;
using testing::Bytes;

class ViewerCommandsTest : public lt77::testing::TemporaryRootTest {
protected:
    int Run(const std::vector<std::string>& args)
    {
        out_.str("");
        err_.str("");
        return RunViewerCommand(args, out_, err_);
    }
    fs::path Data() const { return fs::path("drive_c") / "Windows" / "LT-77"; }
    std::ostringstream out_, err_;
};

TEST_F(ViewerCommandsTest, PreviewJobWritesThePictureAndPrintsTheJob)
{
    ASSERT_FALSE(CreateQueue("LT-77"));
    const Bytes job = testing::RasterRecord(16, 2, {0xFF, 4});
    WriteFile(Data() / "JobPreview.prn", std::string(job.begin(), job.end()));
    const std::string png = (root_ / "shown.png").string();
    ASSERT_EQ(Run({"preview-job", "LT-77", "--png", png, "--print"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("picture " + png + ": 608 x 2 dots"), std::string::npos) << out_.str();
    EXPECT_EQ(ReadFile("drive_c/Windows/LT-77/KLWPreview.bmp").size(), 62u + 2u * 76u);
    EXPECT_EQ(ReadFile("shown.png").substr(1, 3), "PNG");
    EXPECT_EQ(ReadFile("queues/LT-77/spool/1.prn"), "KELWYNT Preview" + std::string(job.begin(), job.end()));

    // Nothing black: printed at once, without being asked.
    WriteFile(Data() / "JobPreview.prn", "\x1b@Total\n");
    ASSERT_EQ(Run({"preview-job", "LT-77"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("nothing to show: printed at once"), std::string::npos);
    EXPECT_EQ(ReadFile("queues/LT-77/spool/2.prn"), "KELWYNT Preview\x1b@Total\n");
}

TEST_F(ViewerCommandsTest, JournalListFiltersByDatesAndRefusesWrongOnes)
{
    WriteFile(Data() / "a.jnl", "");
    ASSERT_EQ(Run({"journal-list", "LT-77"}), 0);
    EXPECT_NE(out_.str().find("1 journal file in C:\\Windows\\LT-77"), std::string::npos) << out_.str();
    ASSERT_EQ(Run({"journal-list", "LT-77", "--from", "2001-01-01", "--to", "2001-12-31"}), 0);
    EXPECT_NE(out_.str().find("0 journal files"), std::string::npos) << out_.str();
    EXPECT_EQ(Run({"journal-list", "LT-77", "--from", "2024-02-30"}), 0);
    EXPECT_EQ(Run({"journal-list", "LT-77", "--from", "2024-02-32"}), 1);
    EXPECT_NE(err_.str().find("Wrong the day."), std::string::npos) << err_.str();
    EXPECT_EQ(Run({"journal-list", "LT-77", "--to", "1600-01-01"}), 1);
    EXPECT_EQ(Run({"journal-list", "LT-77", "--to", "next week"}), 1);
    EXPECT_EQ(Run({"journal-show", "LT-77", "3", (root_ / "x.png").string()}), 1);
    EXPECT_NE(err_.str().find("Failed to read the info-list."), std::string::npos) << err_.str();
}

TEST_F(ViewerCommandsTest, EditControlCodeWritesTheTableOrRefusesAnUnpairedDigit)
{
    const fs::path ini = fs::path("drive_c") / "Windows" / "System32" / "spool" / "prtprocs" / "x64" / "LT77.INI";
    EXPECT_EQ(Run({"control-codes", "LT-77"}), 1);
    EXPECT_NE(err_.str().find("The INI File does not exist."), std::string::npos);
    WriteFile(ini, "[ZozaRurodirA]\r\n41=1B40\r\n");
    EXPECT_EQ(Run({"edit-control-code", "LT-77", "B", "1D5"}), 1);
    EXPECT_NE(err_.str().find("Please enter valid commands"), std::string::npos);
    EXPECT_EQ(ReadFile(ini), "[ZozaRurodirA]\r\n41=1B40\r\n");
    ASSERT_EQ(Run({"edit-control-code", "LT-77", "B", "1D 56 00"}), 0) << err_.str();
    ASSERT_EQ(Run({"edit-control-code", "LT-77", "A", "--delete"}), 0) << err_.str();
    EXPECT_EQ(ReadFile(ini), "[ZozaRurodirA]\r\n42=1D5600\r\n");
    ASSERT_EQ(Run({"control-codes", "LT-77"}), 0);
    EXPECT_NE(out_.str().find("B    42    1D 56 00 \n"), std::string::npos) << out_.str();
}

// The rendering plug-in's preview start at the end of a document runs the
// installed stand-in for JobPreview.exe, which shows the preview copy.
TEST_F(ViewerCommandsTest, APreviewedDocumentStartsThePreviewCommand)
{
    ASSERT_EQ(Run({"install-preview", "--host", LT77_HOST_PROGRAM}), 0) << err_.str();
    ASSERT_EQ(RunCommand({"create-queue", "LT-77"}, out_, err_), 0) << err_.str();
    ASSERT_EQ(RunCommand({"set-setting", "LT-77", "29", "1"}, out_, err_), 0) << err_.str();
    ASSERT_EQ(RunCommand({"run-job", "LT-77"}, out_, err_), 0) << err_.str();
    EXPECT_NE(ReadFile("host/shell-starts.log").find("program=JobPreview.exe\tparameters=LT-77\t"), std::string::npos);
    std::string log;
    for (int i = 0; i < 600 && log.find("printed") == std::string::npos && log.find("picture") == std::string::npos; ++i) {
        ::usleep(50000);
        log = ReadFile("host/preview.log");
    }
    EXPECT_NE(log.find("job C:\\Windows\\LT-77\\JobPreview.prn"), std::string::npos) << log;
}

}  // namespace
}  // namespace lt77::host
