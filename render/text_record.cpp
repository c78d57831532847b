#include "render/text_record.h"

#include <algorithm>
#include <cstring>

namespace lt77 {

std::optional<TextRecordView> ReadTextRecord(std::span<const uint8_t> buffer, std::size_t offset)
{
    if (offset > buffer.size() || buffer.size() - offset < sizeof(TextRecordHeader)) return std::nullopt;
    TextRecordView view{};
    std::memcpy(&view.header, buffer.data() + offset, sizeof(TextRecordHeader));
    const std::size_t l1 = view.header.wSlot1Length, l2 = view.header.wSlot2Length;
    const std::size_t size = sizeof(TextRecordHeader) + l1 + l2;
    if (buffer.size() - offset < size) return std::nullopt;
    view.slot1 = buffer.subspan(offset + sizeof(TextRecordHeader), l1);
    view.slot2 = buffer.subspan(offset + sizeof(TextRecordHeader) + l1, l2);
    view.size = size;
    return view;
}

void AppendTextRecord(std::vector<uint8_t>& buffer, const TextRecordHeader& header, std::span<const uint8_t> slot1,
                      std::span<const uint8_t> slot2)
{
    // Room for the whole record first: a failure then leaves the buffer as it
    // was, never a header without its slots that would misread every later
    // record. Growth stays geometric so that appends remain cheap.
    const std::size_t needed = buffer.size() + sizeof(header) + slot1.size() + slot2.size();
    if (needed > buffer.capacity()) buffer.reserve(std::max(needed, 2 * buffer.capacity()));
    const auto* h = reinterpret_cast<const uint8_t*>(&header);
    buffer.insert(buffer.end(), h, h + sizeof(header));
    buffer.insert(buffer.end(), slot1.begin(), slot1.end());
    buffer.insert(buffer.end(), slot2.begin(), slot2.end());
}

}  // namespace lt77
