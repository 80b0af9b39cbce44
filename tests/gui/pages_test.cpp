#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "controls/drop_list_button.h"
#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "operator/operator_actions.h"
#include "pages/group_buttons.h"
#include "pages/groups_page.h"
#include "pages/mode_page.h"
#include "pages/routing_page.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

using RecordingSink = testing::RecordingFrames;
using RecordingNotices = testing::RecordingNotices;

// The pages and the group buttons over a bare state, online, recording what they send.
class PagesTest : public ::testing::Test {
protected:
    PagesTest() : surface(state, changes, sink, notices, answers, clock) {
        canvas.resize(1600, 1000);
        mode = new ModePage(surface, &canvas);
        groups = new GroupsPage(surface, &canvas);
        for (size_t g = 0; g < buttons[0].size(); ++g) {
            for (auto& kind : buttons) {
                kind[g] = new PngButton(&canvas);
            }
        }
        group_buttons = std::make_unique<GroupButtons>(surface, buttons[0], buttons[1], nullptr);
        canvas.show();
        state.system.connected = 1;
    }
    template <class W>
    W* child(QWidget* page, const char* path) {
        W* w = page->findChild<W*>(QString::fromLatin1(path));
        EXPECT_NE(w, nullptr) << path;
        return w;
    }
    static void click(QWidget* w) {
        synthetic::press(w, w->rect().center());
        synthetic::release(w, w->rect().center());
    }
    static void settle() { QCoreApplication::processEvents(); }

    DeviceState state;
    Publisher<StateChange> changes;
    RecordingSink sink;
    RecordingNotices notices;
    AlwaysOk answers;
    ManualClock clock;
    OperatorActions surface;
    QWidget canvas;
    ModePage* mode = nullptr;
    GroupsPage* groups = nullptr;
    std::array<std::array<PngButton*, kGroupCount>, 2> buttons{};  // mute, control
    std::unique_ptr<GroupButtons> group_buttons;
};

TEST_F(PagesTest, ModePageFollowsChangesMadeElsewhereOnlyWhileShown) {
    mode->show();
    auto* ch5 = child<DropListButton>(mode, "mode.ch5.threshold");
    surface.commit_field(FieldTarget::Input, 4, *FieldPath::parse("automix_threshold"), 35);
    settle();
    EXPECT_EQ(ch5->current_index(), 35);
    EXPECT_EQ(sink.frames.size(), 1u);

    // A hold time of 0 names no item: the selector keeps its last one on the next show.
    auto* hold = child<DropListButton>(mode, "mode.hold");
    surface.automix.choose_setting(AutomixList::HoldTime, 9);
    settle();
    EXPECT_EQ(hold->current_index(), 9);
    mode->hide();
    state.system.automix_cfg[2] = 0;
    state.inputs[4].automix_threshold = 80;
    changes.publish({StateChange::Scope::Everything, -1, StateChange::Block::All});
    settle();
    EXPECT_EQ(ch5->current_index(), 35);  // hidden pages load when shown
    mode->show();
    EXPECT_EQ(ch5->current_index(), 80);
    EXPECT_EQ(hold->current_index(), 9);
}

TEST_F(PagesTest, GroupButtonsAreLitFromTheStateAndMuteButtonsAreOneSet) {
    surface.groups.set_control_active(2, true);  // as kestra-ctl or a recall would
    EXPECT_TRUE(buttons[1][2]->lit());
    click(buttons[1][2]);
    EXPECT_FALSE(buttons[1][2]->lit());
    EXPECT_EQ(state.groups.control_active[2], 0);

    state.groups.mute[0].input_member[6] = 1;
    state.groups.mute[1].input_member[7] = 1;
    click(buttons[0][0]);
    click(buttons[0][1]);
    EXPECT_FALSE(buttons[0][0]->lit());
    EXPECT_TRUE(buttons[0][1]->lit());
    EXPECT_EQ(state.inputs[6].mute, 0);
    EXPECT_EQ(state.inputs[7].mute, 1);
}

TEST_F(PagesTest, GroupNameBoxStoresOnLeavingAndPutsBackARefusedName) {
    groups->show();
    groups->show_page();
    auto* name = child<EntryEdit>(groups, "groups.name");
    ASSERT_TRUE(name->isEnabled());
    name->setText(QStringLiteral("Front row"));
    click(child<PngButton>(groups, "groups.control.2"));  // selecting another group keeps it
    EXPECT_EQ(state.groups.control[0].name.str(), "Front row");
    EXPECT_TRUE(name->text().isEmpty());

    name->setText(QStringLiteral("ABCDEFGHIJKLMNOP"));
    synthetic::key(name, Qt::Key_Return);
    EXPECT_EQ(notices.texts, std::vector<std::string>{GroupActions::kNameTooWide});
    EXPECT_TRUE(name->text().isEmpty());
    click(child<PngButton>(groups, "groups.control.2"));  // deselected: nothing to name
    EXPECT_FALSE(name->isEnabled());
    EXPECT_TRUE(sink.frames.empty());
}

