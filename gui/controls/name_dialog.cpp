#include "controls/name_dialog.h"

#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <memory>

#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/skinned_box.h"
#include "controls/tiled_background.h"
#include "controls/value_label.h"
#include "protocol/frame_sink.h"
#include "skin/skin_font.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"
#include "text/channel_name_rule.h"

namespace kestra {

NameDialog::NameDialog(QWidget* parent)
    : QDialog(parent),
      ok_(new PngButton(this)),
      cancel_(new PngButton(this)),
      caption_(new ValueLabel(this)),
      entry_(new EntryEdit(this)),
      room_(new ValueLabel(this)) {
    SkinnedBox::dress(*this, QStringLiteral("NAME"));
    setFixedSize(280, 146);
    caption_->setGeometry(16, 14, 248, 22);
    caption_->set_text(QStringLiteral("NAME:"));
    caption_->set_font_size(10);
    caption_->set_alignment(ValueLabel::kCentre);

    entry_->setGeometry(20, 42, 240, 30);
    entry_->set_length_limit(kEntryLengthLimit);
    entry_->set_background_colour(Qt::white);
    entry_->setFont(skin::SkinFont::pixels(20));
    entry_->setTextMargins(6, 0, 6, 0);
    entry_->set_text_colour(skin::SkinPalette::display());
    entry_->set_owner_tag(0);

    room_->setGeometry(20, 74, 240, 18);
    room_->set_font_size(8);
    room_->set_alignment(ValueLabel::kFar);

    for (PngButton* button : {ok_, cancel_}) {
        button->set_mode(PngButton::kPushLook);
        button->set_images(skin::kButton, skin::kButtonLit);
        button->set_caption_size(9);
    }
    ok_->setText(QStringLiteral("OK"));
    cancel_->setText(QStringLiteral("Cancel"));
    ok_->setGeometry(30, 104, 100, 26);
    cancel_->setGeometry(150, 104, 100, 26);
    connect(ok_, &PngButton::clicked, this, &NameDialog::confirm);
    connect(entry_, &EntryEdit::enter_pressed, this, &NameDialog::confirm);
    connect(entry_, &QLineEdit::textChanged, this, &NameDialog::show_room);
    show_room();
    connect(cancel_, &PngButton::clicked, this, &QDialog::reject);
    entry_->setFocus();
}

void NameDialog::set_name(const QString& name) {
    entry_->setText(name);
}

QString NameDialog::name() const {
    return entry_->text();
}

std::optional<QString> NameDialog::run(const QString& current_name) {
    set_name(current_name);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return name();
}

std::optional<QString> NameDialog::ask(QWidget* parent, const QString& current_name,
                                       NoticeSink& notices) {
    NameDialog dialog(parent);
    dialog.set_notices(notices);
    return dialog.run(current_name);
}

void NameDialog::confirm() {
    QByteArray utf8 = name().toUtf8();
    if (channel_name_fits(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())))) {
        accept();
        return;
    }
    if (notices_) {
        notices_->notice(kChannelNameTooLong, NoticeSink::kCaption);
        return;
    }
    const std::unique_ptr<QMessageBox> box(
        SkinnedBox::make(QMessageBox::Warning, QString::fromLatin1(NoticeSink::kCaption),
                         QString::fromUtf8(kChannelNameTooLong), QMessageBox::Ok, this));
    box->exec();
}

// The box takes a little more than the rule allows (the refusal says why), so the count can
// go below zero; it then says by how much the name is over.
void NameDialog::show_room() {
    const QByteArray utf8 = name().toUtf8();
    const int left =
        kMaxChannelNameChars -
        utf8_char_count(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    room_->set_text(left >= 0 ? QStringLiteral("%1 left").arg(left)
                              : QStringLiteral("%1 too many").arg(-left));
}

void NameDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    TiledBackground::paint_tiles(painter, event->rect(), skin::kPageBackground,
                                 devicePixelRatioF());
}

}  // namespace kestra
