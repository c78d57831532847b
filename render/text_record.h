// Captured-text records: one per string drawn in a device, barcode or
// control-code font, or in a TrueType font that must be redrawn at the
// reduced size. The page's buffers hold them back to back.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lt77 {

inline constexpr uint8_t FTYPE_DEVICE_FONT = 1;
inline constexpr uint8_t FTYPE_DEVICE_BARCODE = 2;
inline constexpr uint8_t FTYPE_DEVICE_FONT_CONTROL = 3;
inline constexpr uint8_t FTYPE_DEVICE_FONT_CONTROL_A = 4;
inline constexpr uint8_t FTYPE_TRUETYPE = 5;

#pragma pack(push, 1)
struct TextRecordHeader {
    uint8_t byFontType;
    uint16_t wHeight;
    uint8_t byWidth;
    uint8_t byEscapement;
    uint8_t byOrientation;
    uint16_t wWeight;
    uint8_t byItalic;
    uint8_t byUnderline;
    uint8_t byStrikeOut;
    uint8_t byCharSet;
    uint8_t byPitchAndFamily;
    uint16_t wX;
    uint16_t wY;
    uint16_t wSlot1Length;
    uint16_t wSlot2Length;
};
#pragma pack(pop)
static_assert(sizeof(TextRecordHeader) == 21);
static_assert(offsetof(TextRecordHeader, wHeight) == 1);
static_assert(offsetof(TextRecordHeader, wWeight) == 6);
static_assert(offsetof(TextRecordHeader, byItalic) == 8);
static_assert(offsetof(TextRecordHeader, byCharSet) == 11);
static_assert(offsetof(TextRecordHeader, wX) == 13);
static_assert(offsetof(TextRecordHeader, wY) == 15);
static_assert(offsetof(TextRecordHeader, wSlot1Length) == 17);
static_assert(offsetof(TextRecordHeader, wSlot2Length) == 19);
// The fields are stored little-endian; both targets are.
static_assert(std::endian::native == std::endian::little);

// UTF-16 text in a slot is followed by one zero byte: 2 x units + 1 bytes
// must fit the 16-bit slot length.
inline constexpr std::size_t kMaxUtf16SlotUnits = (0xFFFF - 1) / 2;

// A record read in place from a buffer.
struct TextRecordView {
    TextRecordHeader header;
    std::span<const uint8_t> slot1;
    std::span<const uint8_t> slot2;
    std::size_t size;  // 21 + L1 + L2
};

// The record at `offset`, or null when the bytes there are not a whole record.
std::optional<TextRecordView> ReadTextRecord(std::span<const uint8_t> buffer, std::size_t offset);

// Appends the record whole; on std::bad_alloc the buffer is unchanged.
void AppendTextRecord(std::vector<uint8_t>& buffer, const TextRecordHeader& header, std::span<const uint8_t> slot1,
                      std::span<const uint8_t> slot2);

}  // namespace lt77
