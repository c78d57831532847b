// Where the application drew pictures on the page. The greyscale raster form
// treats picture rows differently from text and line art.
#pragma once

#include "render/device_record.h"

namespace lt77 {

PictureRect MakePictureRect(const RECTL& rect);
// Unpacks an entry into left, top, right, bottom.
RECTL PictureRectValues(const PictureRect& entry);

void AppendPictureRect(OemPDEV& pdev, const RECTL& rect);

// Bit-block transfer: the previous pending rectangle is entered, the new one waits.
void RecordBitBltRect(OemPDEV& pdev, const RECTL* dest);
// Stretching transfers enter their rectangle at once; a pending one is dropped.
void RecordStretchRect(OemPDEV& pdev, const RECTL* dest);
// Next band: the pending rectangle is entered and cleared.
void FlushPendingRect(OemPDEV& pdev);
void ClearPendingRect();

}  // namespace lt77
