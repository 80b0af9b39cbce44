#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "controller/console.h"
#include "controls/drop_list_button.h"
#include "controls/value_label.h"
#include "shell/connect_tab.h"
#include "shell/main_window.h"
#include "shell/operator_dialogs.h"
#include "shell/profile.h"
#include "shell/show_tab.h"
#include "skin/skin_palette.h"

namespace kestra {
namespace {

namespace fs = std::filesystem;

// The window over a controller whose socket is open towards a loopback port nobody answers,
// so that frames queue up as they would towards a processor.
// The fixture answers the window's notices and questions itself, as a script would.
class MainWindowTest : public ::testing::Test, public NoticeSink, public QuestionSink {
protected:
    MainWindowTest()
        : folder(fs::temp_directory_path() / ("kestra-window-" + std::to_string(::getpid()))),
          profile(folder.string()),
          controller(
              settings(), [](std::function<void()> f) { f(); }, dialogs, dialogs) {
        dialogs.divert(*this, *this);
        window = std::make_unique<MainWindow>(controller, profile, dialogs, std::nullopt);
        window->resize(1600, 1000);
        window->show();
    }
    ~MainWindowTest() override {
        window.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    static ConsoleSettings settings() {
        ConsoleSettings s;
        s.session.control_port = 0;
        s.session.device = *DeviceEndpoint::parse("127.0.0.9:43997");
        s.data_dir = (fs::temp_directory_path() / "kestra-test-data").string();  // the journal
        return s;
    }
    void notice(const std::string& text, const std::string&) override { notices.push_back(text); }
    bool ask(const std::string& text, const std::string&) override {
        questions.push_back(text);
        return answer;
    }
    void run_for(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end && !window->closed()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    fs::path folder;
    Profile profile;
    OperatorDialogs dialogs;
    Console controller;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> notices;
    std::vector<std::string> questions;
    bool answer = false;
};

TEST_F(MainWindowTest, ClosingDuringAWholeStateTransferAsksFirstAndCancelKeepsTheWindow) {
    ASSERT_TRUE(controller.session().connect());
    controller.state().system.connected = 1;  // as after a completed connect
    ASSERT_TRUE(controller.surface().full_state.start(FullStateWriter::kRecallNamePause));
    window->close();
    ASSERT_EQ(questions, std::vector<std::string>{MainWindow::kCloseQuestion});
    run_for(200);
    EXPECT_FALSE(window->closed());
    EXPECT_TRUE(controller.surface().full_state.running());

    answer = true;
    window->close();
    run_for(2500);
    EXPECT_TRUE(window->closed());
    EXPECT_FALSE(controller.surface().full_state.running());
    // The transfer was cut with a count of what it did not send.
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().rfind("The whole-state transfer was stopped: ", 0), 0u);
    EXPECT_TRUE(controller.session().port_released());
}

// Closing cuts the transfer and leaves the room half written: the journal keeps how far it got.
TEST_F(MainWindowTest, ClosingDuringASceneRecallLeavesAJournalLineOfTheCutTransfer) {
    ASSERT_TRUE(controller.session().connect());
    controller.state().system.connected = 1;
    SceneActions& scenes = controller.stores().scenes();
    const std::optional<SceneEntry> saved = scenes.save();
    ASSERT_TRUE(saved);
    answer = true;
    ASSERT_TRUE(scenes.recall(saved->id));
    ASSERT_TRUE(controller.surface().full_state.running());
    run_for(100);
    window->close();
    run_for(2500);
    ASSERT_TRUE(window->closed());
    const auto& lines = controller.journal().lines();
    ASSERT_FALSE(lines.empty());
    const std::string text = lines.back().text;
    EXPECT_TRUE(scenes.remove(saved->id));  // the data folder outlives the test
    EXPECT_EQ(text.rfind("Scene " + saved->text() + " recall stopped: ", 0), 0u) << text;
    EXPECT_NE(text.find(" of 662 commands written"), std::string::npos) << text;
    EXPECT_EQ(text.find("662 of 662"), std::string::npos) << text;
}

// After the whole write the SHOW tab tells the read-back while it runs, then its end.
TEST_F(MainWindowTest, TheShowTabTellsTheReadBackOfAWholeRecallAndItsResult) {
    auto* show = window->findChild<ShowTab*>();
    auto* text = window->findChild<ValueLabel*>(QStringLiteral("system.scene.progress.text"));
    ASSERT_NE(show, nullptr);
    ASSERT_NE(text, nullptr);
    show->refresh();  // as when the tab is shown
    ASSERT_TRUE(controller.session().connect());
    controller.state().system.connected = 1;
    SceneActions& scenes = controller.stores().scenes();
    const std::optional<SceneEntry> saved = scenes.save();
    ASSERT_TRUE(saved);
    answer = true;
    ASSERT_TRUE(scenes.recall(saved->id));
    EXPECT_TRUE(text->text().startsWith(QStringLiteral("Writing to the processor: ")))
        << text->text().toStdString();
    controller.surface().full_state.advance(0);  // every command has left
    EXPECT_EQ(text->text(), QStringLiteral("Reading back from the processor..."));

    // The processor answers the read with the scene, then completes the connection.
    controller.state().sanitize_after_bulk();
    controller.session().changes().publish({StateChange::Scope::Everything, StateChange::kEvery,
                                            StateChange::Block::All, ChangeOrigin::FullStateRead});
    controller.session().changes().publish({StateChange::Scope::System, StateChange::kEvery,
                                            StateChange::Block::Connection,
                                            ChangeOrigin::ProcessorReport});
    const std::string shown = text->text().toStdString();
    EXPECT_TRUE(scenes.remove(saved->id));  // the data folder outlives the test
    EXPECT_EQ(shown, "Scene " + saved->text() + " recall verified");
}

TEST_F(MainWindowTest, ClosingOfflineAsksNothingAndEndsAtOnce) {
    window->close();
    run_for(500);
    EXPECT_TRUE(window->closed());
    EXPECT_TRUE(questions.empty());
}

}  // namespace
}  // namespace kestra

namespace kestra {
namespace {

// Closing mid-write, the recovery, a delete: Enter alone must not say yes to any of them.
// A search while the connect attempt waits for the processor asks as while connected: Cancel
// keeps the attempt, OK ends it as DISCONNECT does before the sweep takes the port.
TEST_F(MainWindowTest, ASearchWhileConnectingAsksAndOkEndsTheAttempt) {
    window = std::make_unique<MainWindow>(controller, profile, dialogs,
                                          DeviceEndpoint::parse("127.0.0.1"));
    window->show();
    auto* search = window->findChild<QAbstractButton*>(QStringLiteral("system.search"));
    ASSERT_NE(search, nullptr);
    ASSERT_TRUE(controller.session().connect());
    ASSERT_EQ(controller.session().connection().phase(), ConnectionPhase::Connecting);

    search->click();
    EXPECT_EQ(questions, std::vector<std::string>{ConnectTab::kSearchQuestion});
    EXPECT_EQ(controller.session().connection().phase(), ConnectionPhase::Connecting);
    EXPECT_TRUE(controller.session().listening()) << "Cancel changes nothing";
    EXPECT_FALSE(controller.session().discovery().running());

    answer = true;
    search->click();
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(controller.session().connection().phase(), ConnectionPhase::Offline);
    EXPECT_TRUE(controller.session().connection().can_start_attempt());
    for (int i = 0; i < 50 && !controller.session().discovery().running(); ++i) {
        run_for(20);
    }
    EXPECT_TRUE(controller.session().discovery().running()) << "the sweep follows the close";
    controller.session().discovery().stop();
}

// The notches of one turn reach the selector as separate events with idle time between them;
// they are one step of the journal, which the next press ends.
TEST_F(MainWindowTest, OneTurnOfTheWheelOnASelectorIsOneJournalEntry) {
    auto* gain = window->findChild<DropListButton*>(QStringLiteral("strip.in1.gain"));
    ASSERT_NE(gain, nullptr);
    const int was = controller.state().input(0).gain_step;
    const std::size_t lines = controller.journal().lines().size();
    const std::size_t depth = controller.journal().undo_depth();
    const QPointF at(gain->width() / 2.0, gain->height() / 2.0);
    for (int notch = 0; notch < 3; ++notch) {
        QWheelEvent turn(at, gain->mapToGlobal(at), QPoint(),
                         QPoint(0, -DropListButton::kWheelNotch), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(gain, &turn);
        for (int k = 0; k < 3; ++k) {
            QCoreApplication::processEvents();  // the idle time a real turn has between notches
        }
    }
    ASSERT_EQ(controller.state().input(0).gain_step, was + 3);
    EXPECT_EQ(controller.journal().undo_depth(), depth) << "settled before the turn ended";

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), window->mapToGlobal(QPointF(1, 1)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &press);
    EXPECT_EQ(controller.journal().undo_depth(), depth + 1);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1),
                        window->mapToGlobal(QPointF(1, 1)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &release);
    ASSERT_EQ(controller.journal().lines().size(), lines + 1);
    ASSERT_TRUE(controller.journal().undo());
    EXPECT_EQ(controller.state().input(0).gain_step, was) << "one undo takes the whole turn back";
}

// The menu's entries read as the operator sees them: Qt's & marks a mnemonic letter, so the
// text with its & taken out is what shows.
TEST_F(MainWindowTest, TheAboutEntryShowsNoMnemonicMarkup) {
    auto* menu_button = window->findChild<QWidget*>(QStringLiteral("menu"));
    ASSERT_NE(menu_button, nullptr);
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            shown << QString(action->text()).remove(QLatin1Char('&'));
        }
        menu->close();
    });
    emit menu_button->customContextMenuRequested(QPoint(2, 2));
    EXPECT_TRUE(shown.contains(QStringLiteral("ABOUT KESTRA-V 2.1...")))
        << shown.join(u'|').toStdString();
    for (const QString& text : shown) {
        EXPECT_FALSE(text.contains(QStringLiteral("(A)"))) << text.toStdString();
    }
}

