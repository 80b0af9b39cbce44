#pragma once

#include <QWidget>
#include <array>
#include <optional>

#include "protocol/device_endpoint.h"

namespace kestra {

class ConnectTab;
class HelpTab;
class NoticeSink;
class ShowTab;
class PngButton;
class Profile;
class Console;

// The SYSTEM page: its tab buttons and one pane per tab. Showing a tab hides the others.
class SystemPage : public QWidget {
    Q_OBJECT

public:
    static constexpr std::array<const char*, 4> kTabs{"CONNECT", "SHOW", "HELP", "DISPLAY"};

    SystemPage(Console& controller, Profile& profile, std::optional<DeviceEndpoint> search_host,
               NoticeSink& notices, QWidget* parent);

    ConnectTab& connect_tab() { return *connect_; }
    ShowTab& show_tab() { return *show_; }
    HelpTab& help_tab() { return *help_; }
    void select_tab(int tab);
    int tab() const { return tab_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::array<PngButton*, kTabs.size()> buttons_{};
    std::array<QWidget*, kTabs.size()> panes_{};
    ConnectTab* connect_ = nullptr;
    ShowTab* show_ = nullptr;
    HelpTab* help_ = nullptr;
    int tab_ = 0;
};

}  // namespace kestra
