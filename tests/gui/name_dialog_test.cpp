#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "controls/entry_edit.h"
#include "controls/name_dialog.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
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

// Enter is OK: the typed name is taken, and the press goes through the box's own notice, not
// through a default button that could close the dialog past the rule.
TEST_F(RenameDialog, EnterInTheEntryBoxAcceptsTheTypedName) {
    EntryEdit* entry = dialog.entry();
    int enters = 0;
    QObject::connect(entry, &EntryEdit::enter_pressed, [&](int tag) {
        EXPECT_EQ(tag, 0);
        ++enters;
    });
    KeyCounter reaching_dialog;
    dialog.installEventFilter(&reaching_dialog);
    dialog.set_name(QString());
    QTest::keyClicks(entry, QStringLiteral("CH 1"));
    QTest::keyClick(entry, Qt::Key_Return);
    dialog.removeEventFilter(&reaching_dialog);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(reaching_dialog.presses, 0);  // the default-button handling never saw it
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.name(), QStringLiteral("CH 1"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(RenameDialog, EnterOnATooLongNameIsRefusedLikeOk) {
    EntryEdit* entry = dialog.entry();
    dialog.set_name(QString());
    QTest::keyClicks(entry, QStringLiteral("LECTERN12"));
    QTest::keyClick(entry, Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(entry->text(), QStringLiteral("LECTERN12"));
    Message refused{QStringLiteral("Warming"), QStringLiteral("Channel name is too long.")};
    EXPECT_EQ(messages, std::vector<Message>{refused});
}

// The count is by the rule that refuses a name: characters, not bytes, so a wide character
// takes one place although it is three bytes of UTF-8.
TEST_F(RenameDialog, RoomLeftFollowsTyping) {
    EntryEdit* entry = dialog.entry();
    dialog.set_name(QStringLiteral("LECTERN"));
    EXPECT_EQ(dialog.room_label()->text(), QStringLiteral("1 left"));
    dialog.set_name(QString());
    EXPECT_EQ(dialog.room_label()->text(), QStringLiteral("8 left"));
    QTest::keyClicks(entry, QStringLiteral("AB"));
    EXPECT_EQ(dialog.room_label()->text(), QStringLiteral("6 left"));
    QKeyEvent wide(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("会"));
    QCoreApplication::sendEvent(entry, &wide);
    EXPECT_EQ(entry->text(), QString::fromUtf8("AB会"));
    EXPECT_EQ(dialog.room_label()->text(), QStringLiteral("5 left"));
    QTest::keyClicks(entry, QStringLiteral("CDEFGHI"));  // ten in all: the box's limit
    EXPECT_EQ(entry->character_count(), 10);
    EXPECT_EQ(dialog.room_label()->text(), QStringLiteral("2 too many"));
    QTest::keyClick(entry, Qt::Key_Backspace);
    QTest::keyClick(entry, Qt::Key_Backspace);
    EXPECT_EQ(dialog.room_label()->text(), QStringLiteral("0 left"));
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
