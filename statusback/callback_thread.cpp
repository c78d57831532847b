// The callback thread, `UStatusThreadProc`: one per process while a status
// callback is registered. It reads the callbacks afresh before each call,
// so that a cancel (which then waits for the thread) leaves no call behind.
#include <algorithm>
#include <cstring>
#include <vector>

#include "statusback/status_code.h"
#include "statusback/status_library.h"

namespace lt77::statusback {

void StatusLibrary::UStatusThreadProc()
{
    EnableBidiCommunication();
    DWORD last = BidiGetStatus();
    if (last != PRN_STATUS_NORMAL && last != kStatusUnreadable) {
        if (const auto status = Registered().status) status(last);
    }
    while (Watching()) {
        stLangMonData record{};
        if (!GetMemoryMappedFileData(record)) {
            sys_.pauses.Pause(kCallbackCycleMs);
            continue;
        }
        const DWORD current = InterpretCommands(record);
        if (current != last) {
            if (const auto status = Registered().status) {
                status(current);
                last = current;
            }
        }
        DeliveredTracks delivered{};
        for (size_t track = 0; track < delivered.size(); ++track) {
            if (record.dwTrackDataCount[track] == 0) continue;
            const auto msr = Registered().msr;
            if (msr == nullptr) continue;
            // The count comes from another process: never past the track.
            const DWORD length = std::min<DWORD>(record.dwTrackDataCount[track], kTrackDataBytes);
            std::vector<uint8_t> data(record.byTrackData[track], record.byTrackData[track] + length);
            msr(data.data(), length, static_cast<uint32_t>(track + 1));
            std::memset(record.byTrackData[track], 0, length);
            record.dwTrackDataCount[track] = 0;
            delivered[track] = length;
        }
        if (std::any_of(delivered.begin(), delivered.end(), [](DWORD n) { return n != 0; }))
            ClearMsrDataByMMF(record, delivered);
        sys_.pauses.Pause(kCallbackCycleMs);
    }
}

}  // namespace lt77::statusback
