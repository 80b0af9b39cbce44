#include "shell/help_tab.h"

#include <QProgressBar>
#include <filesystem>

#include "controller/console.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "firmware/firmware_image.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra {

namespace {

QProgressBar* make_bar(QWidget* parent, const QString& name, QRect at) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setGeometry(at);
    bar->setTextVisible(false);
    bar->setStyleSheet(QString::fromLatin1(skin::SkinPalette::progress_style()));
    bar->setRange(0, 1);
    bar->setValue(0);
    return bar;
}

ValueLabel* make_label(QWidget* parent, const QString& name, const QString& text, QRect at) {
    auto* l = new ValueLabel(parent);
    l->setObjectName(name);
    l->set_text(text);
    l->set_alignment(ValueLabel::kNear);
    l->set_font_size(10);
    l->setGeometry(at);
    return l;
}

}  // namespace

HelpTab::HelpTab(Console& controller, QWidget* parent) : QWidget(parent), controller_(controller) {
    const auto button = [this](const QString& name, const QString& caption, QRect at) {
        auto* b = new PngButton(this);
        b->setObjectName(name);
        b->set_images(skin::kButton, skin::kButtonLit);
        b->setText(caption);
        b->setGeometry(at);
        return b;
    };
    local_ =
        button(QStringLiteral("system.local"), QStringLiteral("LOCAL"), QRect(100, 120, 140, 36));
    recovery_ = button(QStringLiteral("system.recovery"), QStringLiteral("RECOVERY"),
                       QRect(100, 300, 140, 36));
    current_ = make_label(this, QStringLiteral("system.version.current"),
                          QStringLiteral("Current version："), QRect(270, 110, 300, 24));
    local_version_ = make_label(this, QStringLiteral("system.version.local"),
                                QStringLiteral("Local version："), QRect(270, 136, 300, 24));
    update_progress_ =
        make_bar(this, QStringLiteral("system.update.progress"), QRect(100, 180, 470, 16));
    recovery_progress_ =
        make_bar(this, QStringLiteral("system.recovery.progress"), QRect(100, 360, 470, 16));
    recovery_progress_->setRange(0, FullStateWriter::kCommandCount);
    recovery_label_ =
        make_label(this, QStringLiteral("system.recovery.label"),
                   QStringLiteral("Resetting,please wait."), QRect(270, 306, 300, 24));
    recovery_progress_->hide();
    recovery_label_->hide();
    connect(local_, &PngButton::clicked, this, &HelpTab::start_update);
    connect(recovery_, &PngButton::clicked, this, &HelpTab::start_recovery);
    transfer_sub_ =
        controller_.surface().full_state.progress().subscribe([this](const FullStateProgress& p) {
            if (!recovering_) {
                return;
            }
            recovery_progress_->setValue(p.sent);
            if (!p.running) {
                recovering_ = false;
                recovery_progress_->hide();
                recovery_label_->hide();
                emit recovered();
            }
        });
}

void HelpTab::follow_updater() {
    if (following_) {
        return;
    }
    following_ = true;
    FirmwareUpdater& updater = controller_.firmware();
    progress_sub_ = updater.progress().subscribe([this](const UpdateProgress& p) {
        update_progress_->setRange(0, static_cast<int>(p.total));
        update_progress_->setValue(static_cast<int>(p.sent));
    });
    status_sub_ = updater.status().subscribe([this](const UpdateStatus& s) {
        if (s.phase == UpdateStatus::Phase::Finished) {
            update_progress_->setValue(0);  // the job is over, whatever it reached
        }
        if (s.phase == UpdateStatus::Phase::Versions) {
            current_->set_text(QString::fromStdString(s.current_version));
            local_version_->set_text(QString::fromStdString(s.local_version));
        }
    });
}

void HelpTab::start_update() {
    follow_updater();
    FirmwareUpdater::Settings settings;
    settings.local_port = controller_.settings().session.control_port;
    settings.device = controller_.session().device();
    settings.image_folders = FirmwareImage::search_folders(controller_.data_folder(),
                                                           FirmwareImage::running_program_folder());
    settings.timing = UpdateTiming{}.scaled(time_scale_);
    update_progress_->setValue(0);
    controller_.firmware().start_local_update(settings);
}

void HelpTab::start_recovery() {
    if (!controller_.surface().recovery.start_recovery()) {
        return;
    }
    if (controller_.surface().full_state.running()) {
        recovering_ = true;  // the bar follows the transfer to its end
        recovery_progress_->setValue(0);
        recovery_progress_->show();
        recovery_label_->show();
    } else {
        emit recovered();  // offline: the factory values are in the state already
    }
}

}  // namespace kestra
