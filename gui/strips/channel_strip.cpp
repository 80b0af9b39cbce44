#include "strips/channel_strip.h"

#include <QCursor>
#include <QPainter>
#include <algorithm>

#include "controls/bitmap_fader.h"
#include "controls/cmenu_ex.h"
#include "controls/drop_list_button.h"
#include "controls/level_meter.h"
#include "controls/menu_resources.h"
#include "controls/name_dialog.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "operator/operator_actions.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"
#include "strips/strip_graph.h"
#include "text/name_codec.h"

namespace kestra {

namespace {

constexpr int kTemplateWidth = 100;
constexpr int kGraphInset = 4;
constexpr int kGraphHeight = 60;
constexpr int kMeterWidth = 30;
constexpr int kMeterHeight = 200;

}  // namespace

ChannelStrip::ChannelStrip(const QString& path, ChannelSide side, OperatorActions& surface,
                           NoticeSink& notices, QWidget* parent)
    : TiledBackground(parent, side.background()),
      surface_(surface),
      notices_(notices),
      path_(path),
      side_(side),
      frame_(side.idle_frame()) {
    setObjectName(path);
    hide();
}

void ChannelStrip::add_common(int graph_y, int name_label_y, int fader_y, int mute_y, int name_y) {
    graph_ = new StripGraph(this);
    graph_->setObjectName(path_ + QStringLiteral(".graph"));
    graph_->move(kGraphInset, graph_y);
    name_label_ = add_label(QStringLiteral("name_label"), {}, name_label_y);

    fader_ = new BitmapFader(this);
    fader_->setObjectName(path_ + QStringLiteral(".fader"));
    fader_->options.vertical = true;
    fader_->options.show_label = false;
    fader_->options.control_id = 1012;
    fader_->set_channel_images(side_.fader_track(), side_.fader_track());
    fader_->set_thumb_images(side_.fader_thumb(), skin::kFaderThumbActive, true,
                             qRgb(255, 255, 255));
    fader_->set_margins(32, 2, 0, 5);
    fader_->set_range(0, kMaxVolume);
    fader_->set_position(kMaxVolume);
    fader_y_ = fader_y;
    connect(fader_, &BitmapFader::moved, this, [this](int, int p) { on_fader(p); });
    connect(fader_, &BitmapFader::released, this, [this](int, int p) { on_fader(p); });

    meter_ = new LevelMeter(this);
    meter_->setObjectName(path_ + QStringLiteral(".meter"));
    meter_->resize(kMeterWidth, kMeterHeight);
    meter_->set_bar_count(1);
    meter_->set_bar_range(0, 0, kMaxVolume);
    meter_->set_zone_limits(0.7, 0.9);
    meter_->set_margins(0, 0);

    mute_ = add_button(QStringLiteral("mute"), QStringLiteral("MUTE"), mute_y);
    mute_->set_images(skin::kButton, skin::kButtonMuteLit);
    mute_->set_lit_caption_colour(skin::SkinPalette::mute_caption());
    connect(mute_, &PngButton::clicked, this,
            [this] { side_.set_mute(surface_, channel_, !mute_->lit()); });
    name_button_ = add_button(QStringLiteral("name"), {}, name_y, 60);
    name_button_->set_images(skin::kNameButton, skin::kNameButton + 1);
    name_button_->set_caption_size(12);
    connect(name_button_, &PngButton::clicked, this, &ChannelStrip::open_rename_menu);
}

PngButton* ChannelStrip::add_button(const QString& name, const QString& caption, int y,
                                    int height) {
    auto* b = new PngButton(this);
    b->setObjectName(path_ + QLatin1Char('.') + name);
    b->set_images(skin::kButton, skin::kButtonLit);
    b->setText(caption);
    place(b, y, kTemplateWidth, height);
    return b;
}

DropListButton* ChannelStrip::add_selector(const QString& name, int list_id,
                                           const QStringList& items, int y) {
    auto* s = new DropListButton(this);
    s->setObjectName(path_ + QLatin1Char('.') + name);
    s->set_images(skin::kStripSelector, skin::kStripSelectorHover);
    s->attach(list_id);
    for (const QString& item : items) {
        s->add_item(item);
    }
    s->select(0);
    place(s, y, kTemplateWidth, 24);
    return s;
}

ValueLabel* ChannelStrip::add_label(const QString& name, const QString& text, int y) {
    auto* l = new ValueLabel(this);
    l->setObjectName(path_ + QLatin1Char('.') + name);
    l->set_text(text);
    l->set_alignment(ValueLabel::kNear);
    l->set_font_size(9);
    place(l, y, kTemplateWidth, 24);
    return l;
}

void ChannelStrip::place(QWidget* widget, int y, int width, int height) {
    placements_.push_back({widget, y, width, height});
}

void ChannelStrip::show_channel(int channel) {
    channel_ = channel;
    reload();
    show();
}

void ChannelStrip::reload(bool with_graph) {
    const DeviceState& state = surface_.context().state();
    follow_volume();
    name_button_->setText(short_name());
    load_shared(state);
    load_controls(state, with_graph);
    if (levels_ != nullptr) {
        show_levels(*levels_);
    }
}

void ChannelStrip::load_shared(const DeviceState& state) {
    name_label_->set_text(shown_name(side_.name(state, channel_)));
    set_frame_colour(side_.frame(surface_, channel_));
    mute_->set_lit(side_.muted(state, channel_));
}

QString ChannelStrip::short_name() const {
    return shown_name(side_.short_name(surface_.context().state(), channel_));
}

void ChannelStrip::follow_volume() {
    fader_->follow(LevelLaw::fader_position(side_.volume(surface_.context().state(), channel_)));
}

void ChannelStrip::show_levels(const LevelView& view) {
    set_meter(side_.meter(view, channel_));
}

void ChannelStrip::set_meter(int value) {
    meter_->set_value(value, 0);
}

void ChannelStrip::set_frame_colour(QColor colour) {
    if (colour != frame_) {
        frame_ = colour;
        update();
    }
}

void ChannelStrip::on_fader(int position) {
    side_.set_volume(surface_, channel_, LevelLaw::stored_of_fader(position));
}

void ChannelStrip::open_rename_menu() {
    CMenuEx menu(this);
    menu.load(MenuResources::kRenameMenu);
    if (menu.track(QCursor::pos()) != MenuResources::kName) {
        return;
    }
    const auto name = NameDialog::ask(window(), short_name(), notices_);
    if (name && side_.rename(surface_, channel_, name->toStdString())) {
        name_button_->setText(short_name());
    }
}

QString ChannelStrip::shown_name(const std::string& legacy) const {
    static const NameCodec fallback;
    const NameCodec* codec = surface_.context().names().codec;
    return QString::fromStdString((codec != nullptr ? *codec : fallback).to_utf8(legacy));
}

void ChannelStrip::paintEvent(QPaintEvent* event) {
    TiledBackground::paintEvent(event);
    QPainter p(this);
    p.setPen(frame_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ChannelStrip::resizeEvent(QResizeEvent* event) {
    TiledBackground::resizeEvent(event);
    lay_out();
}

void ChannelStrip::lay_out() {
    const int w = width();
    for (const Placement& p : placements_) {
        p.widget->setGeometry((w - p.width) / 2, p.y, p.width, p.height);
    }
    graph_->setGeometry(kGraphInset, graph_->y(), std::max(1, w - 2 * kGraphInset), kGraphHeight);
    const int pair = fader_->width() + 1 + meter_->width();
    const int left = (w - pair) / 2;
    fader_->move(left, fader_y_);
    meter_->move(left + fader_->width() + 1, fader_y_);
}

}  // namespace kestra
