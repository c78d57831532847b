// The printer with the machine's fonts and symbol library, and the checks
// the renderer tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printer/stream_renderer.h"

namespace lt77::printer::testing {

inline std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

// One printer for the whole test program: finding the fonts takes a while.
inline StreamRenderer& Printer()
{
    static SystemRenderer printer;
    return printer.Get();
}

inline RenderedJob Print(const std::vector<uint8_t>& job) { return Printer().Render(job); }

// Dots with ink in the rectangle [x, x + w) x [y, y + h).
inline uint32_t InkIn(const Paper& paper, uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    uint32_t ink = 0;
    for (uint32_t row = y; row < y + h; ++row)
        for (uint32_t col = x; col < x + w; ++col) ink += paper.At(col, row) ? 1 : 0;
    return ink;
}

inline bool HasProblem(const RenderedJob& job, std::size_t offset, const std::string& text)
{
    for (const LogEntry& e : job.log.Entries())
        if (e.problem && e.offset == offset && e.text.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace lt77::printer::testing