// The device list and the page's scroll bars are dark like the console, not the desktop's white.
TEST_F(MainWindowTest, TheDeviceListAndScrollBarsWearTheSkin) {
    auto* devices = window->findChild<QTreeWidget*>(QStringLiteral("system.devices"));
    ASSERT_NE(devices, nullptr);
    devices->resize(290, 260);
    const QImage list = devices->viewport()->grab().toImage();
    EXPECT_LT(qGray(list.pixel(list.width() / 2, list.height() / 2)), 60);
    auto* area = window->findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    for (QScrollBar* bar : {area->verticalScrollBar(), devices->verticalScrollBar()}) {
        bar->resize(14, 200);
        bar->setRange(0, 10);
        const QImage groove = bar->grab().toImage();
        EXPECT_LT(qGray(groove.pixel(7, groove.height() - 20)), 60);
    }
}

// A notice over the window is the console's box: dark, captioned with the product and the kind,
// no minimise or maximise, and the words as given.
TEST(OperatorDialogsTest, ANoticeIsASkinnedBoxWithTheExactWords) {
    OperatorDialogs dialogs;
    const auto boxes = [] {
        std::vector<QMessageBox*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                found.push_back(box);
            }
        }
        return found;
    };
    const auto before = boxes();
    dialogs.notice("Invalid address.", NoticeSink::kCaption);
    QCoreApplication::processEvents();
    QMessageBox* box = nullptr;
    for (QMessageBox* b : boxes()) {
        box = std::find(before.begin(), before.end(), b) == before.end() ? b : box;
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Invalid address."));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("KESTRA-V 2.1 - Warming"));
    EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_EQ(box->palette().color(QPalette::Window), skin::SkinPalette::panel());
    box->close();
}

