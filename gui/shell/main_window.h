#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "model/state_change.h"
#include "protocol/device_endpoint.h"
#include "session/connection_status.h"
#include "session/level_feed.h"
#include "session/report_supervisor.h"
#include "shell/main_layout.h"
#include "strips/channel_strip.h"
#include "util/publisher.h"

class QScrollArea;

namespace kestra {

class DynamicsEditor;
class GroupButtons;
class GroupsPage;
class HeaderBar;
class OperatorDialogs;
class StripBank;
class Profile;
class Console;
class RoutingPage;
class SystemPage;
class TiledBackground;
struct ReadoutDisplay;

// The one window: page, bank and group buttons, the read-out, the connection status, and
// every page, strip and editor, all made once and hidden, on one scrolling canvas. It drives
// the controller's tick and binds its controls to the controller's actions.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "KESTRA-V 2.1";
    static constexpr const char* kCloseQuestion =
        "The settings are still being written to the processor. Close anyway?";
    static constexpr std::chrono::milliseconds kTick{50};
    static constexpr std::chrono::milliseconds kCloseLimit{2000};

    MainWindow(Console& controller, Profile& profile, OperatorDialogs& dialogs,
               std::optional<DeviceEndpoint> search_host);
    ~MainWindow() override;

    void select_bank(int bank);
    void select_page(Page page);
    void scroll_to_origin();
    // The connect press of the SYSTEM page, also used by --demo.
    void connect_device();
    void show_about();
    // The journal's undo and redo (Ctrl+Z, Ctrl+Shift+Z and the Menu button's entries).
    void undo();
    void redo();
    void show_journal();
    // Every wait of the firmware update shortened, for trials against the virtual processor.
    void set_firmware_time_scale(double scale);

    const MainLayout& layout_state() const { return layout_; }
    // True once the close sequence has let the window go.
    bool closed() const { return close_done_; }

signals:
    void first_painted();
    // The close sequence has ended and the window is gone.
    void finished();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_header();
    void build_views();
    void subscribe();
    void apply_layout();
    void show_connection(const ConnectionStatus& status);
    void show_foreign_senders();
    void show_readout(const ReadoutDisplay& display);
    void open_menu(const QPoint& global);
    void open_editor(int channel, StripEditor editor);
    void show_editor(QWidget* pane, QRect at, int channel);
    void show_channel_page();
    void show_overviews(const LevelView& view);
    void close_tick();

    Console& controller_;
    Profile& profile_;
    OperatorDialogs& dialogs_;
    MainLayout layout_;
    bool initialised_ = false;
    QTimer tick_;
    QTimer close_timer_;
    QElapsedTimer close_clock_;
    bool closing_ = false;
    bool close_done_ = false;
    bool painted_ = false;

    QScrollArea* scroll_ = nullptr;
    TiledBackground* canvas_ = nullptr;
    HeaderBar* header_ = nullptr;

    StripBank* strips_ = nullptr;
    QPointer<QWidget> journal_window_;
    StripEditor open_editor_ = StripEditor::Compressor;
    SystemPage* system_ = nullptr;
    QWidget* mode_ = nullptr;
    GroupsPage* groups_ = nullptr;
    RoutingPage* routing_ = nullptr;
    GroupButtons* group_buttons_ = nullptr;
    DynamicsEditor* compressor_ = nullptr;
    DynamicsEditor* limiter_ = nullptr;
    std::vector<QWidget*> input_editors_;   // compressor, PEQ, routing
    std::vector<QWidget*> output_editors_;  // limiter, GEQ

    Publisher<ReadoutDisplay>::Subscription readout_sub_;
    Publisher<ConnectionStatus>::Subscription connection_sub_;
    ConnectionStatus shown_connection_;
    Publisher<LevelView>::Subscription level_sub_;
    Publisher<uint64_t>::Subscription foreign_sub_;
};

}  // namespace kestra
