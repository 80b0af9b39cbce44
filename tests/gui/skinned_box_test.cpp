#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <memory>

#include "controls/name_dialog.h"
#include "controls/skinned_box.h"
#include "protocol/frame_sink.h"
#include "skin/skin_palette.h"

namespace kestra {
namespace {

bool has_no_min_or_max(const QWidget& w) {
    const Qt::WindowFlags flags = w.windowFlags();
    return flags.testFlag(Qt::CustomizeWindowHint) &&
           !flags.testFlag(Qt::WindowMinimizeButtonHint) &&
           !flags.testFlag(Qt::WindowMaximizeButtonHint) &&
           flags.testFlag(Qt::WindowCloseButtonHint);
}

// Whether the pixel half-way down the left margin is the skin's panel, not a light theme.
bool paints_dark(QWidget& w) {
    const QImage image = w.grab().toImage();
    return qGray(image.pixel(2, image.height() / 2)) < 60;
}

QString shown_text(const QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    return label ? label->text() : QString();
}

struct ShownBox : ::testing::Test {
    std::unique_ptr<QMessageBox> box;
    void show(const QString& kind, const QString& text) {
        box.reset(SkinnedBox::make(QMessageBox::Information, kind, text, QMessageBox::Ok, nullptr));
        box->show();
        QCoreApplication::processEvents();
    }
};

TEST_F(ShownBox, IsDarkWithOnlyACloseButtonAndKeepsTheWords) {
    const QString text = QStringLiteral("The name must be 8 characters or less.");
    show(QString::fromLatin1(NoticeSink::kCaption), text);
    EXPECT_TRUE(has_no_min_or_max(*box));
    EXPECT_EQ(box->palette().color(QPalette::Window), skin::SkinPalette::panel());
    EXPECT_TRUE(paints_dark(*box));
    EXPECT_EQ(box->text(), text);
    EXPECT_EQ(shown_text(*box), text);
}

TEST_F(ShownBox, TitleNamesTheProductAndTheKindTheSinkWasGiven) {
    show(QString::fromLatin1(NoticeSink::kCaption), QStringLiteral("Invalid address."));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("KESTRA-V 2.1 - Warming"));
    EXPECT_EQ(SkinnedBox::title({}), QStringLiteral("KESTRA-V 2.1"));
}

// A one-word notice would make a box narrower than its title; the frame would cut it.
TEST_F(ShownBox, AShortMessageStillLeavesRoomForTheWholeTitle) {
    show(QStringLiteral("Warming"), QStringLiteral("OK."));
    EXPECT_GE(box->width(), SkinnedBox::title_width(box->windowTitle()));
}

TEST(NameDialogLook, IsDressedAsTheConsole) {
    NameDialog dialog;
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(has_no_min_or_max(dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("KESTRA-V 2.1 - NAME"));
    EXPECT_TRUE(paints_dark(dialog));
}

}  // namespace
}  // namespace kestra
