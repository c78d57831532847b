// What a viewer's picture frame shows: the zoom factor of the preview
// program, the two scroll bars and the placement of the picture in the frame.
// Plain values, so that the windows only draw what these say.
#pragma once

#include <cstdint>

namespace lt77::viewer {

// The preview's factor f in tenths: the source rectangle drawn into the
// frame is the frame's size times f, so a factor below 1 magnifies. Starts
// at 1.3; "+" takes 0.3 off down to 0.3, "-" adds 0.3 up to 3.0. Tenths keep
// the steps exact (1.3 - 0.3 - 0.3 - 0.3 is 0.4, not 0.39999).
class Zoom {
public:
    int Tenths() const { return tenths_; }
    void In() { tenths_ = tenths_ - 3 <= kMinTenths ? kMinTenths : tenths_ - 3; }
    void Out() { tenths_ = tenths_ + 3 >= kMaxTenths ? kMaxTenths : tenths_ + 3; }
    bool CanZoomIn() const { return tenths_ > kMinTenths; }
    bool CanZoomOut() const { return tenths_ < kMaxTenths; }

    static constexpr int kStartTenths = 13;
    static constexpr int kMinTenths = 3;
    static constexpr int kMaxTenths = 30;

private:
    int tenths_ = kStartTenths;
};

enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, WheelForward, WheelBack };

struct ScrollSteps {
    int line = 0;
    int page = 50;
    int wheel = 50;
};
inline constexpr ScrollSteps kPreviewSteps{20, 50, 50};
inline constexpr ScrollSteps kJournalSteps{5, 50, 0};

struct ScrollAxis {
    bool visible = false;
    int position = 0;
    int maximum = 0;

    // Moves as the action says and clamps into 0 ... maximum. The wheel only
    // moves a visible bar: forward scrolls up (back towards 0).
    void Apply(ScrollAction action, const ScrollSteps& steps, int thumb = 0);
};

struct ViewLayout {
    int viewWidth = 0;  // the part of the frame the picture is drawn into
    int viewHeight = 0;
    int offsetX = 0;  // where a picture smaller than the view starts
    int offsetY = 0;
    ScrollAxis horizontal;
    ScrollAxis vertical;
};

// A picture wider than the frame shows the horizontal bar, whose range is
// the excess width; a narrower one is centred. Likewise for the height.
// `barsTakeSpace`: the preview program's frame loses a bar's thickness to
// each bar it shows (the view shrinks before the other direction is
// measured); the journal viewer's bars lie beside its picture control.
ViewLayout LayoutView(int pictureWidth, int pictureHeight, int frameWidth, int frameHeight, int barThickness,
                      bool barsTakeSpace);

}  // namespace lt77::viewer
