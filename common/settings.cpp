#include "common/settings.h"

namespace lt77 {

const std::array<uint8_t, kSettingsCount>& DefaultSettings()
{
    static const std::array<uint8_t, kSettingsCount> defaults = [] {
        std::array<uint8_t, kSettingsCount> v{};
        v[IDX_DRAWER1_AFTER_PULSE] = 25;
        v[IDX_DRAWER2_AFTER_PULSE] = 25;
        v[IDX_CUT_MODE] = 1;
        v[IDX_DRAWER1_BEFORE_PULSE] = 25;
        v[IDX_DRAWER2_BEFORE_PULSE] = 25;
        v[IDX_BUZZER_START_VALUE] = 25;
        v[IDX_BUZZER_END_VALUE] = 25;
        v[IDX_JOURNAL_COPIES] = 1;
        v[IDX_STORED_IMAGE_FORM] = 1;
        v[IDX_JOB_COPIES] = 1;
        v[IDX_BRIGHTNESS] = 10;
        v[IDX_COMPRESSION] = 1;
        return v;
    }();
    return defaults;
}

std::array<uint8_t, kBarcodeInfoSize> DefaultBarcodeInfo()
{
    std::array<uint8_t, kBarcodeInfoSize> table{};
    for (std::size_t i = 0; i < kBarcodeInfoEntries; ++i) {
        uint8_t* entry = &table[i * kBarcodeInfoEntrySize];
        entry[0] = static_cast<uint8_t>(i);
        entry[1] = 3;
        entry[2] = 50;
    }
    return table;
}

std::array<uint8_t, kCodeDataSize> DefaultCodeData()
{
    std::array<uint8_t, kCodeDataSize> table{};
    static constexpr uint8_t kTail[11] = {0, 3, 0, 3, 0, 0, 1, 3, 0, 0, 3};
    for (std::size_t k = 0; k < kCodeDataEntries; ++k) {
        uint8_t* entry = &table[k * kCodeDataEntrySize];
        entry[0] = static_cast<uint8_t>(k % 3);
        for (std::size_t i = 0; i < 11; ++i) entry[1 + i] = kTail[i];
        // The remaining eight bytes stay 0.
    }
    return table;
}

}  // namespace lt77
