#include <gtest/gtest.h>

#include <QListWidget>
#include <utility>
#include <vector>

#include "controls/drop_list.h"
#include "controls/drop_list_button.h"
#include "controls/drop_list_popup.h"
#include "focus_check.h"
#include "skin/skin_ids.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

using Choice = std::pair<int, int>;  // list id, index

struct SourceSelector : ::testing::Test {
    DropListButton selector;
    std::vector<Choice> chosen;

    void SetUp() override {
        selector.set_images(skin::kStripSelector, skin::kStripSelectorHover);
        ASSERT_TRUE(selector.attach(1009));
        for (const char* item : {"DANTE", "AUX1", "AUX2", "AUX3", "AUX4"})
            selector.add_item(QString::fromLatin1(item));
        selector.select(0);
        QObject::connect(&selector, &DropListButton::selected,
                         [this](int id, int index) { chosen.emplace_back(id, index); });
    }
    void TearDown() override {
        if (selector.popup_visible())
            selector.popup()->hide();
    }
};

TEST_F(SourceSelector, TakesTheImageSize) {
    EXPECT_EQ(selector.size(), QSize(100, 24));
}

TEST_F(SourceSelector, SelectClampsAndDoesNotNotify) {
    selector.select(-1);
    EXPECT_EQ(selector.current_index(), 0);
    EXPECT_EQ(selector.text(), QStringLiteral("DANTE"));
    selector.select(99);
    EXPECT_EQ(selector.current_index(), 4);
    EXPECT_EQ(selector.text(), QStringLiteral("AUX4"));
    selector.select(2);
    EXPECT_EQ(selector.text(), QStringLiteral("AUX2"));
    EXPECT_TRUE(chosen.empty());
}

TEST_F(SourceSelector, WholeNotchStepsOneItemAndNotifies) {
    synthetic::wheel(&selector, -120);  // towards the user: next item
    EXPECT_EQ(selector.current_index(), 1);
    synthetic::wheel(&selector, 120);
    EXPECT_EQ(selector.current_index(), 0);
    EXPECT_EQ(chosen, (std::vector<Choice>{{1009, 1}, {1009, 0}}));
    EXPECT_EQ(selector.wheel_accumulator(), 0);
}

TEST_F(SourceSelector, HalfNotchesStepOnTheSecond) {
    synthetic::wheel(&selector, -60);
    EXPECT_EQ(selector.current_index(), 0);
    EXPECT_TRUE(chosen.empty());
    synthetic::wheel(&selector, -60);
    EXPECT_EQ(selector.current_index(), 1);
    EXPECT_EQ(chosen, (std::vector<Choice>{{1009, 1}}));
}

TEST_F(SourceSelector, OppositeHalfNotchesCancel) {
    synthetic::wheel(&selector, -60);
    synthetic::wheel(&selector, 60);
    synthetic::wheel(&selector, -60);
    EXPECT_EQ(selector.current_index(), 0);
    EXPECT_TRUE(chosen.empty());
}

TEST_F(SourceSelector, WheelNeverWrapsAtEitherEnd) {
    synthetic::wheel(&selector, 120);  // before the first item
    EXPECT_EQ(selector.current_index(), 0);
    selector.select(4);
    synthetic::wheel(&selector, -240);  // a fast flick counts as one notch at most
    EXPECT_EQ(selector.current_index(), 4);
    EXPECT_EQ(selector.wheel_accumulator(), 0);
}

TEST_F(SourceSelector, PressOpensThePopupUnderTheButton) {
    synthetic::press(&selector, {10, 10});
    ASSERT_TRUE(selector.popup_visible());
    QRect popup = selector.popup_rect();
    EXPECT_EQ(popup.topLeft(), selector.mapToGlobal(QPoint(0, 23)));
    EXPECT_EQ(popup.size(), QSize(100, 5 * 40 + 1));
    EXPECT_EQ(selector.popup()->geometry(), popup);
}

TEST(DropListButton, LongListsDropAtMostTheMaximumHeight) {
    DropListButton gain;
    gain.set_images(skin::kStripSelector, skin::kStripSelectorHover);
    gain.attach(1010);
    EXPECT_EQ(gain.drop_height(), 15 * 40);  // empty list
    for (int n = 0; n <= 40; ++n)
        gain.add_item(QStringLiteral("G:%1 dB").arg(n));
    EXPECT_EQ(gain.drop_height(), 15 * 40);
}

TEST(DropListButton, ShortScreensDropFewerWholeRows) {
    DropListButton gain;
    gain.attach(1010);
    for (int n = 0; n <= 40; ++n)
        gain.add_item(QStringLiteral("G:%1 dB").arg(n));
    EXPECT_EQ(gain.drop_height(1000), 15 * 40);
    EXPECT_EQ(gain.drop_height(300), 7 * 40);
    EXPECT_EQ(gain.drop_height(10), 40);  // one row even where none fits
    DropListButton few;
    few.attach(1009);
    for (int n = 0; n < 3; ++n)
        few.add_item(QStringLiteral("AUX%1").arg(n));
    EXPECT_EQ(few.drop_height(1000), 3 * 40);
}

// A gain selector of 41 items, opened from the keyboard.
struct GainSelector : ::testing::Test {
    DropListButton selector;
    std::vector<Choice> chosen;

