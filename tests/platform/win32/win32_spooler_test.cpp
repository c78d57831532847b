// The spooler implementation against Wine's (or Windows') real spooler, on a
// queue each case creates afresh.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <winspool.h>

#include "platform/win32/printer_handle.h"

namespace lt77::win32 {
namespace {

constexpr wchar_t kQueue[] = L"LT77 Platform Test";
constexpr wchar_t kDriver[] = L"LT77 Platform Test Driver";

class Win32SpoolerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DRIVER_INFO_3W driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<wchar_t*>(kDriver);
        // A driver file Wine has; the spooler only registers it.
        driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
        if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
            GTEST_SKIP() << "this spooler does not register the stand-in driver wineps.drv (error "
                         << ::GetLastError() << "); the spooler cases need Wine";
        if (PrinterHandle old = PrinterHandle::Open(kQueue, PRINTER_ALL_ACCESS)) ::DeletePrinter(old.Get());
        PRINTER_INFO_2W info{};
        info.pPrinterName = const_cast<wchar_t*>(kQueue);
        info.pPortName = const_cast<wchar_t*>(L"FILE:");
        info.pDriverName = const_cast<wchar_t*>(kDriver);
        info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
        info.pDatatype = const_cast<wchar_t*>(L"RAW");
        printer_ = PrinterHandle(::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
        ASSERT_TRUE(printer_) << "AddPrinter failed with " << ::GetLastError();
    }
    void TearDown() override
    {
        if (printer_) ::DeletePrinter(printer_.Get());
    }

    // Starts a document on its own handle (opened with a device mode asking
    // for `copies`) and returns the spooler's job number.
    ::DWORD StartDocument(const wchar_t* document, short copies)
    {
        ::DEVMODEW devmode{};
        devmode.dmSize = sizeof(devmode);
        devmode.dmSpecVersion = DM_SPECVERSION;
        devmode.dmFields = DM_COPIES;
        devmode.dmCopies = copies;
        jobPrinter_ = PrinterHandle::Open(kQueue, PRINTER_ACCESS_USE, &devmode);
        if (!jobPrinter_) return 0;
        DOC_INFO_1W doc{const_cast<wchar_t*>(document), nullptr, const_cast<wchar_t*>(L"RAW")};
        return ::StartDocPrinterW(jobPrinter_.Get(), 1, reinterpret_cast<BYTE*>(&doc));
    }
    void EndDocument()
    {
        if (!jobPrinter_) return;
        ::AbortPrinter(jobPrinter_.Get());
        jobPrinter_.reset();
    }
    ~Win32SpoolerTest() override { EndDocument(); }

