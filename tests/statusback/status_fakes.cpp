#include "tests/statusback/status_fakes.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace lt77::statusback::testing {
namespace {

class FakeQueue final : public QueueHandle {
public:
    HANDLE Native() const override { return const_cast<FakeQueue*>(this); }
};

}  // namespace

std::unique_ptr<QueueHandle> FakeSpooler::OpenQueue(std::u16string_view name, DWORD, DWORD& error)
{
    {
        std::lock_guard hold(mutex_);
        opened_.emplace_back(name);
    }
    error = openError.load();
    if (error != 0) return nullptr;
    return std::make_unique<FakeQueue>();
}

DWORD FakeSpooler::GetData(HANDLE, std::string_view, std::string_view, DWORD, PrinterDataValue&)
{
    return syserr::kFileNotFound;
}
DWORD FakeSpooler::SetData(HANDLE, std::string_view, std::string_view, DWORD, std::span<const uint8_t>)
{
    return syserr::kAccessDenied;
}
DWORD FakeSpooler::ReadJob(HANDLE, DWORD, JobRecord&) { return syserr::kInvalidParameter; }
DWORD FakeSpooler::WriteJob(HANDLE, const JobRecord&) { return syserr::kInvalidParameter; }

DWORD FakeSpooler::ReadPrinterInfo(HANDLE, PrinterInfo& out)
{
    std::lock_guard hold(mutex_);
    out = PrinterInfo{};
    out.portName = portName;
    return 0;
}

std::vector<std::u16string> FakeSpooler::Opened()
{
    std::lock_guard hold(mutex_);
    return opened_;
}

DWORD FakePortSpooler::GetJob1(HANDLE, DWORD, JobLevel1&) { return syserr::kInvalidParameter; }
DWORD FakePortSpooler::SetJobCommand(HANDLE, DWORD, const JobLevel1*, DWORD) { return syserr::kInvalidParameter; }
DWORD FakePortSpooler::SetPortStatus(std::u16string_view, const PortStatus&) { return 0; }

DWORD FakePortSpooler::GetPrinterAttributes(HANDLE, DWORD& out)
{
    out = attributes.load();
    return 0;
}

DWORD FakePortSpooler::SetPrinterAttributes(HANDLE, DWORD value)
{
    std::lock_guard hold(mutex_);
    written_.push_back(value);
    attributes.store(value);
    return 0;
}

std::vector<DWORD> FakePortSpooler::Written()
{
    std::lock_guard hold(mutex_);
    return written_;
}

DWORD FakePrinterList::EnumLocalPrinters(std::vector<PrinterInfo>& out)
{
    out.clear();
    if (error != 0) return error;
    for (const auto& name : names) {
        PrinterInfo info;
        info.printerName = name;
        info.driverName = u"LT-77";
        out.push_back(info);
    }
    return 0;
}

DWORD FakeJobList::EnumJobIds(HANDLE, DWORD, DWORD count, std::vector<DWORD>& ids)
{
    ids.clear();
    for (DWORD id = 1; id <= std::min(queued.load(), count); ++id) ids.push_back(id);
    return 0;
}

void FakeDocuments::Record(std::string call)
{
    std::lock_guard hold(mutex_);
    calls_.push_back(std::move(call));
}

DWORD FakeDocuments::StartDoc(HANDLE, const DocInfo1& doc, DWORD& jobId)
{
    Record("StartDoc " + Utf16ToUtf8(doc.documentName) + " " + Utf16ToUtf8(doc.outputFile) + " " +
           Utf16ToUtf8(doc.dataType));
    jobId = 7;
    return 0;
}
DWORD FakeDocuments::StartPage(HANDLE)
{
    Record("StartPage");
    return 0;
}
DWORD FakeDocuments::Write(HANDLE, std::span<const uint8_t> bytes, DWORD& written)
{
    Record("Write " + std::to_string(bytes.size()));
    written = static_cast<DWORD>(bytes.size());
    return 0;
}
DWORD FakeDocuments::Read(HANDLE, std::span<uint8_t> buffer, DWORD& read)
{
    Record("Read " + std::to_string(buffer.size()));
    read = 0;
    return 0;
}
DWORD FakeDocuments::EndPage(HANDLE)
{
    Record("EndPage");
    return 0;
}
DWORD FakeDocuments::EndDoc(HANDLE)
{
    Record("EndDoc");
    return 0;
}
std::vector<std::string> FakeDocuments::Calls()
{
    std::lock_guard hold(mutex_);
    return calls_;
}

