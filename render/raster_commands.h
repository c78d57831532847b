// Raster commands of the page image: divisions of at most 246 rows, each
// plane either run-length coded or plain.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/ximage/ximage.h"
#include "render/device_record.h"
#include "render/job_commands.h"

namespace lt77 {

inline constexpr DWORD kRowsPerDivision = 246;

// Fills `planes` (1 or 4 blocks of bytesPerRow x rows) for rows first ...
// first + rows - 1; returns the bytes written per plane.
DWORD CreateImageBuffer(const std::vector<PictureRect>& pictures, std::span<std::vector<uint8_t>> planes,
                        const CxImage& image, DWORD firstRow, DWORD rows, bool greyscale);

// Run-length coding: 00 and FF are followed by their run length (1-255).
void AppendRunLength(std::vector<uint8_t>& out, std::span<const uint8_t> bytes);

// The commands for rows first ... first + rows - 1; empty on failure.
std::vector<uint8_t> MakeImageCommands(const std::vector<PictureRect>& pictures, const CxImage& image,
                                       DWORD firstRow, DWORD rows, bool greyscale);
std::vector<uint8_t> MakeImageCommandsWithRLE(const std::vector<PictureRect>& pictures, const CxImage& image,
                                              DWORD firstRow, DWORD rows, bool greyscale);

HRESULT AddImageCommands(JobContext& job, const CxImage& image, DWORD firstRow, DWORD rows, bool compressed,
                         bool greyscale);

}  // namespace lt77
