#include "shell/header_bar.h"

#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "session/level_feed.h"
#include "session/report_supervisor.h"
#include "shell/control_factory.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra {

namespace {

using P = skin::SkinPalette;

constexpr std::array<const char*, 4> kPageCaptions{"CHANNEL", "MODE", "SYSTEM", "GROUPS"};
constexpr std::array<const char*, MainLayout::kBankCount> kBankCaptions{
    "CH1-8",   "CH9-16",  "CH17-24", "CH25-32", "CH33-40",
    "CH41-48", "CH49-56", "CH57-64", "M1-8",    "D1-8"};
constexpr int kOverviewBars = 8;
constexpr int kOverviewRange = 70;

}  // namespace

HeaderBar::HeaderBar(QWidget* canvas) : QWidget(canvas) {
    build_pages();
    build_banks();
    build_groups();
    build_link_and_menu();
    build_readout();
}

void HeaderBar::build_pages() {
    const ControlFactory make(this);
    for (size_t i = 0; i < kPageCaptions.size(); ++i) {
        const QString caption = QString::fromLatin1(kPageCaptions[i]);
        PngButton* b = make.button(QStringLiteral("page.") + caption, skin::kPageTab,
                                   skin::kPageTabLit, caption);
        b->set_caption_size(8.5);
        const Page page = MainLayout::kPageOrder[i];
        connect(b, &PngButton::clicked, this, [this, page] { emit page_chosen(page); });
        page_buttons_[i] = b;
    }
}

void HeaderBar::build_banks() {
    const ControlFactory make(this);
    for (int bank = 1; bank <= MainLayout::kBankCount; ++bank) {
        const QString name = QStringLiteral("bank.%1").arg(bank);
        PngButton* b = make.button(name, skin::kBank, skin::kBankLit, {});
        b->set_vertical_mini_meters(true);
        b->set_mini_meter_range(0, kOverviewRange);
        connect(b, &PngButton::clicked, this, [this, bank] { emit bank_chosen(bank); });
        bank_buttons_[static_cast<size_t>(bank - 1)] = b;
        ValueLabel* label = make.label(name + QStringLiteral(".label"),
                                       QString::fromLatin1(kBankCaptions[bank - 1]), 8);
        label->set_text_colour(P::caption());
        bank_labels_[static_cast<size_t>(bank - 1)] = label;
    }
}

void HeaderBar::build_groups() {
    const ControlFactory make(this);
    mute_group_label_ = make.label(QStringLiteral("mgroup.label"), QStringLiteral("M GROUPS"), 8);
    control_group_label_ =
        make.label(QStringLiteral("cgroup.label"), QStringLiteral("C GROUPS"), 8);
    for (int g = 1; g <= MainLayout::kGroupButtons; ++g) {
        PngButton* m = make.button(QStringLiteral("mgroup.%1").arg(g), skin::kPad, skin::kPadLit,
                                   QString::number(g));
        PngButton* c = make.button(QStringLiteral("cgroup.%1").arg(g), skin::kPad, skin::kPadLit,
                                   QString::number(g));
        m->set_caption_size(10);
        c->set_caption_size(10);
        mute_groups_[static_cast<size_t>(g - 1)] = m;
        control_groups_[static_cast<size_t>(g - 1)] = c;
    }
}

void HeaderBar::build_link_and_menu() {
    const ControlFactory make(this);
    online_ = make.button(QStringLiteral("online"), skin::kOnline, skin::kOnlineLit,
                          QStringLiteral("  LINK"));
    online_->set_lit_caption_colour(P::online_caption());
    connect(online_, &PngButton::clicked, this, [this] { emit link_pressed(online_->lit()); });
    status_ =
        make.label(QStringLiteral("status"), QString::fromLatin1(ReportSupervisor::kOffline), 11);
    menu_ = make.button(QStringLiteral("menu"), skin::kButton, skin::kButtonLit,
                        QStringLiteral("MENU"));
    // Either button opens the menu: a left click under the key, a right click where it lands.
    // The key stays lit while its menu is open (the menu runs until it closes).
    connect(menu_, &PngButton::clicked, this,
            [this] { open_menu_at(menu_->mapToGlobal(QPoint(0, menu_->height()))); });
    menu_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(menu_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { open_menu_at(menu_->mapToGlobal(at)); });
    // HOME has no place on this panel; it stays for the scripts that name it.
    make.button(QStringLiteral("home"), skin::kButton, skin::kButtonLit, QStringLiteral("HOME"))
        ->hide();
}

