// What an application library asks the test host's spooler: the local
// printers, the jobs of a queue, and raw documents that become spooled jobs.
#include <algorithm>

#include "platform/job_list.h"
#include "platform/print_documents.h"
#include "platform/printer_list.h"
#include "platform/posix/store_file.h"
#include "temporary_root.h"

namespace lt77::testing {
namespace {

class PosixPrinting : public TemporaryRootTest {
protected:
    void SetUp() override
    {
        TemporaryRootTest::SetUp();
        WriteFile("queues/LT-77/printer.ini", "[Queue]\nPort = COM1:\nAttributes = 0x1800\n");
        WriteFile("queues/Kitchen/printer.ini", "[Queue]\nPort = IP_10.0.0.9\n");
        WriteFile("queues/Broken/printer.ini", "[Queue\n");
        // Job 12 is waiting; 40 printed earlier and left its spool file.
        WriteFile("queues/LT-77/jobs/12.ini", "[Job]\nDocument = receipt\nStatus = 0\nSpooled = 1\n");
        WriteFile("queues/LT-77/spool/40.prn", "\x1B@");
        DWORD error = 0;
        queue_ = SystemSpooler().OpenQueue(u"LT-77", PRINTER_ALL_ACCESS_RIGHTS, error);
        ASSERT_NE(queue_, nullptr) << error;
    }

    std::vector<DWORD> Jobs()
    {
        std::vector<DWORD> ids;
        EXPECT_EQ(SystemJobList().EnumJobIds(queue_->Native(), 0, 1000, ids), 0u);
        return ids;
    }

    std::unique_ptr<QueueHandle> queue_;
};

TEST_F(PosixPrinting, TheLocalPrintersAreTheQueuesWhoseFilesLoad)
{
    std::vector<PrinterInfo> printers;
    ASSERT_EQ(SystemPrinterList().EnumLocalPrinters(printers), 0u);
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers[0].printerName, u"Kitchen");
    EXPECT_EQ(printers[0].portName, u"IP_10.0.0.9");
    EXPECT_EQ(printers[0].attributes, 0x800u);  // no Attributes line: bidirectional
    EXPECT_EQ(printers[1].printerName, u"LT-77");
    EXPECT_EQ(printers[1].attributes, 0x1800u);
}

TEST_F(PosixPrinting, ARawDocumentIsAJobThatIsSpooledAtItsEnd)
{
    PrintDocuments& documents = SystemPrintDocuments();
    HANDLE printer = queue_->Native();
    DWORD jobId = 0;
    ASSERT_EQ(documents.StartDoc(printer, DocInfo1{u"Initialize", u"", u"RAW"}, jobId), 0u);
    EXPECT_EQ(jobId, 41u);
    DWORD second = 0;
    EXPECT_EQ(documents.StartDoc(printer, DocInfo1{u"again", u"", u"RAW"}, second), syserr::kBusy);
    EXPECT_EQ(Jobs(), (std::vector<DWORD>{12, 41}));

    ASSERT_EQ(documents.StartPage(printer), 0u);
    const uint8_t bytes[] = {0x1B, 0x40, 0x0A};
    DWORD written = 0;
    ASSERT_EQ(documents.Write(printer, bytes, written), 0u);
    EXPECT_EQ(written, 3u);
    uint8_t answer[32];
    DWORD read = 99;
    EXPECT_EQ(documents.Read(printer, answer, read), 0u);
    EXPECT_EQ(read, 0u);
    ASSERT_EQ(documents.EndPage(printer), 0u);
    EXPECT_EQ(ReadFile("queues/LT-77/jobs/41.ini").find("Spooled"), std::string::npos);
    ASSERT_EQ(documents.EndDoc(printer), 0u);

    auto job = posix::StoreFile::Load(root_ / "queues/LT-77/jobs/41.ini");
    ASSERT_TRUE(std::holds_alternative<posix::StoreFile>(job));
    EXPECT_EQ(std::get<posix::StoreFile>(job).Get("Job", "Document"), "Initialize");
    EXPECT_EQ(std::get<posix::StoreFile>(job).Get("Job", "Spooled"), "1");
    EXPECT_EQ(std::get<posix::StoreFile>(job).Get("Job", "TotalPages"), "1");
    EXPECT_EQ(ReadFile("queues/LT-77/spool/41.prn"), "\x1B@\n");
    EXPECT_EQ(documents.EndDoc(printer), syserr::kInvalidParameter);
}

TEST_F(PosixPrinting, ADocumentTheHostCannotSpoolIsRefused)
{
    DWORD jobId = 0;
    EXPECT_EQ(SystemPrintDocuments().StartDoc(queue_->Native(), DocInfo1{u"emf", u"", u"NT EMF 1.008"}, jobId),
              kErrorInvalidDatatype);
    EXPECT_EQ(SystemPrintDocuments().StartDoc(queue_->Native(), DocInfo1{u"to file", u"C:\\out.prn", u"RAW"}, jobId),
              syserr::kNotSupported);
    DWORD error = 0;
    auto readOnly = SystemSpooler().OpenQueue(u"LT-77", 0, error);
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(SystemPrintDocuments().StartDoc(readOnly->Native(), DocInfo1{u"x", u"", u""}, jobId),
              syserr::kAccessDenied);
    EXPECT_EQ(Jobs(), (std::vector<DWORD>{12}));
}

}  // namespace
}  // namespace lt77::testing
