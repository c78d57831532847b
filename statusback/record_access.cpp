// The library's side of the shared status record: read whole, and the
// tracks it delivered cleared. It holds no section between accesses.
#include <cstddef>
#include <cstring>

#include "statusback/status_library.h"

namespace lt77::statusback {

std::unique_ptr<SharedSection> StatusLibrary::OpenRecord(const std::u16string& name, bool writable)
{
    DWORD error = 0;
    auto section = sys_.sharedMemory.Open(name, writable, error);
    for (DWORD retry = 0; !section && retry < retryCount_.load(); ++retry) {
        // A cancel waits for this thread: it should not wait out the retries.
        if (OnCallbackThread() && !Watching()) break;
        section = sys_.sharedMemory.Open(name, writable, error);
        if (!section) sys_.pauses.Pause(kRecordRetryPauseMs);
    }
    if (!section)
        Trace("GetMemoryMappedFileData : Could not open file mapping object (%d).", static_cast<int>(error));
    return section;
}

bool StatusLibrary::GetMemoryMappedFileData(stLangMonData& record)
{
    const std::u16string name = SectionName();
    EnableBidiCommunication();
    if (!gbOpend_.load()) return false;
    const auto section = OpenRecord(name, false);
    if (!section) return false;
    const auto view = section->Map(false, static_cast<DWORD>(kStatusRecordBytes));
    if (!view || view->Bytes().size() < kStatusRecordBytes) return false;
    record = stLangMonData{};
    std::memcpy(&record, view->Bytes().data(), kStatusRecordBytes);
    return true;
}

// Only the delivered tracks' bytes and counts go back: the monitor may have
// published a new status since the record was read, and a whole record
// written back would put the old one over it.
bool StatusLibrary::ClearMsrDataByMMF(const stLangMonData& record, const DeliveredTracks& delivered)
{
    const std::u16string name = SectionName();
    EnableBidiCommunication();
    if (!gbOpend_.load()) return false;
    const auto section = OpenRecord(name, true);
    if (!section) return false;
    const auto view = section->Map(true, static_cast<DWORD>(kStatusRecordBytes));
    if (!view || view->Bytes().size() < kStatusRecordBytes) return false;
    uint8_t* bytes = view->Bytes().data();
    for (size_t track = 0; track < delivered.size(); ++track) {
        if (delivered[track] == 0) continue;
        std::memcpy(bytes + offsetof(stLangMonData, byTrackData) + track * kTrackDataBytes, record.byTrackData[track],
                    std::min<size_t>(delivered[track], kTrackDataBytes));
        std::memcpy(bytes + offsetof(stLangMonData, dwTrackDataCount) + track * sizeof(uint32_t),
                    &record.dwTrackDataCount[track], sizeof(uint32_t));
    }
    return true;
}

}  // namespace lt77::statusback
