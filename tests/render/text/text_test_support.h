// Captured-text records written byte by byte, so that the tests do not lean
// on the record code they check.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tests/render/render_test_support.h"

namespace lt77::test {

struct RecordFields {
    uint8_t type = 1;
    uint16_t height = 24;
    uint16_t x = 0;
    uint16_t y = 0;
    std::vector<uint8_t> slot1;
    std::vector<uint8_t> slot2;
    uint16_t weight = 400;
    uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0, pitchAndFamily = 0;
};

inline void PutLe16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// Type, height, width, escapement, orientation, weight, italic, underline,
// strike-out, character set, pitch and family, x, y, L1, L2, slot 1, slot 2.
inline std::vector<uint8_t> Record(const RecordFields& r)
{
    std::vector<uint8_t> out{r.type};
    PutLe16(out, r.height);
    out.insert(out.end(), {0, 0, 0});
    PutLe16(out, r.weight);
    out.insert(out.end(), {r.italic, r.underline, r.strikeOut, r.charSet, r.pitchAndFamily});
    PutLe16(out, r.x);
    PutLe16(out, r.y);
    PutLe16(out, static_cast<uint16_t>(r.slot1.size()));
    PutLe16(out, static_cast<uint16_t>(r.slot2.size()));
    out.insert(out.end(), r.slot1.begin(), r.slot1.end());
    out.insert(out.end(), r.slot2.begin(), r.slot2.end());
    return out;
}

inline std::vector<uint8_t> Ascii(std::string_view text) { return {text.begin(), text.end()}; }

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace lt77::test
