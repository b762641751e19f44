#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ScreenFit.h"

namespace sw {
namespace {

const QRect kLaptop(0, 0, 1920, 1050);
// The same panel at twice the scale: half as many logical pixels.
const QRect kLaptopAtTwice(0, 0, 960, 525);
const QRect kRightMonitor(1920, 0, 2560, 1410);
const QRect kLeftMonitor(-1280, 100, 1280, 984);

struct KeepCase {
    std::string name;
    std::vector<QRect> screens;
    QRect saved;
    QRect expected;
};

class KeepOnScreens : public ::testing::TestWithParam<KeepCase> {};

TEST_P(KeepOnScreens, MovesOnlyFramesThatAreNotWholeOnAScreen) {
    const KeepCase& c = GetParam();
    const QRect kept = KeepFrameOnScreens(c.saved, c.screens);
    EXPECT_EQ(kept, c.expected);
    // Whatever came in, a frame that was moved lies whole on one screen.
    if (kept != c.saved) {
        bool whole = false;
        for (const QRect& screen : c.screens) {
            whole = whole || screen.contains(kept);
        }
        EXPECT_TRUE(whole);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, KeepOnScreens,
    ::testing::Values(
        KeepCase{"WholeOnTheScreenStays", {kLaptop}, {100, 80, 800, 600}, {100, 80, 800, 600}},
        KeepCase{"FillingTheScreenExactlyStays", {kLaptop}, kLaptop, kLaptop},
        KeepCase{"OffToTheRight", {kLaptop}, {5000, 200, 700, 500}, {1220, 200, 700, 500}},
        KeepCase{"OffAboveAndToTheLeft", {kLaptop}, {-900, -700, 700, 500}, {0, 0, 700, 500}},
        KeepCase{"SavedAtOneScaleOpenedAtTwice", {kLaptopAtTwice}, {1100, 400, 700, 500}, {260, 25, 700, 500}},
        KeepCase{"BiggerThanTheScaledScreen", {kLaptopAtTwice}, {0, 0, 1800, 1000}, {0, 0, 960, 525}},
        KeepCase{"OnARemovedSecondMonitor", {kLaptop}, {2500, 300, 1200, 900}, {720, 150, 1200, 900}},
        KeepCase{"OnTheSecondMonitorWhileItIsThere", {kLaptop, kRightMonitor}, {2500, 300, 1200, 900},
                 {2500, 300, 1200, 900}},
        KeepCase{"OnAMonitorLeftOfTheMain", {kLeftMonitor, kLaptop}, {-1000, 200, 600, 400},
                 {-1000, 200, 600, 400}},
        KeepCase{"BiggerThanTheScreen", {kLaptop}, {-40, -30, 2500, 1400}, {0, 0, 1920, 1050}},
        KeepCase{"PartlyOffTheBottomRight", {kLaptop}, {1500, 900, 800, 600}, {1120, 450, 800, 600}},
        KeepCase{"TitleBarAboveTheScreen", {kLaptop}, {300, -20, 800, 600}, {300, 0, 800, 600}},
        KeepCase{"AcrossTwoMonitorsGoesToTheOneHoldingMost", {kLaptop, kRightMonitor},
                 {1700, 100, 1000, 600}, {1920, 100, 1000, 600}},
        KeepCase{"BelowBothMonitorsGoesToTheNearest", {kLaptop, kRightMonitor}, {3000, 2000, 400, 300},
                 {3000, 1110, 400, 300}},
        KeepCase{"NoScreensKnown", {}, {5000, 5000, 400, 300}, {5000, 5000, 400, 300}}),
    [](const ::testing::TestParamInfo<KeepCase>& param) { return param.param.name; });

TEST(NearestScreen, OverlapWinsOverDistanceAndNothingGivesMinusOne) {
    EXPECT_EQ(NearestScreen({1900, 0, 200, 100}, {kLaptop, kRightMonitor}), 1);
    EXPECT_EQ(NearestScreen({1800, 0, 200, 100}, {kLaptop, kRightMonitor}), 0);
    EXPECT_EQ(NearestScreen({-5000, 0, 200, 100}, {kLaptop, kRightMonitor}), 0);
    EXPECT_EQ(NearestScreen({9000, 0, 200, 100}, {kLaptop, kRightMonitor}), 1);
    EXPECT_EQ(NearestScreen({0, 0, 10, 10}, {}), -1);
}

struct CascadeCase {
    std::string name;
    std::vector<QRect> screens;
    QRect main;
    QSize window;
    std::vector<QRect> expected;  // for index 0, 1, ...
};

class FirstOpenCascade : public ::testing::TestWithParam<CascadeCase> {};

TEST_P(FirstOpenCascade, StaysOffTheMainWindowWhileThereIsRoom) {
    const CascadeCase& c = GetParam();
    for (int index = 0; index < static_cast<int>(c.expected.size()); ++index) {
        const QRect frame = CascadeFrame(c.main, c.window, index, c.screens);
        EXPECT_EQ(frame, c.expected[static_cast<std::size_t>(index)]) << "window " << index;
        bool whole = false;
        for (const QRect& screen : c.screens) {
            whole = whole || screen.contains(frame);
        }
        EXPECT_TRUE(whole) << "window " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FirstOpenCascade,
    ::testing::Values(
        CascadeCase{"BelowTheMainWindowStepByStep",
                    {kLaptop},
                    {100, 0, 500, 150},
                    {700, 500},
                    {{100, 150, 700, 500}, {132, 182, 700, 500}, {164, 214, 700, 500}}},
        CascadeCase{"RightOfATallMainWindow",
                    {kLaptop},
                    {0, 0, 600, 900},
                    {700, 500},
                    {{600, 0, 700, 500}, {632, 32, 700, 500}}},
        CascadeCase{"LeftOfAMainWindowAtTheRightEdge",
                    {kLaptop},
                    {1320, 0, 600, 900},
                    {700, 500},
                    {{620, 0, 700, 500}, {588, 32, 700, 500}}},
        CascadeCase{"OverTheMainWindowWhenNoSideHasRoom",
                    {kLaptopAtTwice},
                    {100, 50, 700, 450},
                    {800, 500},
                    {{132, 25, 800, 500}, {160, 25, 800, 500}}},
        CascadeCase{"OnTheScreenOfTheMainWindow",
                    {kLaptop, kRightMonitor},
                    {2000, 100, 500, 150},
                    {700, 500},
                    {{2000, 250, 700, 500}}},
        CascadeCase{"TheCascadeStartsAgainAfterEightWindows",
                    {kLaptop},
                    {100, 0, 500, 150},
                    {700, 500},
                    {{100, 150, 700, 500}, {132, 182, 700, 500}, {164, 214, 700, 500}, {196, 246, 700, 500},
                     {228, 278, 700, 500}, {260, 310, 700, 500}, {292, 342, 700, 500}, {324, 374, 700, 500},
                     {100, 150, 700, 500}}}),
    [](const ::testing::TestParamInfo<CascadeCase>& param) { return param.param.name; });

}  // namespace
}  // namespace sw
