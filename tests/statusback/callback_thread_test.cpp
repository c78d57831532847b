// The callback thread on fake system parts: what the application is called
// with, when, and that no call comes once cancel or close has returned.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <tuple>

#include "statusback/status_code.h"
#include "tests/statusback/status_fakes.h"

namespace lt77::statusback {
namespace {

using namespace std::chrono_literals;
using testing::FakeStatusSystem;
using Bytes = std::vector<uint8_t>;

const std::u16string kRecordName = u"Global\\BIDI_LT-77";

stLangMonData Record(Bytes block, uint32_t portStatus)
{
    stLangMonData record{};
    std::memcpy(record.byASB, block.data(), 4);
    record.dwPortStatus = portStatus;
    return record;
}

Bytes Pattern(size_t n, uint8_t seed)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

// What the callbacks saw. The callbacks are plain functions, as an
// application's are, so they report to this one object.
struct Observed {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<char, uint32_t>> statuses;  // which callback, code
    std::vector<std::tuple<Bytes, uint32_t, uint32_t>> tracks;
    bool blockFirst = false, entered = false, release = false, finished = false;
    StatusLibrary* library = nullptr;
    std::function<void()> inside;  // run by the first status call

    void Status(char who, uint32_t code)
    {
        std::unique_lock hold(mutex);
        statuses.emplace_back(who, code);
        const bool first = statuses.size() == 1;
        entered = true;
        changed.notify_all();
        if (first && blockFirst) changed.wait(hold, [&] { return release; });
        auto run = first ? inside : nullptr;
        hold.unlock();
        if (run) run();
        hold.lock();
        finished = true;
        changed.notify_all();
    }

    template <class F>
    bool WaitFor(F condition)
    {
        std::unique_lock hold(mutex);
        return changed.wait_for(hold, 10s, condition);
    }
    size_t StatusCount()
    {
        std::lock_guard hold(mutex);
        return statuses.size();
    }
};

Observed* g_observed = nullptr;

void POSSTATUS_CALL StatusA(uint32_t code) { g_observed->Status('A', code); }
void POSSTATUS_CALL StatusB(uint32_t code) { g_observed->Status('B', code); }
void POSSTATUS_CALL Track(uint8_t* data, uint32_t length, uint32_t track)
{
    std::lock_guard hold(g_observed->mutex);
    g_observed->tracks.emplace_back(Bytes(data, data + length), length, track);
    g_observed->changed.notify_all();
}

class CallbackThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_observed = &observed_;
        observed_.library = library_.get();
        fakes_.sharedMemory.Publish(kRecordName, Record({0x10, 0x00, 0x00, 0x0F}, 0));
        ASSERT_EQ(library_->BidiOpenMonPrinter("LT-77"), 1);
    }
    void TearDown() override
    {
        library_.reset();
        g_observed = nullptr;
    }

