#include "preview/view_state.h"

#include <algorithm>

namespace lt77::viewer {

void ScrollAxis::Apply(ScrollAction action, const ScrollSteps& steps, int thumb)
{
    int next = position;
    switch (action) {
    case ScrollAction::LineBack: next -= steps.line; break;
    case ScrollAction::LineForward: next += steps.line; break;
    case ScrollAction::PageBack: next -= steps.page; break;
    case ScrollAction::PageForward: next += steps.page; break;
    case ScrollAction::Thumb: next = thumb; break;
    case ScrollAction::WheelForward:
        if (visible) next -= steps.wheel;
        break;
    case ScrollAction::WheelBack:
        if (visible) next += steps.wheel;
        break;
    }
    position = std::clamp(next, 0, std::max(maximum, 0));
}

ViewLayout LayoutView(int pictureWidth, int pictureHeight, int frameWidth, int frameHeight, int barThickness,
                      bool barsTakeSpace)
{
    ViewLayout out;
    out.viewWidth = frameWidth;
    out.viewHeight = frameHeight;
    if (pictureWidth > out.viewWidth) {
        out.horizontal.visible = true;
        if (barsTakeSpace) out.viewHeight = std::max(out.viewHeight - barThickness, 0);
        out.horizontal.maximum = pictureWidth - out.viewWidth;
    } else {
        out.offsetX = (out.viewWidth - pictureWidth) / 2;
    }
    if (pictureHeight > out.viewHeight) {
        out.vertical.visible = true;
        if (barsTakeSpace) out.viewWidth = std::max(out.viewWidth - barThickness, 0);
        out.vertical.maximum = pictureHeight - out.viewHeight;
    } else {
        out.offsetY = (out.viewHeight - pictureHeight) / 2;
    }
    return out;
}

}  // namespace lt77::viewer
