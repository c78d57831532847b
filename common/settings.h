// The driver's settings record and the meaning of its settings bytes. The UI
// plug-in writes these bytes as printer data, the rendering plug-in reads
// them at every enable, the port monitor reads the trace switch.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lt77 {

inline constexpr std::size_t kSettingsCount = 44;
inline constexpr std::size_t kUserCommandMax = 512;
inline constexpr std::size_t kCodeDataSize = 160;     // 8 entries of 20 bytes
inline constexpr std::size_t kBarcodeInfoSize = 65;   // 13 entries of 5 bytes
inline constexpr std::size_t kCodeDataEntries = 8;
inline constexpr std::size_t kCodeDataEntrySize = 20;
inline constexpr std::size_t kBarcodeInfoEntries = 13;
inline constexpr std::size_t kBarcodeInfoEntrySize = 5;

// Indexes of byteValue.
enum SettingIndex : std::size_t {
    IDX_LINE_FEEDS = 0,
    IDX_DRAWER1_AFTER = 1,
    IDX_DRAWER1_AFTER_PULSE = 2,
    IDX_DRAWER2_AFTER = 3,
    IDX_DRAWER2_AFTER_PULSE = 4,
    IDX_CUT_MODE = 5,
    IDX_DRAWER1_BEFORE = 6,
    IDX_DRAWER1_BEFORE_PULSE = 7,
    IDX_DRAWER2_BEFORE = 8,
    IDX_DRAWER2_BEFORE_PULSE = 9,
    IDX_BUZZER_START = 10,
    IDX_BUZZER_START_VALUE = 11,
    IDX_BUZZER_END = 12,
    IDX_BUZZER_END_VALUE = 13,
    IDX_STORED_IMAGE_START_DOC = 15,
    IDX_STORED_IMAGE_START_PAGE = 16,
    IDX_STORED_IMAGE_END_PAGE = 17,
    IDX_STORED_IMAGE_END_DOC = 18,
    IDX_JOURNAL_COPIES = 19,
    IDX_STORED_IMAGE_FORM = 20,
    IDX_ROTATION = 21,
    IDX_JOB_COPIES = 22,
    IDX_TOP_CROP_ON = 23,
    IDX_TOP_CROP_ROWS = 24,
    IDX_BOTTOM_CROP_ON = 25,
    IDX_BOTTOM_CROP_ROWS = 26,
    IDX_TEXT_KEY_ON = 27,
    IDX_UI_LANGUAGE = 28,
    IDX_PREVIEW_ON = 29,
    IDX_JOURNAL_ON = 30,
    IDX_PAPER_TYPE = 31,
    IDX_PAPER_SIZE_INDEX = 32,
    IDX_GREYSCALE = 33,
    IDX_HALFTONE = 34,
    IDX_BRIGHTNESS = 35,
    IDX_COMPRESSION = 36,
    IDX_REDUCTION_ON = 38,
    IDX_REDUCE_BARCODES = 39,
    IDX_REDUCTION_RATE = 40,
    IDX_REDUCTION_CUSTOM = 41,
    IDX_LANDSCAPE = 42,
    IDX_TRACE_ON = 43,
};

// The settings record as it sits in the device record. Its layout is part of
// the driver's memory image and of the programs that exchange it.
struct UIInfo {
    uint8_t byPage[2];
    uint8_t byteValue[kSettingsCount];
    uint8_t byStartDoc[kUserCommandMax];
    uint8_t byStartPage[kUserCommandMax];
    uint8_t byEndPage[kUserCommandMax];
    uint8_t byEndDoc[kUserCommandMax];
    uint8_t CodeData[kCodeDataSize];
    uint8_t BarcodeInfo[kBarcodeInfoSize];
    uint32_t dwMiscSize;
    uint32_t dwStartDoc;
    uint32_t dwStartPage;
    uint32_t dwEndPage;
    uint32_t dwEndDoc;
};
static_assert(offsetof(UIInfo, byPage) == 0);
static_assert(offsetof(UIInfo, byteValue) == 2);
static_assert(offsetof(UIInfo, byStartDoc) == 46);
static_assert(offsetof(UIInfo, byStartPage) == 558);
static_assert(offsetof(UIInfo, byEndPage) == 1070);
static_assert(offsetof(UIInfo, byEndDoc) == 1582);
static_assert(offsetof(UIInfo, CodeData) == 2094);
static_assert(offsetof(UIInfo, BarcodeInfo) == 2254);
static_assert(offsetof(UIInfo, dwMiscSize) == 2320);
static_assert(offsetof(UIInfo, dwStartDoc) == 2324);
static_assert(offsetof(UIInfo, dwEndDoc) == 2336);
static_assert(sizeof(UIInfo) == 2340);

// The settings a queue has when neither printer data nor the installation
// file say otherwise.
const std::array<uint8_t, kSettingsCount>& DefaultSettings();

// The one-dimensional code table used when the queue has none: entry i is
// i, 3, 50, 0, 0.
std::array<uint8_t, kBarcodeInfoSize> DefaultBarcodeInfo();
// The two-dimensional code table used when the queue has none.
std::array<uint8_t, kCodeDataSize> DefaultCodeData();

}  // namespace lt77
