// The frame's normal rectangle, from which maximizing takes its geometry.
#include "wizard/frame_geometry.h"

#include <gtest/gtest.h>

namespace {

using wizard::FrameRect;
using wizard::NormalFrameRect;

TEST(FrameGeometry, AFrameThatIsNotMinimizedStandsWhereItIs)
{
    const FrameRect standing {150, 120, 650, 470};
    EXPECT_EQ(NormalFrameRect(false, standing, {90, 80, 590, 430}, 60, 40), standing);
}

TEST(FrameGeometry, AMinimizedFramesPlacementCountsFromTheWorkArea)
{
    const FrameRect icon {0, 728, 160, 752};
    // A task bar 40 pixels high at the top and 60 wide at the left: the
    // placement's (90, 80) is (150, 120) on the screen.
    EXPECT_EQ(NormalFrameRect(true, icon, {90, 80, 590, 430}, 60, 40), (FrameRect {150, 120, 650, 470}));
    // With the work area at the screen's origin both are the same.
    EXPECT_EQ(NormalFrameRect(true, icon, {150, 120, 650, 470}, 0, 0), (FrameRect {150, 120, 650, 470}));
}

}  // namespace