    // Waits until the thread has made `passes` more passes over the record.
    void Passes(size_t passes)
    {
        const size_t target = fakes_.pauses.Count(kCallbackCycleMs) + passes;
        for (int i = 0; i < 10000 && fakes_.pauses.Count(kCallbackCycleMs) < target; ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_GE(fakes_.pauses.Count(kCallbackCycleMs), target);
    }

    FakeStatusSystem fakes_;
    std::unique_ptr<StatusLibrary> library_ = std::make_unique<StatusLibrary>(fakes_.system);
    Observed observed_;
};

TEST_F(CallbackThreadTest, NoneRegisteredBeforeAnOpen)
{
    StatusLibrary closed(fakes_.system);
    EXPECT_EQ(closed.BidiSetCallBackFunction(&StatusA, &Track), 0);
}

TEST_F(CallbackThreadTest, ANormalPrinterGetsNoCallUntilItsStatusChanges)
{
    ASSERT_EQ(library_->BidiSetCallBackFunction(&StatusA, nullptr), 1);
    Passes(3);
    EXPECT_EQ(observed_.StatusCount(), 0u);
    fakes_.sharedMemory.Publish(kRecordName, Record({0x20, 0x00, 0x00, 0x0F}, 7));
    ASSERT_TRUE(observed_.WaitFor([&] { return observed_.statuses.size() == 1; }));
    Passes(3);
    fakes_.sharedMemory.Publish(kRecordName, Record({0x10, 0x00, 0x00, 0x0F}, 0));
    ASSERT_TRUE(observed_.WaitFor([&] { return observed_.statuses.size() == 2; }));
    EXPECT_EQ(observed_.statuses, (std::vector<std::pair<char, uint32_t>>{{'A', 0x08}, {'A', 0x00}}));
}

TEST_F(CallbackThreadTest, APrinterInTroubleIsReportedAtOnce)
{
    fakes_.sharedMemory.Publish(kRecordName, Record({0x38, 0x08, 0x0C, 0x0F}, 3));
    ASSERT_EQ(library_->BidiSetCallBackFunction(&StatusA, nullptr), 1);
    ASSERT_TRUE(observed_.WaitFor([&] { return !observed_.statuses.empty(); }));
    Passes(2);
    EXPECT_EQ(observed_.statuses, (std::vector<std::pair<char, uint32_t>>{{'A', 0x2A}}));
}

TEST_F(CallbackThreadTest, ADeliveredTrackIsClearedAndTheStatusPublishedMeanwhileStays)
{
    stLangMonData record = Record({0x10, 0x00, 0x00, 0x0F}, 0);
    const Bytes track2 = Pattern(37, 0x30), track3 = Pattern(104, 0x61);
    std::memcpy(record.byTrackData[1], track2.data(), track2.size());
    record.dwTrackDataCount[1] = 37;
    std::memcpy(record.byTrackData[2], track3.data(), track3.size());  // count 0: nothing to read
    fakes_.sharedMemory.Publish(kRecordName, record);
    // The monitor publishes the cover opened between the read and the write-back.
    fakes_.sharedMemory.beforeWriteBack = [](stLangMonData& now) {
        const uint8_t cover[4] = {0x38, 0x00, 0x00, 0x0F};
        std::memcpy(now.byASB, cover, 4);
        now.dwPortStatus = 7;
    };
    ASSERT_EQ(library_->BidiSetCallBackFunction(&StatusA, &Track), 1);
    ASSERT_TRUE(observed_.WaitFor([&] { return !observed_.tracks.empty(); }));
    ASSERT_TRUE(observed_.WaitFor([&] { return !observed_.statuses.empty(); }));
    Passes(2);
    {
        std::lock_guard hold(observed_.mutex);
        ASSERT_EQ(observed_.tracks.size(), 1u);
        EXPECT_EQ(observed_.tracks[0], std::make_tuple(track2, 37u, 2u));
        EXPECT_EQ(observed_.statuses, (std::vector<std::pair<char, uint32_t>>{{'A', 0x08}}));
    }
    const stLangMonData after = fakes_.sharedMemory.Read(kRecordName);
    EXPECT_EQ(Bytes(after.byASB, after.byASB + 4), (Bytes{0x38, 0x00, 0x00, 0x0F}));
    EXPECT_EQ(after.dwPortStatus, 7u);
    EXPECT_EQ(after.dwTrackDataCount[1], 0u);
    EXPECT_EQ(Bytes(after.byTrackData[1], after.byTrackData[1] + 37), Bytes(37, 0));
    EXPECT_EQ(Bytes(after.byTrackData[2], after.byTrackData[2] + 104), track3);
}

TEST_F(CallbackThreadTest, WithoutACardReaderCallbackTheTrackStaysInTheRecord)
{
    stLangMonData record = Record({0x10, 0x00, 0x00, 0x0F}, 0);
    record.dwTrackDataCount[0] = 12;
    std::memcpy(record.byTrackData[0], Pattern(12, 1).data(), 12);
    fakes_.sharedMemory.Publish(kRecordName, record);
    ASSERT_EQ(library_->BidiSetCallBackFunction(&StatusA, nullptr), 1);
    Passes(3);
    EXPECT_EQ(fakes_.sharedMemory.Read(kRecordName).dwTrackDataCount[0], 12u);
}

TEST_F(CallbackThreadTest, ACountPastTheTrackDeliversTheTrackOnly)
{
    stLangMonData record = Record({0x10, 0x00, 0x00, 0x0F}, 0);
    record.dwTrackDataCount[0] = 300;
    std::memcpy(record.byTrackData[0], Pattern(104, 9).data(), 104);
    fakes_.sharedMemory.Publish(kRecordName, record);
    ASSERT_EQ(library_->BidiSetCallBackFunction(&StatusA, &Track), 1);
    ASSERT_TRUE(observed_.WaitFor([&] { return !observed_.tracks.empty(); }));
    std::lock_guard hold(observed_.mutex);
    EXPECT_EQ(observed_.tracks[0], std::make_tuple(Pattern(104, 9), 104u, 1u));
}

// Cancel, close and a second registration from another thread while the
// first callback runs: each returns only once that call has finished, and
// the earlier callback is never called again.
TEST_F(CallbackThreadTest, CancelCloseAndRegisteringAgainWaitForTheRunningCallback)
{
    enum class Then { Cancel, Close, Register };
    for (const Then then : {Then::Cancel, Then::Close, Then::Register}) {
        SCOPED_TRACE(static_cast<int>(then));
        {
            std::lock_guard hold(observed_.mutex);
            observed_.statuses.clear();
            observed_.blockFirst = true;
            observed_.entered = observed_.release = observed_.finished = false;
        }
        ASSERT_EQ(library_->BidiOpenMonPrinter("LT-77"), 1);
        fakes_.sharedMemory.Publish(kRecordName, Record({0x10, 0x00, 0x0C, 0x0F}, 3));
        ASSERT_EQ(library_->BidiSetCallBackFunction(&StatusA, nullptr), 1);
        ASSERT_TRUE(observed_.WaitFor([&] { return observed_.entered; }));

        std::atomic<bool> returned{false};
        bool finishedWhenReturned = false;
        std::thread caller([&] {
            if (then == Then::Cancel) library_->BidiCancelCallBackFunction();
            if (then == Then::Close) library_->BidiCloseMonPrinter();
            if (then == Then::Register) library_->BidiSetCallBackFunction(&StatusB, nullptr);
            std::lock_guard hold(observed_.mutex);
            finishedWhenReturned = observed_.finished;
            returned = true;
        });
        // Time for a call that does not wait to come back.
        std::this_thread::sleep_for(100ms);
        EXPECT_FALSE(returned.load());
        fakes_.sharedMemory.Publish(kRecordName, Record({0x20, 0x00, 0x00, 0x0F}, 7));
        {
            std::lock_guard hold(observed_.mutex);
            observed_.release = true;
        }
        observed_.changed.notify_all();
        caller.join();
        EXPECT_TRUE(finishedWhenReturned);

        if (then == Then::Register) {
            ASSERT_TRUE(observed_.WaitFor([&] { return observed_.statuses.size() >= 2; }));
            Passes(3);
            std::lock_guard hold(observed_.mutex);
            // The new thread starts with the current status, once.
            EXPECT_EQ(observed_.statuses,
                      (std::vector<std::pair<char, uint32_t>>{{'A', 0x02}, {'B', 0x08}}));
        } else {
            std::this_thread::sleep_for(50ms);
            EXPECT_EQ(observed_.StatusCount(), 1u);
        }
        if (then == Then::Close) {
            EXPECT_EQ(library_->BidiGetStatus(), kStatusUnreadable);
        }
        library_->BidiCancelCallBackFunction();
    }
}

// From inside a callback the thread cannot wait for itself: cancel and close
// return at once and the thread ends after the callback; a registration
// there carries on with the new callback on the same thread.
TEST_F(CallbackThreadTest, FromInsideACallbackCancelCloseAndRegisterDoNotWaitForThemselves)
{
    enum class Then { Cancel, Close, Register };
    for (const Then then : {Then::Cancel, Then::Close, Then::Register}) {
        SCOPED_TRACE(static_cast<int>(then));
        {
            std::lock_guard hold(observed_.mutex);
            observed_.statuses.clear();
            observed_.blockFirst = false;
            observed_.inside = [this, then] {
                BOOL result = 0;
                if (then == Then::Cancel) result = library_->BidiCancelCallBackFunction();
                if (then == Then::Close) result = library_->BidiCloseMonPrinter();
                if (then == Then::Register) result = library_->BidiSetCallBackFunction(&StatusB, nullptr);
                EXPECT_EQ(result, 1);
            };
        }
        ASSERT_EQ(library_->BidiOpenMonPrinter("LT-77"), 1);
        fakes_.sharedMemory.Publish(kRecordName, Record({0x10, 0x00, 0x03, 0x0F}, 0));
        ASSERT_EQ(library_->BidiSetCallBackFunction(&StatusA, nullptr), 1);
        ASSERT_TRUE(observed_.WaitFor([&] { return observed_.finished; }));
        fakes_.sharedMemory.Publish(kRecordName, Record({0x10, 0x01, 0x00, 0x0F}, 0));
        if (then == Then::Register) {
            ASSERT_TRUE(observed_.WaitFor([&] { return observed_.statuses.size() == 2; }));
            std::lock_guard hold(observed_.mutex);
            EXPECT_EQ(observed_.statuses, (std::vector<std::pair<char, uint32_t>>{{'A', 0x04}, {'B', 0x200}}));
        } else {
            std::this_thread::sleep_for(50ms);
            EXPECT_EQ(observed_.StatusCount(), 1u);
        }
        {
            std::lock_guard hold(observed_.mutex);
            observed_.inside = nullptr;
            observed_.finished = false;
        }
        library_->BidiCancelCallBackFunction();
    }
}

}  // namespace
}  // namespace lt77::statusback
