#include "shell/connect_tab.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QTreeWidget>

#include "controller/console.h"
#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "shell/profile.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"
#include "skin/skin_sheet.h"

namespace kestra {

namespace {

constexpr int kSweepLast = 254;
constexpr int kSweepFirst = 2;
constexpr std::chrono::milliseconds kSearchPoll{100};

PngButton* key(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* b = new PngButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->set_images(skin::kButton, skin::kButtonLit);
    b->set_disabled_image(skin::kButtonDisabled);
    b->setText(caption);
    b->setGeometry(place);
    return b;
}

ValueLabel* label(QWidget* parent, const QString& text, QRect place) {
    auto* l = new ValueLabel(parent);
    l->set_text(text);
    l->set_alignment(ValueLabel::kNear);
    l->set_font_size(9);
    l->setGeometry(place);
    return l;
}

}  // namespace

ConnectTab::ConnectTab(Console& controller, Profile& profile,
                       std::optional<DeviceEndpoint> search_host, QWidget* parent)
    : QWidget(parent), controller_(controller), profile_(profile), search_host_(search_host) {
    build();
    search_poll_.setInterval(kSearchPoll);
    connect(&search_poll_, &QTimer::timeout, this, &ConnectTab::poll_search);
}

void ConnectTab::build() {
    search_ = key(this, "system.search", QStringLiteral("Search"), {20, 10, 100, 24});
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("system.progress"));
    progress_->setGeometry(130, 14, 180, 16);
    progress_->setRange(0, kSweepLast);
    progress_->setTextVisible(false);
    progress_->setStyleSheet(QString::fromLatin1(skin::SkinPalette::progress_style()));
    progress_->hide();

    devices_ = new QTreeWidget(this);
    devices_->setObjectName(QStringLiteral("system.devices"));
    devices_->setGeometry(20, 44, 290, 260);
    devices_->setColumnCount(2);
    devices_->setHeaderLabels({QStringLiteral("DEVICE IP"), QStringLiteral("PORT")});
    devices_->setColumnWidth(0, 150);
    devices_->setColumnWidth(1, 100);
    devices_->setRootIsDecorated(false);
    devices_->setSelectionBehavior(QAbstractItemView::SelectRows);
    devices_->setAllColumnsShowFocus(true);
    devices_->setStyleSheet(QString::fromLatin1(skin::SkinSheet::tree_list()) +
                            QString::fromLatin1(skin::SkinSheet::scroll_bars()));

    label(this, QStringLiteral("IP:"), {340, 10, 30, 26});
    ip_ = new EntryEdit(this);
    ip_->setObjectName(QStringLiteral("system.ip"));
    ip_->set_length_limit(21);
    ip_->set_background_colour(skin::SkinPalette::display());
    ip_->set_text_colour(Qt::white);
    ip_->setTextMargins(4, 0, 4, 0);
    ip_->setGeometry(372, 10, 180, 26);
    ip_ok_ = key(this, "system.ip_ok", QStringLiteral("OK"), {562, 11, 60, 24});
    connect_ = key(this, "system.connect", QStringLiteral("CONNECT"), {340, 56, 130, 24});
    offline_ = key(this, "system.offline", QStringLiteral("OFFLINE"), {480, 56, 130, 24});
    version_ = label(this, {}, {340, 100, 280, 24});
    version_->setObjectName(QStringLiteral("system.version"));

    connect(search_, &PngButton::clicked, this, &ConnectTab::search);
    connect(devices_, &QTreeWidget::clicked, this,
            [this](const QModelIndex& index) { take_listed_device(index.row()); });
    connect(ip_ok_, &PngButton::clicked, this, &ConnectTab::take_typed_address);
    connect(ip_, &EntryEdit::enter_pressed, this, &ConnectTab::take_typed_address);
    connect(connect_, &PngButton::clicked, this, &ConnectTab::toggle_connection);
    connect(offline_, &PngButton::clicked, this, &ConnectTab::offline_pressed);
}

void ConnectTab::refresh() {
    ip_->setText(QString::fromStdString(controller_.session().device().text()));
    const QString text = QString::fromStdString(controller_.state().system.device_text.str());
    version_->set_text(QString::fromUtf8(kVersionFormat).arg(text.toDouble() * 0.1, 0, 'f', 1));
    show_connected(controller_.state().system.connected != 0);
}

void ConnectTab::show_connected(bool connected) {
    connect_->setText(connected ? QStringLiteral("DISCONNECT") : QStringLiteral("CONNECT"));
    connect_->set_lit(connected);
}

void ConnectTab::search() {
    if (search_after_close_) {
        return;
    }
    if (controller_.session().connection().search_ends_connection()) {
        if (!controller_.surface().context().ask(kSearchQuestion)) {
            return;
        }
        controller_.disconnect();
        search_after_close_ = true;
        search_poll_.start();
        return;
    }
    start_search();
}

void ConnectTab::start_search() {
    devices_->clear();
    const bool started = controller_.session().start_search(search_host_);
    if (!started) {
        return;
    }
    progress_->setValue(kSweepFirst);
    progress_->show();
    search_poll_.start();
}

void ConnectTab::poll_search() {
    if (search_after_close_) {
        if (controller_.session().closing()) {
            return;
        }
        search_after_close_ = false;
        search_poll_.stop();
        start_search();
        return;
    }
    DiscoveryService& discovery = controller_.session().discovery();
    const auto& rows = discovery.list().rows();
    for (int i = devices_->topLevelItemCount(); i < static_cast<int>(rows.size()); ++i) {
        const auto& row = rows[static_cast<size_t>(i)];
        devices_->addTopLevelItem(
            new QTreeWidgetItem({QString::fromStdString(row.address), QString::number(row.port)}));
    }
    // Two probes an address.
    progress_->setValue(std::min(kSweepLast, kSweepFirst + discovery.probes_sent() / 2));
    if (discovery.sweep_done() || !discovery.running()) {
        progress_->hide();
    }
    if (!discovery.running()) {
        search_poll_.stop();
    }
}

void ConnectTab::take_listed_device(int row) {
    const auto& rows = controller_.session().discovery().list().rows();
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return;
    }
    DeviceEndpoint endpoint = *DeviceEndpoint::parse(rows[static_cast<size_t>(row)].address);
    endpoint.port = rows[static_cast<size_t>(row)].port;
    const QString text = QString::fromStdString(endpoint.text());
    if (controller_.session().take_device_address(text.toStdString())) {
        ip_->setText(text);
        profile_.set_host_ip(text);
    }
}

void ConnectTab::take_typed_address() {
    const QString text = ip_->text().trimmed();
    if (controller_.session().take_device_address(text.toStdString())) {
        profile_.set_host_ip(text);
    }
}

void ConnectTab::toggle_connection() {
    if (controller_.state().system.connected != 0) {
        controller_.disconnect();
        return;
    }
    if (controller_.connect()) {
        emit connect_started();
    }
}

}  // namespace kestra
