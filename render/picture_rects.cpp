#include "render/picture_rects.h"

#include <algorithm>

#include "render/module_state.h"
#include "render/trace.h"

namespace lt77 {
namespace {

uint16_t Clamp16(LONG v) { return static_cast<uint16_t>(std::clamp<LONG>(v, 0, 0xFFFF)); }

void Put(uint8_t* at, LONG value)
{
    const uint16_t v = Clamp16(value);
    at[0] = static_cast<uint8_t>(v % 256);
    at[1] = static_cast<uint8_t>(v / 256);
}

}  // namespace

PictureRect MakePictureRect(const RECTL& rect)
{
    PictureRect entry{};
    Put(&entry.bytes[0], rect.left);
    Put(&entry.bytes[2], rect.top);
    Put(&entry.bytes[4], rect.right);
    Put(&entry.bytes[6], rect.bottom);
    return entry;
}

RECTL PictureRectValues(const PictureRect& e)
{
    auto get = [&](int i) { return static_cast<LONG>(e.bytes[i] | (e.bytes[i + 1] << 8)); };
    return RECTL{get(0), get(2), get(4), get(6)};
}

void AppendPictureRect(OemPDEV& pdev, const RECTL& rect) { pdev.pictureRects.push_back(MakePictureRect(rect)); }

void RecordBitBltRect(OemPDEV& pdev, const RECTL* dest)
{
    if (dest == nullptr) return;
    if (g_pendingRect.IsSet())
        AppendPictureRect(pdev, RECTL{g_pendingRect.left, g_pendingRect.top, g_pendingRect.right,
                                      g_pendingRect.bottom});
    g_pendingRect = PendingRect{dest->left, dest->top, dest->right, dest->bottom};
}

void RecordStretchRect(OemPDEV& pdev, const RECTL* dest)
{
    if (dest == nullptr) return;
    AppendPictureRect(pdev, *dest);
    g_pendingRect = PendingRect{};
}

void FlushPendingRect(OemPDEV& pdev)
{
    if (g_pendingRect.IsSet()) {
        TraceLog("OEMNextBand : L=%d, T=%d, R=%d, B=%d", g_pendingRect.left, g_pendingRect.top,
                 g_pendingRect.right, g_pendingRect.bottom);
        AppendPictureRect(pdev, RECTL{g_pendingRect.left, g_pendingRect.top, g_pendingRect.right,
                                      g_pendingRect.bottom});
    }
    g_pendingRect = PendingRect{};
}

void ClearPendingRect() { g_pendingRect = PendingRect{}; }

}  // namespace lt77
