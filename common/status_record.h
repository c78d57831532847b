// The status record a port monitor publishes for each printer in named shared
// memory and the status library reads from application processes: the last
// automatic-status-back block, the port status the monitor gave the spooler,
// and three card-reader tracks with their counts. Little-endian, no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lt77 {

inline constexpr size_t kTrackDataBytes = 104;

struct stLangMonData {
    uint8_t byASB[4];
    uint32_t dwPortStatus;
    uint8_t byTrackData[3][kTrackDataBytes];
    uint32_t dwTrackDataCount[3];
};
static_assert(sizeof(stLangMonData) == 332);
static_assert(offsetof(stLangMonData, dwPortStatus) == 4);
static_assert(offsetof(stLangMonData, byTrackData) == 8);
static_assert(offsetof(stLangMonData, dwTrackDataCount) == 320);

inline constexpr size_t kStatusRecordBytes = sizeof(stLangMonData);
inline constexpr size_t kStatusBlockOffset = offsetof(stLangMonData, byASB);
inline constexpr size_t kPortStatusOffset = offsetof(stLangMonData, dwPortStatus);

// "Global\BIDI_" + printer name, cut to `capacity` characters with the
// terminator counted, as the writer's and reader's fixed buffers cut it.
inline std::u16string StatusSectionName(std::u16string_view printer, size_t capacity = 256)
{
    std::u16string name = u"Global\\BIDI_";
    name.append(printer);
    if (name.size() > capacity - 1) name.resize(capacity - 1);
    return name;
}

}  // namespace lt77
