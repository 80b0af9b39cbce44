#include "shell/system_page.h"

#include "controls/png_button.h"
#include "shell/connect_tab.h"
#include "shell/display_tab.h"
#include "shell/help_tab.h"
#include "shell/show_tab.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

constexpr QRect kPane{0, 52, 1100, 600};

}  // namespace

SystemPage::SystemPage(Console& controller, Profile& profile,
                       std::optional<DeviceEndpoint> search_host, NoticeSink& notices,
                       QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("system"));
    for (size_t i = 0; i < kTabs.size(); ++i) {
        const QString tab = QString::fromLatin1(kTabs[i]);
        auto* b = new PngButton(this);
        b->setObjectName(QStringLiteral("system.tab.") + tab);
        b->set_images(skin::kPageTab, skin::kPageTabLit);
        b->setText(tab);
        b->set_caption_size(8.5);
        b->setGeometry(10 + static_cast<int>(i) * 126, 8, 120, 32);
        connect(b, &PngButton::clicked, this, [this, i] { select_tab(static_cast<int>(i)); });
        buttons_[i] = b;
        if (i == 0) {
            connect_ = new ConnectTab(controller, profile, search_host, this);
            panes_[i] = connect_;
        } else if (i == 1) {
            show_ = new ShowTab(controller, notices, this);
            panes_[i] = show_;
        } else if (i == 2) {
            help_ = new HelpTab(controller, this);
            panes_[i] = help_;
        } else {
            panes_[i] = new DisplayTab(controller, this);
        }
        panes_[i]->setObjectName(QStringLiteral("system.pane.") + tab);
        panes_[i]->setGeometry(kPane);
    }
    select_tab(0);
}

void SystemPage::select_tab(int tab) {
    tab_ = tab;
    if (tab == 1) {
        show_->refresh();
    }
    for (size_t i = 0; i < kTabs.size(); ++i) {
        panes_[i]->setVisible(static_cast<int>(i) == tab);
        buttons_[i]->set_lit(static_cast<int>(i) == tab);
    }
}

void SystemPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    connect_->refresh();
    select_tab(0);
}

}  // namespace kestra