TEST(OperatorDialogsTest, AnOkCancelQuestionHasCancelAsItsDefault) {
    OperatorDialogs dialogs;
    bool cancel_was_default = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QAbstractButton* chosen = box->defaultButton();
        cancel_was_default = chosen == box->button(QMessageBox::Cancel);
        box->defaultButton()->click();  // what Enter presses
    });
    EXPECT_FALSE(dialogs.ask(MainWindow::kCloseQuestion, NoticeSink::kCaption));
    EXPECT_TRUE(cancel_was_default);
}

// A script answers in place of the boxes: notices keep their captions and a choice reaches the
// script's choose() with its options, not a plain OK/Cancel question.
TEST(OperatorDialogsTest, DivertedDialogsHandNoticesQuestionsAndChoicesOverWhole) {
    struct Script final : NoticeSink, QuestionSink {
        void notice(const std::string& text, const std::string& caption) override {
            told.push_back(text + "|" + caption);
        }
        bool ask(const std::string& text, const std::string& caption) override {
            asked.push_back(text + "|" + caption);
            return false;
        }
        int choose(const OperatorChoice& choice) override {
            offered = choice.options;
            return 1;
        }
        std::vector<std::string> told;
        std::vector<std::string> asked;
        std::vector<std::string> offered;
    };
    const auto open_boxes = [] {
        const QWidgetList all = QApplication::topLevelWidgets();
        return std::count_if(all.begin(), all.end(),
                             [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; });
    };
    const auto boxes_before = open_boxes();
    OperatorDialogs dialogs;
    Script script;
    dialogs.divert(script, script);
    // Should a box open after all, close it so the test fails instead of waiting; the timer
    // goes with the test, so it cannot close another test's box.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        }
    });
    closer.start(0);
    dialogs.notice("CANNOT CONNECT.", "");
    dialogs.notice("Nothing to undo.", "Undo");
    EXPECT_FALSE(dialogs.ask(MainWindow::kCloseQuestion, NoticeSink::kCaption));
    const OperatorChoice choice{"Recall?", "Warming", {"Only the 2 changes", "Everything"}, ""};
    EXPECT_EQ(dialogs.choose(choice), 1);
    EXPECT_EQ(script.told, (std::vector<std::string>{"CANNOT CONNECT.|", "Nothing to undo.|Undo"}));
    EXPECT_EQ(script.asked,
              (std::vector<std::string>{std::string(MainWindow::kCloseQuestion) + "|Warming"}));
    EXPECT_EQ(script.offered, choice.options);
    EXPECT_EQ(open_boxes(), boxes_before) << "a notice opened a box besides telling the script";
}

