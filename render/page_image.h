// The page image pipeline: the bands of a page are collected, and at the end
// of the page become one image that is cropped, toned, dithered, reduced and
// rotated, then emitted as raster commands.
#pragma once

#include <cstdint>
#include <vector>

#include "common/ximage/ximage.h"
#include "render/job_commands.h"

namespace lt77 {

// The core hands a band of 1-bit (callback 1) or 8-bit (callback 3) raster.
HRESULT ProcessBand(PDEVOBJ pdevobj, BYTE* pSrcBitmap, BITMAPINFOHEADER* pBitmapInfoHeader, BYTE* pColorTable,
                    DWORD dwCallbackID, IPPARAMS* pIPParams, BYTE** ppbResult);

// Appends the page's image (and device text) commands to the command buffer,
// then resets the page state whatever happened.
HRESULT AddImageDataPerEachPage(JobContext& job);
HRESULT CreateImageData(JobContext& job);

bool CropBottomBlankArea(OemPDEV& pdev, CxImage& image);
bool CropImageTopAndBottom(OemPDEV& pdev, CxImage& image, DWORD widthBeforeCrop, DWORD heightBeforeCrop,
                           DWORD& lastTextRow);

// S(v) = trunc(rate * v + 0.5)
DWORD ScaleByRate(float rate, DWORD v);

}  // namespace lt77