void HeaderBar::open_menu_at(const QPoint& global) {
    menu_->set_lit(true);
    emit menu_requested(global);
    menu_->set_lit(false);
}

void HeaderBar::build_readout() {
    const ControlFactory make(this);
    readout_channel_ = make.label(QStringLiteral("readout.channel"), {}, 10);
    readout_parameter_ = make.label(QStringLiteral("readout.parameter"), {}, 10);
    value_box_ = make.readout_box(QStringLiteral("value_box"), 0);
    freq_box_ = make.readout_box(QStringLiteral("freq_box"), 1);
    connect(value_box_, &EntryEdit::enter_pressed, this,
            [this] { emit typed(Readout::Box::Value, value_box_->text()); });
    connect(freq_box_, &EntryEdit::enter_pressed, this,
            [this] { emit typed(Readout::Box::Frequency, freq_box_->text()); });
}

void HeaderBar::apply(const MainLayout& layout) {
    QRect area;
    for (size_t i = 0; i < page_buttons_.size(); ++i) {
        const Page page = MainLayout::kPageOrder[i];
        area |= layout.page_button(page);
        page_buttons_[i]->setGeometry(layout.page_button(page));
        page_buttons_[i]->set_lit(page == layout.page());
    }
    for (int bank = 1; bank <= MainLayout::kBankCount; ++bank) {
        const auto i = static_cast<size_t>(bank - 1);
        area |= layout.bank_button(bank) | layout.bank_label(bank);
        bank_buttons_[i]->setGeometry(layout.bank_button(bank));
        bank_buttons_[i]->set_lit(layout.page() == Page::Channel && bank == layout.bank());
        bank_labels_[i]->setGeometry(layout.bank_label(bank));
    }
    mute_group_label_->setGeometry(layout.mute_group_label());
    control_group_label_->setGeometry(layout.control_group_label());
    for (int g = 1; g <= MainLayout::kGroupButtons; ++g) {
        const auto i = static_cast<size_t>(g - 1);
        area |= layout.mute_group_button(g) | layout.control_group_button(g);
        mute_groups_[i]->setGeometry(layout.mute_group_button(g));
        control_groups_[i]->setGeometry(layout.control_group_button(g));
    }
    readout_channel_->setGeometry(layout.readout_channel());
    readout_parameter_->setGeometry(layout.readout_parameter());
    value_box_->setGeometry(layout.value_box());
    freq_box_->setGeometry(layout.freq_box());
    status_->setGeometry(layout.status_label());
    online_->setGeometry(layout.online_indicator());
    menu_->setGeometry(layout.menu_button());
    for (QRect r :
         {layout.mute_group_label(), layout.control_group_label(), layout.readout_channel(),
          layout.readout_parameter(), layout.value_box(), layout.freq_box(), layout.status_label(),
          layout.online_indicator(), layout.menu_button()}) {
        area |= r;
    }
    // From the canvas's corner, so a child's place here is its place on the canvas.
    setGeometry(0, 0, area.right() + 1, area.bottom() + 1);
}

void HeaderBar::show_readout(const ReadoutDisplay& display) {
    readout_channel_->set_text(QString::fromStdString(display.channel_label));
    readout_parameter_->set_text(QString::fromStdString(display.parameter_name));
    value_box_->setText(QString::fromStdString(display.value_text));
    freq_box_->setText(QString::fromStdString(display.frequency_text));
}

void HeaderBar::show_connection(bool online) {
    online_->set_lit(online);
    status_->set_text(
        QString::fromLatin1(online ? ReportSupervisor::kOnline : ReportSupervisor::kOffline));
    status_->set_text_colour(online ? P::online_text() : P::offline_text());
}

void HeaderBar::show_overviews(const LevelView& view) {
    for (size_t b = 0; b < bank_buttons_.size(); ++b) {
        for (size_t k = 0; k < kOverviewBars; ++k) {
            bank_buttons_[b]->set_mini_meter_value(static_cast<int>(k), view.bank_levels[b][k]);
        }
    }
}

void HeaderBar::set_senders_tip(const QString& tip) {
    status_->setToolTip(tip);
    online_->setToolTip(tip);
}

}  // namespace kestra