// Typing as the keyboard does: each key carries its character.
void type_text(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &down);
    }
}

TEST_F(PagesTest, AGroupNameBeingTypedOutlivesReportsUntilEnterStoresIt) {
    groups->show();
    groups->show_page();
    auto* name = child<EntryEdit>(groups, "groups.name");
    QApplication::setActiveWindow(&canvas);
    name->setFocus();
    settle();
    ASSERT_TRUE(name->hasFocus());
    type_text(name, QStringLiteral("STAGE"));
    // Fader reports, a connect reply and a membership change elsewhere, while typing.
    for (int i = 0; i < 3; ++i) {
        changes.publish({StateChange::Scope::Everything, StateChange::kEvery,
                         StateChange::Block::Strip, ChangeOrigin::ProcessorReport});
        settle();
    }
    changes.publish({StateChange::Scope::System, StateChange::kEvery,
                     StateChange::Block::Connection, ChangeOrigin::ProcessorReport});
    changes.publish(
        {StateChange::Scope::Groups, 1, StateChange::Block::Membership, ChangeOrigin::Recall});
    settle();
    EXPECT_EQ(name->text(), QStringLiteral("STAGE"));
    synthetic::key(name, Qt::Key_Return);
    EXPECT_EQ(state.groups.control[0].name.str(), "STAGE");
    click(child<PngButton>(groups, "groups.control.2"));
    click(child<PngButton>(groups, "groups.control.1"));
    EXPECT_EQ(name->text(), QStringLiteral("STAGE"));
}

TEST_F(PagesTest, AfterAWholeStateReadTheNextPageSwitchSelectsControlOne) {
    groups->show();
    groups->show_page();
    auto* control1 = child<PngButton>(groups, "groups.control.1");
    auto* name = child<EntryEdit>(groups, "groups.name");
    ASSERT_TRUE(control1->lit());
    groups->hide();
    // A connect's read while another page is shown.
    state.groups.control[0].name.assign("PODIUM");
    changes.publish({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All,
                     ChangeOrigin::FullStateRead});
    settle();
    groups->show();
    groups->show_page();
    EXPECT_TRUE(control1->lit());
    EXPECT_TRUE(name->isEnabled());
    EXPECT_EQ(name->text(), QStringLiteral("PODIUM"));

    // A disabled box is drawn greyed, not in the colours of one that takes typing.
    click(control1);
    ASSERT_FALSE(name->isEnabled());
    EXPECT_NE(name->palette().color(QPalette::Disabled, QPalette::Base),
              name->palette().color(QPalette::Active, QPalette::Base));
    EXPECT_NE(name->palette().color(QPalette::Disabled, QPalette::Text),
              name->palette().color(QPalette::Active, QPalette::Text));
}

TEST(EntryEditLook, TextIsReadableOnTheBoxWithoutBeingSetAndWhenSet) {
    EntryEdit box;
    const auto contrast = [&box] {
        const QPalette p = box.palette();
        return std::abs(p.color(QPalette::Active, QPalette::Text).lightness() -
                        p.color(QPalette::Active, QPalette::Base).lightness());
    };
    EXPECT_GT(contrast(), 150);  // the default black box
    box.set_background_colour(Qt::white);
    box.set_text_colour(QColor(0x10, 0x12, 0x16));
    EXPECT_GT(contrast(), 150);
}

TEST_F(PagesTest, EachRoutingNameSitsUnderItsOwnCrosspointAndClearOfTheOthers) {
    auto* routing = new RoutingPage(surface, &canvas);
    routing->setGeometry(0, 0, 1200, 700);
    routing->show_channel(0);
    std::vector<QRect> taken;
    for (int k = 1; k <= RoutingActions::kRouteCount; ++k) {
        SCOPED_TRACE(k);
        const QString n = QString::number(k);
        auto* route = child<PngButton>(routing, ("editor.route.route." + n).toLatin1().data());
        auto* name = child<ValueLabel>(routing, ("editor.route.label." + n).toLatin1().data());
        ASSERT_TRUE(route && name);
        const QRect r = route->geometry();
        const QRect l = name->geometry();
        EXPECT_NEAR(l.center().x(), r.center().x(), 1);
        EXPECT_GE(l.top(), r.bottom());
        EXPECT_LE(l.top() - r.bottom(), 6) << "right under it";
        for (const QRect& other : taken) {
            EXPECT_FALSE(other.intersects(r) || other.intersects(l));
        }
        taken.push_back(r);
        taken.push_back(l);
    }
}

}  // namespace
}  // namespace kestra
