#include "controls/skinned_box.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

#include "skin/skin_font.h"
#include "skin/skin_palette.h"
#include "skin/skin_sheet.h"

namespace kestra {

namespace {

// Room the frame takes beside the title text: its icon, the close button and the margins.
constexpr int kFrameAllowance = 110;
constexpr double kTextPoints = 10;

QPalette dark_palette(QPalette palette) {
    const QColor text(0xe6, 0xe9, 0xee);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, skin::SkinPalette::panel());
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, skin::SkinPalette::panel_deep());
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, skin::SkinPalette::face_bottom());
        palette.setColor(group, QPalette::ButtonText, Qt::white);
        palette.setColor(group, QPalette::Highlight, skin::SkinPalette::lit_bottom());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    return palette;
}

}  // namespace

QString SkinnedBox::title(const QString& kind) {
    const QString product = QString::fromLatin1(kProduct);
    return kind.isEmpty() ? product : product + QStringLiteral(" - ") + kind;
}

int SkinnedBox::title_width(const QString& title) {
    // The window manager draws the title in its own face; the application's bold face of the
    // same size is a fair stand-in for its width.
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kFrameAllowance;
}

void SkinnedBox::dress(QDialog& dialog, const QString& kind) {
    const bool was_visible = dialog.isVisible();
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(title(kind));
    dialog.setPalette(dark_palette(dialog.palette()));
    dialog.setFont(skin::SkinFont::points(kTextPoints));
    dialog.setStyleSheet(QString::fromLatin1(skin::SkinSheet::dialog()) +
                         QString::fromLatin1(skin::SkinSheet::scroll_bars()));
    if (was_visible) {
        dialog.show();  // setWindowFlags hides a shown window
    }
}

QMessageBox* SkinnedBox::make(QMessageBox::Icon icon, const QString& kind, const QString& text,
                              QMessageBox::StandardButtons buttons, QWidget* parent) {
    auto* box = new QMessageBox(icon, QString(), text, buttons, parent);
    dress(*box, kind);
    // A message box sizes itself to its text; a spacer across its grid keeps a short message's
    // box wide enough for the whole title.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(title_width(box->windowTitle()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

}  // namespace kestra