// The recall's question as the operator sees it: one button per answer besides Cancel, the
// list behind the details, and the index of the button pressed.
TEST(OperatorDialogsTest, AChoiceIsAMessageBoxWithAButtonPerAnswer) {
    OperatorDialogs dialogs;
    const OperatorChoice choice{
        "Do you want to recall the setting?\n2 values on 1 channel will change.",
        "Warming",
        {"Only the 2 changes (about 0.3 s)", "Everything (about 33 s)"},
        "CH 01\tVOL\t10dB \u2192 -20dB\nCH 01\tMUTE\tCLOSE \u2192 OPEN\n"};
    QStringList seen;
    QString details;
    const auto press = [&](int option) {
        QTimer::singleShot(0, [&, option] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen.clear();
            for (QAbstractButton* b : box->buttons()) {
                seen << b->text();
            }
            details = box->detailedText();
            QAbstractButton* target = box->button(QMessageBox::Cancel);
            for (QAbstractButton* b : box->buttons()) {
                if (option >= 0 && b->text().toStdString() == choice.options.at(option)) {
                    target = b;
                }
            }
            target->click();
        });
    };
    press(1);
    EXPECT_EQ(dialogs.choose(choice), 1);
    EXPECT_TRUE(seen.contains(QStringLiteral("Only the 2 changes (about 0.3 s)")));
    EXPECT_TRUE(seen.contains(QStringLiteral("Everything (about 33 s)")));
    EXPECT_EQ(seen.size(), 4);  // the two answers, Cancel and "Show Details..."
    EXPECT_EQ(details.toStdString(), choice.details);
    press(-1);
    EXPECT_EQ(dialogs.choose(choice), -1);
}

}  // namespace
}  // namespace kestra