// A copy of the record taken at Map; at unmap only the bytes the library
// changed go back, so that what another writer put there meanwhile stays.
class MemoryView final : public SharedView {
public:
    MemoryView(MemorySharedMemory& memory, std::u16string name, bool writable, DWORD bytes)
        : memory_(memory), name_(std::move(name)), writable_(writable)
    {
        std::lock_guard hold(memory_.mutex_);
        const auto* record = reinterpret_cast<const uint8_t*>(&memory_.records_.at(name_));
        mapped_.assign(record, record + bytes);
        original_ = mapped_;
    }
    ~MemoryView() override
    {
        if (!writable_) return;
        std::lock_guard hold(memory_.mutex_);
        auto* record = reinterpret_cast<uint8_t*>(&memory_.records_.at(name_));
        for (size_t i = 0; i < mapped_.size(); ++i)
            if (mapped_[i] != original_[i]) record[i] = mapped_[i];
    }
    std::span<uint8_t> Bytes() override { return mapped_; }

private:
    MemorySharedMemory& memory_;
    std::u16string name_;
    bool writable_;
    std::vector<uint8_t> mapped_, original_;
};

class MemorySection final : public SharedSection {
public:
    MemorySection(MemorySharedMemory& memory, std::u16string name, bool writable)
        : memory_(memory), name_(std::move(name)), writable_(writable)
    {
    }
    std::unique_ptr<SharedView> Map(bool writable, DWORD bytes) override
    {
        if ((writable && !writable_) || bytes == 0 || bytes > sizeof(stLangMonData)) return nullptr;
        return std::make_unique<MemoryView>(memory_, name_, writable, bytes);
    }

private:
    MemorySharedMemory& memory_;
    std::u16string name_;
    bool writable_;
};

std::unique_ptr<SharedSection> MemorySharedMemory::CreateStatusSection(std::u16string_view, DWORD, DWORD& error)
{
    error = syserr::kAccessDenied;
    return nullptr;
}

std::unique_ptr<SharedSection> MemorySharedMemory::Open(std::u16string_view name, bool writable, DWORD& error)
{
    std::lock_guard hold(mutex_);
    opens_.emplace_back(std::u16string(name), writable);
    auto it = records_.find(std::u16string(name));
    if (it == records_.end()) {
        error = syserr::kFileNotFound;
        return nullptr;
    }
    if (writable && beforeWriteBack) beforeWriteBack(it->second);
    error = 0;
    return std::make_unique<MemorySection>(*this, std::u16string(name), writable);
}

void MemorySharedMemory::Publish(const std::u16string& name, const stLangMonData& record)
{
    std::lock_guard hold(mutex_);
    records_[name] = record;
}

stLangMonData MemorySharedMemory::Read(const std::u16string& name)
{
    std::lock_guard hold(mutex_);
    return records_.at(name);
}

std::vector<std::pair<std::u16string, bool>> MemorySharedMemory::Opens()
{
    std::lock_guard hold(mutex_);
    return opens_;
}

std::string FixedCodePages::FromWide(unsigned codePage, std::u16string_view text)
{
    return SystemCodePages().FromWide(codePage == CP_SYSTEM_ANSI ? codePage_ : codePage, text);
}

std::u16string FixedCodePages::ToWide(unsigned codePage, std::string_view bytes)
{
    return SystemCodePages().ToWide(codePage == CP_SYSTEM_ANSI ? codePage_ : codePage, bytes);
}

void CountingPauses::Pause(DWORD ms)
{
    {
        std::lock_guard hold(mutex_);
        pauses_.push_back(ms);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

size_t CountingPauses::Count(DWORD ms)
{
    std::lock_guard hold(mutex_);
    return static_cast<size_t>(std::count(pauses_.begin(), pauses_.end(), ms));
}

void CountingPauses::Forget()
{
    std::lock_guard hold(mutex_);
    pauses_.clear();
}

void RecordingTrace::Line(const std::string& line)
{
    std::lock_guard hold(mutex_);
    lines_.push_back(line);
}

std::vector<std::string> RecordingTrace::Lines()
{
    std::lock_guard hold(mutex_);
    return lines_;
}

FakeStatusSystem::FakeStatusSystem(unsigned codePage)
    : codePages(codePage),
      system{spooler, ports, printers, jobs, documents, sharedMemory, codePages, pauses, trace}
{
}

}  // namespace lt77::statusback::testing
