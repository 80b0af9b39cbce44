#include "shell/show_tab.h"

#include <QCursor>
#include <QFontMetrics>
#include <QProgressBar>
#include <algorithm>

#include "controller/console.h"
#include "controls/cmenu_ex.h"
#include "controls/menu_resources.h"
#include "controls/name_dialog.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "operator/operator_attempt.h"
#include "skin/skin_font.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra {

namespace {

constexpr int kSide = 50;
constexpr int kGap = 8;
constexpr int kMargin = 6;
constexpr int kScenesLeft = 170;
constexpr int kRowStep = 60;

}  // namespace

int ShowTab::button_width() {
    const QFontMetrics metrics(skin::SkinFont::points(kCaptionSize));
    return std::max(kSide,
                    metrics.horizontalAdvance(QString::fromLatin1(kWidestCaption)) + 2 * kMargin);
}

ShowTab::ShowTab(Console& controller, NoticeSink& notices, QWidget* parent)
    : QWidget(parent), controller_(controller), notices_(notices) {
    const auto make = [this](const QString& name, const QString& caption, QRect at) {
        auto* b = new PngButton(this);
        b->setObjectName(name);
        b->set_images(skin::kPad, skin::kPadLit);
        b->setText(caption);
        b->set_caption_size(kCaptionSize);
        b->setGeometry(at);
        return b;
    };
    save_ = make(QStringLiteral("system.scene.save"), QStringLiteral("SAVE"),
                 QRect(100, 150, kSide, kSide));
    connect(save_, &PngButton::clicked, this, [this] {
        if (SceneActions* s = scenes()) {
            attempt(notices_, [s] { return s->save(); });
            refresh();
        }
    });
    const int width = button_width();
    const int step = width + kGap;
    for (int k = 0; k < kButtons; ++k) {
        PngButton* b =
            make(QStringLiteral("system.scene.%1").arg(k + 1), {},
                 QRect((k % 8) * step + kScenesLeft, (k / 8) * kRowStep + 150, width, kSide));
        b->hide();
        connect(b, &PngButton::clicked, this, [this, k] { open_menu(k); });
        buttons_[static_cast<size_t>(k)] = b;
    }
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("system.scene.progress"));
    progress_->setGeometry(kScenesLeft, 150 + 4 * kRowStep + 10, 8 * step - kGap, 16);
    progress_->setRange(0, FullStateWriter::kCommandCount);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setStyleSheet(QString::fromLatin1(skin::SkinPalette::progress_style()));
    progress_text_ = new ValueLabel(this);
    progress_text_->setObjectName(QStringLiteral("system.scene.progress.text"));
    progress_text_->setGeometry(kScenesLeft, 150 + 4 * kRowStep + 30, 8 * step - kGap, 20);
    progress_text_->set_alignment(ValueLabel::kNear);
    progress_text_->set_font_size(9);
    progress_sub_ =
        controller_.surface().full_state.progress().subscribe([this](const FullStateProgress& p) {
            // A finished or cut write leaves the bar empty, so a full bar never passes for one
            // still under way.
            progress_->setValue(p.running ? p.sent : 0);
            progress_text_->set_text(
                p.running ? QStringLiteral("Writing to the processor: %1 of %2 commands")
                                .arg(p.sent)
                                .arg(p.total)
                          : QString());
        });
}

SceneActions* ShowTab::scenes() {
    StoreSession* stores = controller_.stores_or_notice();
    if (stores == nullptr) {
        return nullptr;
    }
    follow_read_back(stores->scenes());
    return &stores->scenes();
}

// The scenes exist once the data folder opened, so the tab follows them from its first use.
void ShowTab::follow_read_back(SceneActions& scenes) {
    if (following_read_back_) {
        return;
    }
    following_read_back_ = true;
    ChangesRecall& recall = scenes.changes_recall();
    read_back_started_ = recall.started().subscribe([this](const std::string& title) {
        read_back_title_ = title;
        progress_text_->set_text(QStringLiteral("Reading back from the processor..."));
    });
    read_back_finished_ = recall.finished().subscribe([this](const ReadBackResult& r) {
        const std::string text = r.verified()
                                     ? read_back_title_ + " verified"
                                     : RecallReadBack::unverified_line(read_back_title_, r);
        progress_text_->set_text(QString::fromStdString(text));
    });
}

void ShowTab::refresh() {
    entries_.clear();
    if (SceneActions* s = scenes()) {
        entries_ = s->list();
    }
    for (size_t k = 0; k < buttons_.size(); ++k) {
        PngButton* b = buttons_[k];
        if (k < entries_.size()) {
            b->setText(QString::fromStdString(entries_[k].text()));
            b->show();
        } else {
            b->hide();
        }
    }
}

void ShowTab::open_menu(int button) {
    SceneActions* s = scenes();
    if (s == nullptr || button >= static_cast<int>(entries_.size())) {
        return;
    }
    const SceneEntry entry = entries_[static_cast<size_t>(button)];
    CMenuEx menu(this);
    menu.load(MenuResources::kPresetMenu);
    switch (menu.track(QCursor::pos())) {
        case MenuResources::kPresetName:
            if (const auto name =
                    NameDialog::ask(window(), QString::fromStdString(entry.name), notices_)) {
                attempt(notices_, [&] { return s->rename(entry.id, name->toStdString()); });
                refresh();
            }
            break;
        case MenuResources::kPresetRecall:
            // A scene gone meanwhile is told, and the list shows what is left.
            if (attempt(notices_, [&] { return s->recall_asking(entry.id); })) {
                emit recalled();
            } else {
                refresh();
            }
            break;
        case MenuResources::kPresetDelete:
            attempt(notices_, [&] { return s->remove(entry.id); });
            refresh();
            break;
        default:
            break;
    }
}

}  // namespace kestra
