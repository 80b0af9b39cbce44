#pragma once

#include <QMessageBox>
#include <QString>

class QDialog;

namespace kestra {

// The console's own message boxes and dialogs: the dark panel, the console's font and button
// faces, a title naming the product and the kind of message, and only a close button on the
// frame (a message waits for an answer, it is not a window to minimise or maximise).
class SkinnedBox {
public:
    static constexpr const char* kProduct = "KESTRA-V 2.1";

    // "KESTRA-V 2.1 - Warming": the product, then the kind the message came with.
    static QString title(const QString& kind);
    // Dresses any dialog of the console: title, frame buttons, palette, font and sheet.
    static void dress(QDialog& dialog, const QString& kind);
    // A message box dressed, and at least as wide as its title so the frame need not cut it.
    static QMessageBox* make(QMessageBox::Icon icon, const QString& kind, const QString& text,
                             QMessageBox::StandardButtons buttons, QWidget* parent);
    // The width the frame needs to show `title` whole: its text plus the frame's icon and close
    // button.
    static int title_width(const QString& title);
};

}  // namespace kestra
