#include "editors/editor_pane.h"

#include <QTimer>

#include "controls/bitmap_fader.h"
#include "controls/drop_list_button.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "operator/operator_actions.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

constexpr int kTickMs = 50;

}  // namespace

EditorPane::EditorPane(const QString& path, OperatorActions& surface, NoticeSink& notices,
                       QWidget* parent)
    : TiledBackground(parent, skin::kPageBackground),
      surface_(surface),
      notices_(notices),
      path_(path),
      timer_(new QTimer(this)) {
    setObjectName(path);
    hide();
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
    change_sub_ = surface.context().changes().subscribe([this](const StateChange& c) {
        if (isVisible() && concerns(c)) {
            load();
        }
    });
}

void EditorPane::show_channel(int channel) {
    channel_ = channel;
    on_show();
    load();
    show();
    timer_->start();
}

void EditorPane::hideEvent(QHideEvent* event) {
    timer_->stop();
    TiledBackground::hideEvent(event);
}

BitmapFader* EditorPane::add_slider(const QString& name, int minimum, int maximum, QRect at) {
    auto* f = new BitmapFader(this);
    f->setObjectName(path_ + QLatin1Char('.') + name);
    f->options.show_label = false;
    f->set_channel_images(skin::kEditorTrack, skin::kEditorTrackLit);
    f->set_thumb_images(skin::kEditorThumb, skin::kEditorThumb, true, qRgb(255, 255, 255));
    f->set_margins(0, 1, 0, 0);
    f->set_range(minimum, maximum);
    f->move(at.topLeft());
    return f;
}

ValueLabel* EditorPane::add_label(const QString& name, const QString& text, QRect at,
                                  int alignment) {
    auto* l = new ValueLabel(this);
    l->setObjectName(path_ + QLatin1Char('.') + name);
    l->set_text(text);
    l->set_alignment(alignment);
    l->set_font_size(9);
    l->setGeometry(at);
    return l;
}

PngButton* EditorPane::add_button(const QString& name, const QString& caption, QRect at) {
    auto* b = new PngButton(this);
    b->setObjectName(path_ + QLatin1Char('.') + name);
    b->set_images(skin::kButton, skin::kButtonLit);
    b->setText(caption);
    b->setGeometry(at);
    return b;
}

DropListButton* EditorPane::add_selector(const QString& name, int list_id, const QStringList& items,
                                         QRect at) {
    auto* s = new DropListButton(this);
    s->setObjectName(path_ + QLatin1Char('.') + name);
    s->set_images(skin::kSelector, skin::kSelectorHover);
    s->attach(list_id);
    for (const QString& item : items) {
        s->add_item(item);
    }
    s->setGeometry(at);
    return s;
}

void EditorPane::follow(BitmapFader* slider, int position) {
    slider->follow(position);
}

void EditorPane::on_slider(BitmapFader* slider, std::function<void(int, bool)> moved) {
    connect(slider, &BitmapFader::moved, this, [moved](int, int p) { moved(p, false); });
    connect(slider, &BitmapFader::released, this, [moved](int, int p) { moved(p, true); });
}

}  // namespace kestra
