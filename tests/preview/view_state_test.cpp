#include "preview/view_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace lt77::viewer {
namespace {

TEST(Zoom, StepsOfThreeTenthsStopAtTheirBounds)
{
    Zoom in;
    std::vector<int> seen;
    while (in.CanZoomIn()) {
        in.In();
        seen.push_back(in.Tenths());
    }
    EXPECT_EQ(seen, (std::vector<int>{10, 7, 4, 3}));
    EXPECT_TRUE(in.CanZoomOut());

    Zoom out;
    seen.clear();
    while (out.CanZoomOut()) {
        out.Out();
        seen.push_back(out.Tenths());
    }
    EXPECT_EQ(seen, (std::vector<int>{16, 19, 22, 25, 28, 30}));
    EXPECT_TRUE(out.CanZoomIn());
}

TEST(ScrollAxis, StepsClampToTheRangeAndTheWheelNeedsAVisibleBar)
{
    const struct {
        const char* name;
        ScrollSteps steps;
        ScrollAxis start;
        ScrollAction action;
        int thumb;
        int position;
    } cases[] = {
        {"preview line forward", kPreviewSteps, {true, 0, 100}, ScrollAction::LineForward, 0, 20},
        {"journal line forward", kJournalSteps, {true, 0, 100}, ScrollAction::LineForward, 0, 5},
        {"page forward past the end", kPreviewSteps, {true, 80, 100}, ScrollAction::PageForward, 0, 100},
        {"page back past 0", kJournalSteps, {true, 30, 100}, ScrollAction::PageBack, 0, 0},
        {"thumb beyond the range", kPreviewSteps, {true, 0, 100}, ScrollAction::Thumb, 250, 100},
        {"wheel back scrolls down", kPreviewSteps, {true, 10, 100}, ScrollAction::WheelBack, 0, 60},
        {"wheel forward scrolls up", kPreviewSteps, {true, 70, 100}, ScrollAction::WheelForward, 0, 20},
        {"wheel without the bar", kPreviewSteps, {false, 0, 0}, ScrollAction::WheelBack, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollAxis axis = c.start;
        axis.Apply(c.action, c.steps, c.thumb);
        EXPECT_EQ(axis.position, c.position);
    }
}

TEST(ViewLayout, BarsForWhatDoesNotFitAndCentringForWhatDoes)
{
    // The sample receipt (608 x 1040) in a frame of 640 x 400 with 17-dot bars.
    const ViewLayout tall = LayoutView(608, 1040, 640, 400, 17, true);
    EXPECT_FALSE(tall.horizontal.visible);
    EXPECT_EQ(tall.offsetX, 16);
    EXPECT_TRUE(tall.vertical.visible);
    EXPECT_EQ(tall.vertical.maximum, 640);
    EXPECT_EQ(tall.viewWidth, 623);

    // Wider than the frame: the horizontal bar takes its height from the view
    // before the height is measured.
    const ViewLayout wide = LayoutView(608, 390, 500, 400, 17, true);
    EXPECT_TRUE(wide.horizontal.visible);
    EXPECT_EQ(wide.horizontal.maximum, 108);
    EXPECT_EQ(wide.viewHeight, 383);
    EXPECT_TRUE(wide.vertical.visible);
    EXPECT_EQ(wide.vertical.maximum, 7);

    // The journal viewer's bars lie beside the picture control.
    const ViewLayout journal = LayoutView(576, 390, 500, 400, 17, false);
    EXPECT_EQ(journal.horizontal.maximum, 76);
    EXPECT_FALSE(journal.vertical.visible);
    EXPECT_EQ(journal.offsetY, 5);
}

}  // namespace
}  // namespace lt77::viewer
