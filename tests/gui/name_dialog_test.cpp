#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "controls/entry_edit.h"
#include "controls/name_dialog.h"
#include "controls/png_button.h"
#include "protocol/frame_sink.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

using Message = std::pair<QString, QString>;  // caption, text

// Counts the key presses that reach a widget, to see whether a child let one through.
struct KeyCounter : QObject {
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        presses += event->type() == QEvent::KeyPress ? 1 : 0;
        return false;
    }
};

struct RenameDialog : ::testing::Test, NoticeSink {
    NameDialog dialog;
    std::vector<Message> messages;

    void notice(const std::string& text, const std::string& caption) override {
        messages.emplace_back(QString::fromStdString(caption), QString::fromStdString(text));
    }
    void SetUp() override {
        dialog.set_notices(*this);
        dialog.show();
    }
    void TearDown() override { dialog.hide(); }

    void press_ok() {
        synthetic::press(dialog.ok_button(), {10, 10});
        synthetic::release(dialog.ok_button(), {10, 10});
    }
};

TEST_F(RenameDialog, EightCharactersAreAccepted) {
    dialog.set_name(QStringLiteral("LECTERN1"));
    press_ok();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.name(), QStringLiteral("LECTERN1"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(RenameDialog, NineOrTenCharactersAreRefusedAndKept) {
    for (const QString& name : {QStringLiteral("LECTERN12"), QStringLiteral("LECTERN123")}) {
        dialog.set_name(name);
        press_ok();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_EQ(dialog.name(), name);
    }
    Message refused{QStringLiteral("Warming"), QStringLiteral("Channel name is too long.")};
    EXPECT_EQ(messages, (std::vector<Message>{refused, refused}));
}

TEST_F(RenameDialog, EmptyNameIsAccepted) {
    dialog.set_name(QString());
    press_ok();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.name().isEmpty());
}

TEST_F(RenameDialog, WideCharactersCountOneEach) {
    dialog.set_name(QString::fromUtf8("会议室主席台左右"));  // eight characters
    press_ok();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(RenameDialog, CancelClosesWithoutAName) {
    dialog.set_name(QStringLiteral("TOOLONGNAME"));
    synthetic::press(dialog.cancel_button(), {10, 10});
    synthetic::release(dialog.cancel_button(), {10, 10});
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RenameDialog, EleventhTypedCharacterIsIgnored) {
    EntryEdit* entry = dialog.entry();
    int accepted = 0;
    QObject::connect(entry, &EntryEdit::character_accepted, [&](int) { ++accepted; });
    dialog.set_name(QString());
    QTest::keyClicks(entry, QStringLiteral("ABCDEFGHIJK"));
    EXPECT_EQ(entry->text(), QStringLiteral("ABCDEFGHIJ"));
    EXPECT_EQ(accepted, 10);
}

TEST_F(RenameDialog, EnterInTheEntryBoxDoesNotCloseTheDialog) {
    EntryEdit* entry = dialog.entry();
    int enters = 0;
    QObject::connect(entry, &EntryEdit::enter_pressed, [&](int tag) {
        EXPECT_EQ(tag, 0);
        ++enters;
    });
    KeyCounter reaching_dialog;
    dialog.installEventFilter(&reaching_dialog);
    dialog.set_name(QStringLiteral("CH 1"));
    QTest::keyClick(entry, Qt::Key_Return);
    QTest::keyClick(entry, Qt::Key_Enter);
    dialog.removeEventFilter(&reaching_dialog);
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(reaching_dialog.presses, 0);  // the default-button handling never saw it
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(entry->text(), QStringLiteral("CH 1"));
}

TEST(EntryEdit, FocusAndCharactersNotifyWithTheTag) {
    EntryEdit entry;
    entry.set_owner_tag(7);
    entry.set_length_limit(2);
    std::vector<int> focus, typed;
    QObject::connect(&entry, &EntryEdit::focus_gained, [&](int tag) { focus.push_back(tag); });
    QObject::connect(&entry, &EntryEdit::character_accepted,
                     [&](int tag) { typed.push_back(tag); });
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(&entry, &in);
    QTest::keyClicks(&entry, QStringLiteral("xyz"));
    EXPECT_EQ(focus, std::vector<int>{7});
    EXPECT_EQ(typed, (std::vector<int>{7, 7}));
    EXPECT_EQ(entry.text(), QStringLiteral("xy"));
    QTest::keyClick(&entry, Qt::Key_Backspace);  // editing keys still work at the limit
    EXPECT_EQ(entry.text(), QStringLiteral("x"));
}

}  // namespace
}  // namespace kestra
