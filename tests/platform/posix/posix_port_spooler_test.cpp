// The spooler calls of a port monitor against the test host's queue store:
// jobs leave the queue, port status and attributes land in the host's files,
// identity tokens balance, and every call is in the host's call log.
#include <sstream>
#include <thread>
#include <vector>

#include "platform/monitor/monitor_abi.h"
#include "platform/port_spooler.h"
#include "platform/posix/posix_monitor.h"
#include "platform/posix/store_file.h"
#include "platform/spooler.h"
#include "platform/system_error.h"
#include "temporary_root.h"

namespace lt77::testing {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class PosixPortSpooler : public TemporaryRootTest {
protected:
    void SetUp() override
    {
        TemporaryRootTest::SetUp();
        WriteFile("queues/LT-77/printer.ini", "[Queue]\nDriver = LT-77\nPort = COM1:\nAccess = full\n");
        for (const char* id : {"12", "13"}) {
            WriteFile(std::string("queues/LT-77/jobs/") + id + ".ini", "[Job]\nDocument = receipt\nStatus = 0\n");
            WriteFile(std::string("queues/LT-77/spool/") + id + ".prn", "\x1B@receipt");
        }
        DWORD error = 0;
        queue_ = SystemSpooler().OpenQueue(u"LT-77", PRINTER_ALL_ACCESS_RIGHTS, error);
        ASSERT_NE(queue_, nullptr) << error;
    }
    HANDLE Printer() const { return queue_->Native(); }

    PortSpooler& spooler_ = SystemPortSpooler();
    std::unique_ptr<QueueHandle> queue_;
};

TEST_F(PosixPortSpooler, FinishedJobsLeaveTheQueueAndKeepTheirSpoolFiles)
{
    JobLevel1 job;
    ASSERT_EQ(spooler_.GetJob1(Printer(), 12, job), 0u);
    EXPECT_EQ(job.jobId, 12u);
    EXPECT_EQ(job.status, 0u);

    job.status = mon::JOB_STATUS_ERROR;
    EXPECT_EQ(spooler_.SetJobCommand(Printer(), 12, &job, 0), 0u);
    JobLevel1 again;
    ASSERT_EQ(spooler_.GetJob1(Printer(), 12, again), 0u);
    EXPECT_EQ(again.status, mon::JOB_STATUS_ERROR);

    EXPECT_EQ(spooler_.SetJobCommand(Printer(), 12, &job, mon::JOB_CONTROL_DELETE), 0u);
    EXPECT_EQ(spooler_.SetJobCommand(Printer(), 13, nullptr, mon::JOB_CONTROL_LAST_PAGE_EJECTED), 0u);
    EXPECT_EQ(spooler_.GetJob1(Printer(), 12, again), syserr::kInvalidParameter);
    EXPECT_FALSE(std::filesystem::exists(root_ / "queues/LT-77/jobs/13.ini"));
    EXPECT_EQ(ReadFile("queues/LT-77/spool/12.prn"), "\x1B@receipt");
    EXPECT_EQ(ReadFile("queues/LT-77/done.log"), "12 deleted\n13 printed\n");

    // A job no longer there, a command the host's spooler does not know.
    EXPECT_EQ(spooler_.SetJobCommand(Printer(), 12, nullptr, mon::JOB_CONTROL_DELETE), syserr::kInvalidParameter);
    EXPECT_EQ(spooler_.SetJobCommand(Printer(), 13, nullptr, 4), syserr::kInvalidParameter);
    EXPECT_EQ(spooler_.GetJob1(nullptr, 12, again), syserr::kInvalidHandle);

    EXPECT_EQ(Lines(ReadFile("host/spooler-calls.log")), (std::vector<std::string>{
                                                              "GetJob LT-77 12",
                                                              "SetJob LT-77 12 0 status=0x2",
                                                              "GetJob LT-77 12",
                                                              "SetJob LT-77 12 5 status=0x2",
                                                              "SetJob LT-77 13 7",
                                                              "GetJob LT-77 12 -> 87",
                                                              "SetJob LT-77 12 5 -> 87",
                                                              "SetJob LT-77 13 4 -> 87",
                                                              "GetJob ? 12 -> 6",
                                                          }));
}

TEST_F(PosixPortSpooler, PortStatusOfManyThreadsLandsWholeInPortsIni)
{
    constexpr int kThreads = 4;
    constexpr int kPortsEach = 10;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int p = 0; p < kPortsEach; ++p) {
                const int n = t * kPortsEach + p;
                const std::string port = "COM" + std::to_string(n + 1) + ":";
                spooler_.SetPortStatus(std::u16string(port.begin(), port.end()),
                                       PortStatus{static_cast<DWORD>(n % 9), static_cast<DWORD>(1 + n % 3)});
            }
        });
    for (auto& thread : threads) thread.join();

    auto loaded = posix::StoreFile::Load(root_ / "host/ports.ini");
    ASSERT_TRUE(std::holds_alternative<posix::StoreFile>(loaded)) << std::get<posix::StoreError>(loaded).message;
    const auto& ports = std::get<posix::StoreFile>(loaded);
    EXPECT_EQ(ports.Sections().size(), std::size_t(kThreads * kPortsEach));
    for (int n = 0; n < kThreads * kPortsEach; ++n) {
        const std::string port = "COM" + std::to_string(n + 1) + ":";
        EXPECT_EQ(ports.Get(port, "Status"), std::to_string(n % 9)) << port;
        EXPECT_EQ(ports.Get(port, "Severity"), std::to_string(1 + n % 3)) << port;
    }
    EXPECT_EQ(Lines(ReadFile("host/spooler-calls.log")).size(), std::size_t(kThreads * kPortsEach));

    // Names that cannot stand as a section of the file.
    EXPECT_EQ(spooler_.SetPortStatus(u"", PortStatus{1, 1}), syserr::kInvalidParameter);
    EXPECT_EQ(spooler_.SetPortStatus(u"[COM1:]", PortStatus{1, 1}), syserr::kInvalidParameter);
}

