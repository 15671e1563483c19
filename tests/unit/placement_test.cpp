#include <gtest/gtest.h>

#include "dialogs/placement.h"

namespace plivex {
namespace {

constexpr ScreenSize kXga{1024, 768};

TEST(Placement, BesideIsClampedInsideTheScreen) {
    EXPECT_EQ(ClampToScreen({-20, 30}, 585, 433, kXga), (Point{0, 30}));
    EXPECT_EQ(ClampToScreen({900, 700}, 585, 433, kXga), (Point{439, 335}));
    EXPECT_EQ(ClampToScreen({100, -5}, 361, 249, kXga), (Point{100, 0}));
    EXPECT_EQ(ClampToScreen({439, 335}, 585, 433, kXga), (Point{439, 335}));  // exactly fitting stays
    // Larger than the screen: the right and bottom clamps win, leaving negative values.
    EXPECT_EQ(ClampToScreen({50, 50}, 1100, 800, kXga), (Point{-76, -32}));
}

TEST(Placement, CentreTruncatesTowardZero) {
    EXPECT_EQ(CenterOnScreen(361, 249, kXga), (Point{331, 259}));
    EXPECT_EQ(CenterOnScreen(801, 100, {800, 600}).left, 0);    // -1/2 truncates to 0
    EXPECT_EQ(CenterOnScreen(803, 100, {800, 600}).left, -1);   // -3/2 truncates to -1
}

TEST(Placement, DlgPosChoosesTheRule) {
    EXPECT_EQ(PlaceFormPosition(kDialogsCentred, {10, 10}, 353, 206, kXga), (Point{335, 281}));
    EXPECT_EQ(PlaceFormPosition(kDialogsBesideOpener, {900, -40}, 353, 206, kXga), (Point{671, 0}));
    EXPECT_FALSE(PlaceFormPosition(5, {10, 10}, 353, 206, kXga));
    EXPECT_FALSE(PlaceFormPosition(-1, {10, 10}, 353, 206, kXga));
}

// A window closed while minimised saves where it will be restored to; the
// system gives that from the work area's corner, the next start reads screen pixels.
TEST(Placement, WorkspacePositionsBecomeScreenPositions) {
    // Taskbar 40 px high at the top, and 60 px wide at the left.
    EXPECT_EQ(WorkspaceToScreen({100, 200}, {0, 0}, {0, 40}), (Point{100, 240}));
    EXPECT_EQ(WorkspaceToScreen({100, 200}, {0, 0}, {60, 0}), (Point{160, 200}));
    // A second monitor left of the primary one, its taskbar at the top.
    EXPECT_EQ(WorkspaceToScreen({-1800, 10}, {-1920, 0}, {-1920, 30}), (Point{-1800, 40}));
    // Taskbar at the bottom or right: nothing moves.
    EXPECT_EQ(WorkspaceToScreen({100, 200}, {0, 0}, {0, 0}), (Point{100, 200}));
}

}  // namespace
}  // namespace plivex