    void SetUp() override {
        selector.set_images(skin::kStripSelector, skin::kStripSelectorHover);
        ASSERT_TRUE(selector.attach(1010));
        for (int n = 0; n <= 40; ++n)
            selector.add_item(QStringLiteral("G:%1 dB").arg(n));
        selector.select(3);
        QObject::connect(&selector, &DropListButton::selected,
                         [this](int id, int index) { chosen.emplace_back(id, index); });
    }
    void TearDown() override {
        if (selector.popup_visible())
            selector.popup()->hide();
    }
    DropList* list() { return selector.popup()->list(); }
    void key(int k) { synthetic::key(list(), k); }
    bool in_view(int row) {
        QRect r = list()->visualItemRect(list()->item(row));
        return r.top() >= 0 && r.bottom() <= list()->viewport()->rect().bottom();
    }
};

TEST_F(GainSelector, EnterOrSpaceOnTheButtonOpensTheList) {
    synthetic::key(&selector, Qt::Key_Return);
    ASSERT_TRUE(selector.popup_visible());
    EXPECT_EQ(list()->currentRow(), 3);
    selector.popup()->hide();
    synthetic::key(&selector, Qt::Key_Space);
    EXPECT_TRUE(selector.popup_visible());
    EXPECT_TRUE(chosen.empty());
}

TEST_F(GainSelector, ArrowsMoveFromTheCurrentItemAndEnterPicksIt) {
    synthetic::key(&selector, Qt::Key_Return);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    EXPECT_EQ(list()->currentRow(), 5);
    EXPECT_TRUE(chosen.empty());  // browsing sends nothing
    key(Qt::Key_Return);
    EXPECT_FALSE(selector.popup_visible());
    EXPECT_EQ(chosen, (std::vector<Choice>{{1010, 5}}));
    EXPECT_EQ(selector.text(), QStringLiteral("G:5 dB"));
}

TEST_F(GainSelector, PageKeysMoveByTheRowsInViewAndHomeEndGoToTheEnds) {
    synthetic::key(&selector, Qt::Key_Return);
    ASSERT_EQ(list()->viewport()->height() / 40, 15);
    key(Qt::Key_PageDown);
    EXPECT_EQ(list()->currentRow(), 18);
    key(Qt::Key_PageDown);
    key(Qt::Key_PageDown);  // stops at the last item
    EXPECT_EQ(list()->currentRow(), 40);
    key(Qt::Key_PageUp);
    EXPECT_EQ(list()->currentRow(), 25);
    key(Qt::Key_Home);
    EXPECT_EQ(list()->currentRow(), 0);
    key(Qt::Key_Up);  // no wrap
    EXPECT_EQ(list()->currentRow(), 0);
    key(Qt::Key_End);
    EXPECT_EQ(list()->currentRow(), 40);
    key(Qt::Key_Down);
    EXPECT_EQ(list()->currentRow(), 40);
    EXPECT_TRUE(in_view(40));
    key(Qt::Key_Escape);
    EXPECT_FALSE(selector.popup_visible());
    EXPECT_EQ(selector.current_index(), 3);
    EXPECT_TRUE(chosen.empty());
}

TEST_F(GainSelector, FocusedSelectorDrawsTheRing) {
    synthetic::expect_focus_ring(&selector);
}

TEST_F(GainSelector, OpensWithTheCurrentItemInView) {
    selector.select(33);
    synthetic::key(&selector, Qt::Key_Return);
    ASSERT_TRUE(selector.popup_visible());
    EXPECT_TRUE(in_view(33));
}

TEST_F(SourceSelector, ChoosingAnItemClosesAndNotifies) {
    synthetic::press(&selector, {10, 10});
    DropList* list = selector.popup()->list();
    QPoint third = list->visualItemRect(list->item(2)).center();
    synthetic::mouse(list->viewport(), QEvent::MouseMove, third, Qt::NoButton);
    synthetic::press(list->viewport(), third);
    synthetic::release(list->viewport(), third);
    EXPECT_FALSE(selector.popup_visible());
    EXPECT_EQ(chosen, (std::vector<Choice>{{1009, 2}}));
    EXPECT_EQ(selector.current_index(), 2);
    EXPECT_EQ(selector.text(), QStringLiteral("AUX2"));
    EXPECT_TRUE(selector.hover());
}

TEST_F(SourceSelector, PressOutsideTheOpenPopupClosesWithoutChange) {
    selector.select(1);
    synthetic::press(&selector, {10, 10});
    DropList* list = selector.popup()->list();
    list->setCurrentRow(3);  // the mouse passed over another row
    synthetic::press(selector.popup(), {-20, -20});
    EXPECT_FALSE(selector.popup_visible());
    EXPECT_EQ(selector.current_index(), 1);
    EXPECT_EQ(selector.text(), QStringLiteral("AUX1"));
    EXPECT_TRUE(chosen.empty());
}

TEST_F(SourceSelector, EscapeClosesWithoutChange) {
    synthetic::press(&selector, {10, 10});
    selector.popup()->list()->setCurrentRow(4);
    synthetic::key(selector.popup()->list(), Qt::Key_Escape);
    EXPECT_FALSE(selector.popup_visible());
    EXPECT_EQ(selector.current_index(), 0);
    EXPECT_TRUE(chosen.empty());
}

TEST_F(SourceSelector, HoverFollowsEnterAndLeave) {
    synthetic::enter(&selector);
    EXPECT_TRUE(selector.hover());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&selector, &leave);
    EXPECT_FALSE(selector.hover());
}

TEST_F(SourceSelector, CaptionLeavesRoomForTheArrow) {
    EXPECT_EQ(selector.caption_rect(), QRect(5, 0, 75, 24));
    selector.set_multi_line(true);
    EXPECT_EQ(selector.caption_rect(), QRect(0, 4, 100, 20));
}

}  // namespace
}  // namespace kestra
