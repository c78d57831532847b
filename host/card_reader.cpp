#include "host/card_reader.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#include "common/status_record.h"
#include "common/utf.h"
#include "platform/shared_memory.h"

namespace lt77::host {

std::optional<std::string> SwipeCard(std::u16string_view printer, int track, std::span<const uint8_t> data)
{
    if (track < 1 || track > 3) return "the track is 1, 2 or 3";
    if (data.empty() || data.size() > kTrackDataBytes)
        return "a track holds 1 to " + std::to_string(kTrackDataBytes) + " bytes";
    DWORD error = 0;
    auto section = SystemSharedMemory().Open(StatusSectionName(printer), true, error);
    if (!section)
        return "no status record for " + Utf16ToUtf8(printer) + " (error " + std::to_string(error) +
               "): the monitor makes it once the queue's port is open";
    auto view = section->Map(true, static_cast<DWORD>(kStatusRecordBytes));
    if (!view) return "the status record of " + Utf16ToUtf8(printer) + " does not map";
    uint8_t* record = view->Bytes().data();
    const size_t index = static_cast<size_t>(track - 1);
    uint8_t* bytes = record + offsetof(stLangMonData, byTrackData) + index * kTrackDataBytes;
    std::memset(bytes, 0, kTrackDataBytes);
    std::memcpy(bytes, data.data(), data.size());
    // The count last: a reader that sees it sees the bytes before it (the
    // compiler keeps the order; x86 stores reach other processes in order).
    const auto count = static_cast<uint32_t>(data.size());
    const uint8_t countBytes[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                   static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
    std::atomic_signal_fence(std::memory_order_release);
    std::memcpy(record + offsetof(stLangMonData, dwTrackDataCount) + index * sizeof(uint32_t), countBytes, 4);
    return std::nullopt;
}

}  // namespace lt77::host