TEST_F(PosixPortSpooler, AttributesAreTheQueuesAndIdentityTokensBalance)
{
    DWORD attributes = 0;
    ASSERT_EQ(spooler_.GetPrinterAttributes(Printer(), attributes), 0u);
    EXPECT_EQ(attributes, mon::PRINTER_ATTRIBUTE_ENABLE_BIDI);
    const DWORD changed = mon::PRINTER_ATTRIBUTE_ENABLE_BIDI | mon::PRINTER_ATTRIBUTE_WORK_OFFLINE;
    ASSERT_EQ(spooler_.SetPrinterAttributes(Printer(), changed), 0u);
    EXPECT_NE(ReadFile("queues/LT-77/printer.ini").find("Attributes = 0x00000C00\n"), std::string::npos);
    ASSERT_EQ(spooler_.GetPrinterAttributes(Printer(), attributes), 0u);
    EXPECT_EQ(attributes, changed);

    DWORD error = 0;
    auto user = SystemSpooler().OpenQueue(u"LT-77", PRINTER_READ_USE_RIGHTS, error);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(spooler_.SetPrinterAttributes(user->Native(), 0), syserr::kAccessDenied);

    EXPECT_TRUE(spooler_.RevertToSelf());
    const int before = posix::OutstandingPrinterSelfTokensForTesting();
    HANDLE first = spooler_.RevertToPrinterSelf();
    HANDLE second = spooler_.RevertToPrinterSelf();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(posix::OutstandingPrinterSelfTokensForTesting(), before + 2);
    EXPECT_TRUE(spooler_.ImpersonatePrinterClient(first));
    SetLastSystemError(0);
    EXPECT_FALSE(spooler_.ImpersonatePrinterClient(first));
    EXPECT_EQ(LastSystemError(), syserr::kInvalidHandle);
    EXPECT_TRUE(spooler_.ImpersonatePrinterClient(second));
    EXPECT_EQ(posix::OutstandingPrinterSelfTokensForTesting(), before);
}

}  // namespace
}  // namespace lt77::testing
