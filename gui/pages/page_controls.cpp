#include "pages/page_controls.h"

#include "controls/drop_list_button.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "skin/skin_ids.h"

namespace kestra::page_controls {

PngButton* button(QWidget* page, const QString& path, const QString& caption, QRect at) {
    auto* b = new PngButton(page);
    b->setObjectName(path);
    b->set_images(skin::kButton, skin::kButtonLit);
    b->setText(caption);
    b->setGeometry(at);
    return b;
}

ValueLabel* label(QWidget* page, const QString& path, const QString& text, QRect at, double size) {
    auto* l = new ValueLabel(page);
    l->setObjectName(path);
    l->set_text(text);
    l->set_font_size(size);
    l->setGeometry(at);
    return l;
}

DropListButton* selector(QWidget* page, const QString& path, int list_id, int normal, int hover,
                         QRect at) {
    auto* s = new DropListButton(page);
    s->setObjectName(path);
    s->set_images(normal, hover);
    s->setGeometry(at);
    s->attach(list_id);
    return s;
}

bool touches_everything(const StateChange& change) {
    using Block = StateChange::Block;
    return change.scope == StateChange::Scope::Everything || change.block == Block::All ||
           change.block == Block::Connection;
}

}  // namespace kestra::page_controls
