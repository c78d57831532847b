// posstatus.dll as shipped, under Wine: its export and import tables, and
// its exports against a queue of Wine's spooler and a status record that a
// second Wine process publishes, as the monitor in the spooler's process does.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "common/status_record.h"
#include "host/queue_admin.h"
#include "platform/library.h"
#include "platform/shared_memory.h"
#include "statusback/posstatus.h"
#include "tests/windows/pe_image.h"

#include <windows.h>

namespace lt77 {
namespace {

using namespace std::chrono_literals;
using test_support::PeImage;

constexpr char kHoldRecordFlag[] = "--hold-record";
constexpr char kQueue[] = "LT-77 Status";

const PeImage& PosstatusImage() { return test_support::PeImageOf(LT77_POSSTATUS_DLL); }

TEST(PosstatusDll, ExportsTheEightEntriesAnApplicationCalls)
{
    EXPECT_EQ(PosstatusImage().machine, test_support::kMachineAmd64);
    EXPECT_EQ(PosstatusImage().exportNames,
              (std::vector<std::string>{"BidiCancelCallBackFunction", "BidiCancelStatusBack", "BidiCloseMonPrinter",
                                        "BidiGetStatus", "BidiOpenMonPrinter", "BidiOpenMonPrinterW",
                                        "BidiSetCallBackFunction", "BidiSetStatusBackFunction"}));
}

TEST(PosstatusDll, ImportsOnlySystemLibraries)
{
    // An application's process loads it: no GCC runtime DLLs, nothing of
    // the monitor's (spoolss, sockets).
    EXPECT_FALSE(PosstatusImage().imports.empty());
    EXPECT_EQ(test_support::ForeignImports(PosstatusImage(),
                                           {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "winspool.drv"}),
              std::vector<std::string>{});
}

// The library's exports, loaded as an application loads them.
struct Posstatus {
    std::unique_ptr<SharedLibrary> library;
    decltype(&BidiOpenMonPrinter) open = nullptr;
    decltype(&BidiSetCallBackFunction) set = nullptr;
    decltype(&BidiCloseMonPrinter) close = nullptr;
    decltype(&BidiGetStatus) status = nullptr;

    Posstatus()
    {
        std::string error;
        library = LoadSharedLibrary(LT77_POSSTATUS_DLL, error);
        EXPECT_NE(library, nullptr) << error;
        if (!library) return;
        open = reinterpret_cast<decltype(open)>(library->Symbol("BidiOpenMonPrinter"));
        set = reinterpret_cast<decltype(set)>(library->Symbol("BidiSetCallBackFunction"));
        close = reinterpret_cast<decltype(close)>(library->Symbol("BidiCloseMonPrinter"));
        status = reinterpret_cast<decltype(status)>(library->Symbol("BidiGetStatus"));
        EXPECT_TRUE(open && set && close && status);
    }
    explicit operator bool() const { return open && set && close && status; }
};

class PosstatusWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        host::QueueSetup setup;
        setup.bidi = true;
        ASSERT_EQ(host::CreateQueue(kQueue, setup), std::nullopt);
    }
};

TEST_F(PosstatusWine, AQueueWithoutAMonitorHasNoStatusAndANameThatIsNoPrinterDoesNotOpen)
{
    Posstatus posstatus;
    ASSERT_TRUE(posstatus);
    EXPECT_EQ(posstatus.open("LT-77 Statuss"), 0);
    ASSERT_EQ(posstatus.open(kQueue), 1);
    EXPECT_EQ(posstatus.status(), 0x400u);
    EXPECT_EQ(posstatus.close(), 1);
}

struct Tracks {
    std::mutex mutex;
    std::condition_variable arrived;
    std::string data;
    uint32_t length = 0, track = 0;
};
Tracks* g_tracks = nullptr;

void POSSTATUS_CALL IgnoreStatus(uint32_t) {}
void POSSTATUS_CALL OnTrack(uint8_t* data, uint32_t length, uint32_t track)
{
    std::lock_guard hold(g_tracks->mutex);
    g_tracks->data.assign(reinterpret_cast<char*>(data), length);
    g_tracks->length = length;
    g_tracks->track = track;
    g_tracks->arrived.notify_all();
}

