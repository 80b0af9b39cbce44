#include "dsp/graph_interaction.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestra {
namespace {

class GraphInteractionTest : public ::testing::Test {
protected:
    GraphInteractionTest() {
        mouse.set_plot({20, 10, 480, 270});
        // Two band markers close together, then a filter marker that moves sideways only.
        mouse.set_markers({{100, 100}, {110, 105}, {300, 140}}, {false, false, true});
    }
    GraphInteraction mouse;
};

TEST_F(GraphInteractionTest, APressGrabsTheTopmostMarkerWithinItsBoxAndNothingOutside) {
    EXPECT_EQ(mouse.press({105, 102}), 1);  // both boxes hold it; the later one is on top
    mouse.release();
    EXPECT_EQ(mouse.press({84, 100}), 0);  // 16 px from the first, 26 from the second
    mouse.release();
    EXPECT_EQ(mouse.press({200, 200}), std::nullopt);
    EXPECT_EQ(mouse.move({250, 220}), std::nullopt);  // a drag of nothing moves nothing
    EXPECT_EQ(mouse.markers()[0], (GraphPoint{100, 100}));
}

TEST_F(GraphInteractionTest, ABandMarkerOnAFilterMarkerIsDrawnAboveAndGrabbedFirst) {
    // The first band marker moved onto the filter marker, a little right of it.
    mouse.set_markers({{310, 140}, {110, 105}, {300, 140}}, {false, false, true});
    EXPECT_EQ(mouse.stacking(), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(mouse.press({305, 140}), 0);
    EXPECT_EQ(mouse.stacking(), (std::vector<int>{2, 1, 0}));  // the held one on top
    mouse.release();
    EXPECT_EQ(mouse.press({286, 140}), 2);  // outside the band marker's box: the filter
}

TEST_F(GraphInteractionTest, ADragFollowsTheMouseWithinThePlotAndFiltersStayOnTheirLine) {
    ASSERT_EQ(mouse.press({88, 100}), 0);  // outside the second marker's box
    EXPECT_EQ(mouse.move({150, 60}), 0);
    EXPECT_EQ(mouse.markers()[0], (GraphPoint{150, 60}));
    mouse.move({900, -50});  // past the plot: held at its corner
    EXPECT_EQ(mouse.markers()[0], (GraphPoint{480, 10}));
    EXPECT_EQ(mouse.release(), 0);
    EXPECT_EQ(mouse.held(), std::nullopt);

    ASSERT_EQ(mouse.press({300, 140}), 2);
    mouse.move({350, 30});
    EXPECT_EQ(mouse.markers()[2], (GraphPoint{350, 140}));
}

TEST_F(GraphInteractionTest, TheHeldMarkerKeepsTheMousePositionWhenTheStateRedrawsTheOthers) {
    ASSERT_EQ(mouse.press({88, 100}), 0);
    mouse.move({140, 80});
    // The editor redraws from the state, which truncated the dragged value.
    mouse.set_markers({{139, 81}, {115, 90}, {300, 140}}, {false, false, true});
    EXPECT_EQ(mouse.markers()[0], (GraphPoint{140, 80}));
    EXPECT_EQ(mouse.markers()[1], (GraphPoint{115, 90}));
    mouse.release();
    mouse.set_markers({{139, 81}, {115, 90}, {300, 140}}, {false, false, true});
    EXPECT_EQ(mouse.markers()[0], (GraphPoint{139, 81}));
}

TEST_F(GraphInteractionTest, DrawModeStrokesInsteadOfGrabbing) {
    mouse.set_drawing(true);
    EXPECT_EQ(mouse.press({100, 100}), std::nullopt);  // over a marker, still a stroke
    EXPECT_TRUE(mouse.stroking());
    mouse.move({600, 300});
    EXPECT_EQ(mouse.stroke_point(), (GraphPoint{480, 270}));
    EXPECT_EQ(mouse.markers()[0], (GraphPoint{100, 100}));
    EXPECT_EQ(mouse.release(), std::nullopt);
    EXPECT_FALSE(mouse.stroking());
}

TEST(GraphInteractionValues, ADragStraightUpKeepsTheFrequencyAndOneSidewaysKeepsTheGain) {
    const GraphGeometry geometry(960, 540, kFrequencyAxis, kEqGainAxis);
    const GraphPoint band{1250, 0};
    const GraphPoint centre = geometry.marker_centre(band.x, band.y);
    GraphInteraction mouse;
    mouse.set_plot(geometry.plot());
    mouse.set_markers({centre});
    // The mouse sits on whole pixels, the marker between them.
    const GraphPoint grab{std::floor(centre.x) + 1, std::floor(centre.y)};
    ASSERT_EQ(mouse.press(grab), 0);
    mouse.move({grab.x, grab.y - 40});
    mouse.move({grab.x, grab.y - 80});
    GraphPoint v = mouse.held_value(geometry, band);
    EXPECT_EQ(v.x, 1250);
    EXPECT_GT(v.y, 3);
    ASSERT_EQ(mouse.release(), 0);
    EXPECT_EQ(mouse.held_value(geometry, band).x, 1250);  // the release reports the same

    mouse.set_markers({centre});  // redrawn from the state
    ASSERT_EQ(mouse.press({std::floor(centre.x), std::floor(centre.y)}), 0);
    mouse.move({std::floor(centre.x) + 120, std::floor(centre.y)});
    v = mouse.held_value(geometry, band);
    EXPECT_EQ(v.y, 0);
    EXPECT_GT(v.x, 1500);
    mouse.release();
}

}  // namespace
}  // namespace kestra