    PrinterHandle printer_;
    PrinterHandle jobPrinter_;
    Win32Spooler spooler_;
};

TEST_F(Win32SpoolerTest, OpenQueueOfUnknownNameFailsWithInvalidPrinterName)
{
    DWORD error = 0;
    EXPECT_EQ(spooler_.OpenQueue(u"LT77 No Such Queue", PRINTER_READ_USE_RIGHTS, error), nullptr);
    EXPECT_EQ(error, syserr::kInvalidPrinterName);
}

TEST_F(Win32SpoolerTest, DataWrittenThroughOneHandleIsReadThroughAnOpenedQueue)
{
    DWORD error = 1;
    auto queue = spooler_.OpenQueue(u"LT77 Platform Test", PRINTER_ALL_ACCESS_RIGHTS, error);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(error, 0u);

    struct Row {
        const char* name;
        DWORD type;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"StartDoc", REG_BINARY_TYPE, {0x1B, 0x40}},
        {"Model", REG_SZ_TYPE, {'L', 0, 'T', 0, '-', 0, '7', 0, '7', 0, 0, 0}},
        {"Timeout", REG_DWORD_TYPE, {0x10, 0x27, 0x00, 0x00}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(spooler_.SetData(printer_.Get(), "PrinterDriverData\\Properties", row.name, row.type, row.bytes), 0u);
        PrinterDataValue read;
        ASSERT_EQ(spooler_.GetData(queue->Native(), "PrinterDriverData\\Properties", row.name, 64, read), 0u);
        EXPECT_EQ(read.type, row.type);
        EXPECT_EQ(read.bytes, row.bytes);
    }
}

TEST_F(Win32SpoolerTest, ValueLongerThanMaxBytesAnswersMoreDataAndLeavesOutputAlone)
{
    const std::vector<uint8_t> misc(44, 0x5A);
    ASSERT_EQ(spooler_.SetData(printer_.Get(), "PrinterDriverData\\Properties", "MISC", REG_BINARY_TYPE, misc), 0u);

    PrinterDataValue read{REG_DWORD_TYPE, {1, 2, 3}};
    EXPECT_EQ(spooler_.GetData(printer_.Get(), "PrinterDriverData\\Properties", "MISC", 43, read), syserr::kMoreData);
    EXPECT_EQ(read.type, REG_DWORD_TYPE);
    EXPECT_EQ(read.bytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(spooler_.GetData(printer_.Get(), "PrinterDriverData\\Properties", "MISC", 0, read), syserr::kMoreData);

    ASSERT_EQ(spooler_.GetData(printer_.Get(), "PrinterDriverData\\Properties", "MISC", 44, read), 0u);
    EXPECT_EQ(read.bytes, misc);
}

TEST_F(Win32SpoolerTest, MissingValueAnswersFileNotFound)
{
    PrinterDataValue read;
    EXPECT_EQ(spooler_.GetData(printer_.Get(), "PrinterDriverData\\Properties", "NoSuchValue", 16, read),
              syserr::kFileNotFound);
}

TEST_F(Win32SpoolerTest, PrinterInfoNamesQueuePortAndDriver)
{
    PrinterInfo info;
    ASSERT_EQ(spooler_.ReadPrinterInfo(printer_.Get(), info), 0u);
    EXPECT_EQ(info.printerName, u"LT77 Platform Test");
    EXPECT_EQ(info.portName, u"FILE:");
    EXPECT_EQ(info.driverName, u"LT77 Platform Test Driver");
}

TEST_F(Win32SpoolerTest, PrinterInfoThroughNullHandleFails)
{
    PrinterInfo info;
    EXPECT_NE(spooler_.ReadPrinterInfo(nullptr, info), 0u);
}

TEST_F(Win32SpoolerTest, JobRecordOfSpoolingDocumentCarriesDocumentAndCopies)
{
    const ::DWORD jobId = StartDocument(L"Receipt 42", 3);
    ASSERT_NE(jobId, 0u);
    JobRecord job;
    ASSERT_EQ(spooler_.ReadJob(printer_.Get(), jobId, job), 0u);
    EXPECT_EQ(job.jobId, jobId);
    EXPECT_EQ(job.document, u"Receipt 42");
    EXPECT_TRUE(job.hasDevMode);
    EXPECT_EQ(job.copies, 3);
    EXPECT_NE(job.native, nullptr);
}

TEST_F(Win32SpoolerTest, JobRecordOfUnknownJobFails)
{
    JobRecord job;
    EXPECT_NE(spooler_.ReadJob(printer_.Get(), 4242, job), 0u);
}

TEST_F(Win32SpoolerTest, WrittenJobRecordReadsBack)
{
    if (SpoolerCannotWriteJobRecords())
        GTEST_SKIP() << "Wine's spooler ignores the record given to SetJob (level 2 crashes the process)";
    const ::DWORD jobId = StartDocument(L"Receipt", 1);
    ASSERT_NE(jobId, 0u);
    JobRecord job;
    ASSERT_EQ(spooler_.ReadJob(printer_.Get(), jobId, job), 0u);
    job.parameters = u"1 0 2";
    job.copies = 2;
    ASSERT_EQ(spooler_.WriteJob(printer_.Get(), job), 0u);
    JobRecord again;
    ASSERT_EQ(spooler_.ReadJob(printer_.Get(), jobId, again), 0u);
    EXPECT_EQ(again.parameters, u"1 0 2");
    EXPECT_EQ(again.copies, 2);
    EXPECT_EQ(again.document, u"Receipt");
}

TEST_F(Win32SpoolerTest, UnderWineWritingJobRecordIsRefusedWithoutCallingSpooler)
{
    if (!SpoolerCannotWriteJobRecords()) GTEST_SKIP() << "only Wine's spooler needs the refusal";
    const ::DWORD jobId = StartDocument(L"Receipt", 1);
    ASSERT_NE(jobId, 0u);
    JobRecord job;
    ASSERT_EQ(spooler_.ReadJob(printer_.Get(), jobId, job), 0u);
    job.document = u"Changed";
    EXPECT_EQ(spooler_.WriteJob(printer_.Get(), job), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    JobRecord again;
    ASSERT_EQ(spooler_.ReadJob(printer_.Get(), jobId, again), 0u);
    EXPECT_EQ(again.document, u"Receipt");
}

}  // namespace
}  // namespace lt77::win32
