#include <gtest/gtest.h>

#include "shell/main_layout.h"

namespace kestra {
namespace {

TEST(MainLayout, NarrowAndLowClientsKeepTheStripMinimums) {
    MainLayout layout;
    EXPECT_TRUE(layout.resize({1574, 919}));
    EXPECT_EQ(layout.strip_width(), 150);
    EXPECT_EQ(layout.strip_height(), 700);
    EXPECT_GE(layout.canvas_size().height(), layout.strip(0).bottom() + 1);
    EXPECT_TRUE(layout.resize({2100, 1000}));
    EXPECT_EQ(layout.strip_width(), 200);
    EXPECT_EQ(layout.strip_height(), 780);
    EXPECT_EQ(layout.strip(3), QRect(3 * 202, 200, 200, 780));
}

TEST(MainLayout, AnUnchangedStripSizeDoesNotLayOutAgain) {
    MainLayout layout;
    ASSERT_TRUE(layout.resize({1600, 1000}));
    EXPECT_FALSE(layout.resize({1605, 1000}));  // 1605 * 2 / 21 is still 152
    EXPECT_TRUE(layout.resize({1611, 1000}));
}

TEST(MainLayout, HeaderFollowsTheStripWidth) {
    MainLayout layout;
    layout.resize({2100, 1000});  // strip width 200
    EXPECT_EQ(layout.page_button(Page::System), QRect(400, 120, 200, 50));
    EXPECT_EQ(layout.bank_button(1).topLeft().x(), 310);
    EXPECT_EQ(layout.bank_button(10).x(), 300 + 845);
    EXPECT_EQ(layout.status_label(), QRect(1220, 60, 100, 30));
    EXPECT_EQ(layout.online_indicator(), QRect(1240, 10, 65, 45));
    EXPECT_EQ(layout.page_pane(), QRect(0, 200, 1818, 780));
    layout.select_page(Page::System);
    layout.select_bank(9);
    EXPECT_EQ(layout.page(), Page::Channel);
    EXPECT_THROW(layout.select_bank(11), std::invalid_argument);
}

}  // namespace
}  // namespace kestra
