// The page's printer data: image slices and device-text lines interleaved
// from top to bottom, so that each device line prints where it was placed.
#pragma once

#include "common/ximage/ximage.h"
#include "render/job_commands.h"

namespace lt77 {

// Draws the captured TrueType strings into the reduced page image and moves
// the device strings into the device-text buffer; returns the last row
// reached by any text (at least `lastRow`).
DWORD DrawResizedText(OemPDEV& pdev, CxImage& image, float rate, DWORD lastRow);

// Emits the page; the result of the last image slice.
HRESULT AddImageAndDevFontData(JobContext& job, CxImage& image, float rate);

// 1 when a picture starts within rows row ... row + height - 1; `amount` is
// then the number of the band's rows from the picture's top on.
int DevTextInImage(const std::vector<PictureRect>& pictures, DWORD row, DWORD height, DWORD& amount);

}  // namespace lt77
