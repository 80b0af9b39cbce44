#pragma once

#include <QString>

class QWidget;

namespace kestra {

class EntryEdit;
class PngButton;
class ValueLabel;

// Makes the window's loose controls in the console's look, each named for the script driver,
// so a new control of the header or a page does not repeat fonts and colours.
class ControlFactory {
public:
    explicit ControlFactory(QWidget* parent) : parent_(parent) {}

    PngButton* button(const QString& name, int image, int lit_image, const QString& caption) const;
    ValueLabel* label(const QString& name, const QString& text, double size = 9) const;
    // A read-out box: white text on the dark display, `tag` telling the boxes apart.
    EntryEdit* readout_box(const QString& name, int tag) const;

private:
    QWidget* parent_;
};

}  // namespace kestra