// Starts this program again as the record's writer; ends it at destruction.
class RecordHolder {
public:
    RecordHolder()
    {
        wchar_t self[MAX_PATH + 1] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::wstring suffix = std::to_wstring(::GetCurrentProcessId());
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, (L"Local\\lt77-record-ready-" + suffix).c_str());
        done_ = ::CreateEventW(nullptr, TRUE, FALSE, (L"Local\\lt77-record-done-" + suffix).c_str());
        std::wstring line = L"\"" + std::wstring(self) + L"\" --hold-record " + suffix;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            ::CloseHandle(process.hThread);
            process_ = process.hProcess;
        }
    }
    ~RecordHolder()
    {
        ::SetEvent(done_);
        if (process_ != nullptr) ::WaitForSingleObject(process_, 30000);
        for (HANDLE h : {process_, ready_, done_})
            if (h != nullptr) ::CloseHandle(h);
    }
    bool Ready() { return process_ != nullptr && ::WaitForSingleObject(ready_, 30000) == WAIT_OBJECT_0; }
    HANDLE Done() const { return done_; }

private:
    HANDLE process_ = nullptr, ready_ = nullptr, done_ = nullptr;
};

TEST_F(PosstatusWine, ARecordAnotherProcessPublishesIsReadAndItsTrackDelivered)
{
    RecordHolder holder;
    ASSERT_TRUE(holder.Ready());
    Posstatus posstatus;
    ASSERT_TRUE(posstatus);
    ASSERT_EQ(posstatus.open(kQueue), 1);
    EXPECT_EQ(posstatus.status(), 0x2Au);

    Tracks tracks;
    g_tracks = &tracks;
    ASSERT_EQ(posstatus.set(&IgnoreStatus, &OnTrack), 1);
    {
        std::unique_lock hold(tracks.mutex);
        ASSERT_TRUE(tracks.arrived.wait_for(hold, 20s, [&] { return tracks.track != 0; }));
        EXPECT_EQ(tracks.data, "%B4111111111111111^LT77/TEST^2512?");
        EXPECT_EQ(tracks.length, 34u);
        EXPECT_EQ(tracks.track, 1u);
    }
    EXPECT_EQ(posstatus.close(), 1);
    g_tracks = nullptr;

    DWORD error = 0;
    auto section = SystemSharedMemory().Open(StatusSectionName(u"LT-77 Status"), false, error);
    ASSERT_NE(section, nullptr) << error;
    auto view = section->Map(false, static_cast<DWORD>(kStatusRecordBytes));
    ASSERT_NE(view, nullptr);
    const uint8_t* bytes = view->Bytes().data();
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 8), (std::vector<uint8_t>{0x38, 0x08, 0x0C, 0x0F, 3, 0, 0, 0}));
    uint32_t count = 1;
    std::memcpy(&count, bytes + 320, 4);
    EXPECT_EQ(count, 0u);
}

// The second process: publishes a record as the monitor would (cover open,
// cutter error, paper out) with a card-reader track, and holds it until told.
int HoldRecord(const char* suffix)
{
    const std::wstring tail(suffix, suffix + std::strlen(suffix));
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"Local\\lt77-record-ready-" + tail).c_str());
    HANDLE done = ::OpenEventW(SYNCHRONIZE, FALSE, (L"Local\\lt77-record-done-" + tail).c_str());
    if (ready == nullptr || done == nullptr) return 2;
    DWORD error = 0;
    auto section = SystemSharedMemory().CreateStatusSection(StatusSectionName(u"LT-77 Status"),
                                                            static_cast<DWORD>(kStatusRecordBytes), error);
    if (!section) return 3;
    {
        auto view = section->Map(true, static_cast<DWORD>(kStatusRecordBytes));
        if (!view) return 4;
        stLangMonData record{};
        const uint8_t block[4] = {0x38, 0x08, 0x0C, 0x0F};
        std::memcpy(record.byASB, block, 4);
        record.dwPortStatus = 3;
        const char track[] = "%B4111111111111111^LT77/TEST^2512?";
        std::memcpy(record.byTrackData[0], track, sizeof(track) - 1);
        record.dwTrackDataCount[0] = sizeof(track) - 1;
        std::memcpy(view->Bytes().data(), &record, sizeof(record));
    }
    ::SetEvent(ready);
    ::WaitForSingleObject(done, 60000);
    return 0;
}

}  // namespace
}  // namespace lt77

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == lt77::kHoldRecordFlag) return lt77::HoldRecord(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
