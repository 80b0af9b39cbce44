#include "shell/control_factory.h"

#include <QFont>

#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "skin/skin_palette.h"

namespace kestra {

namespace {

constexpr int kReadoutLengthLimit = 12;
constexpr int kReadoutPixelSize = 20;

}  // namespace

PngButton* ControlFactory::button(const QString& name, int image, int lit_image,
                                  const QString& caption) const {
    auto* b = new PngButton(parent_);
    b->setObjectName(name);
    b->set_images(image, lit_image);
    b->setText(caption);
    return b;
}

ValueLabel* ControlFactory::label(const QString& name, const QString& text, double size) const {
    auto* l = new ValueLabel(parent_);
    l->setObjectName(name);
    l->set_text(text);
    l->set_font_size(size);
    return l;
}

EntryEdit* ControlFactory::readout_box(const QString& name, int tag) const {
    auto* box = new EntryEdit(parent_);
    box->setObjectName(name);
    box->set_owner_tag(tag);
    box->set_length_limit(kReadoutLengthLimit);
    box->set_background_colour(skin::SkinPalette::display());
    QFont font(QStringLiteral("Arial Unicode MS"));
    font.setPixelSize(kReadoutPixelSize);
    box->setFont(font);
    box->set_text_colour(Qt::white);
    return box;
}

}  // namespace kestra
