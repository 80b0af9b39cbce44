#pragma once

#include <QTimer>
#include <QWidget>
#include <optional>

#include "protocol/device_endpoint.h"

class QProgressBar;
class QTreeWidget;

namespace kestra {

class EntryEdit;
class PngButton;
class Profile;
class Console;
class ValueLabel;

// The CONNECT tab of the SYSTEM page: the device search with its list, the "IP:" field, and
// connect, disconnect and offline. It shows what the session has; the window tells it when
// the connection changes.
class ConnectTab : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kVersionFormat = "Current version\uff1a%1";
    // The search takes the control port, so while connected or connecting it would end the
    // control of the room without telling the processor.
    static constexpr const char* kSearchQuestion =
        "Searching ends the connection to the processor. Search anyway?";

    ConnectTab(Console& controller, Profile& profile, std::optional<DeviceEndpoint> search_host,
               QWidget* parent);

    // The SYSTEM page was shown: the address, the version and the connect button afresh.
    void refresh();
    void show_connected(bool connected);

signals:
    // A connect press started an attempt.
    void connect_started();
    void offline_pressed();

private:
    void build();
    // While connected or connecting the operator is asked first; OK disconnects as DISCONNECT
    // does and the sweep starts once the socket has closed behind the last frame.
    void search();
    void start_search();
    void poll_search();
    void take_listed_device(int row);
    void take_typed_address();
    void toggle_connection();

    Console& controller_;
    Profile& profile_;
    std::optional<DeviceEndpoint> search_host_;
    QTimer search_poll_;
    bool search_after_close_ = false;
    PngButton* search_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTreeWidget* devices_ = nullptr;
    EntryEdit* ip_ = nullptr;
    PngButton* ip_ok_ = nullptr;
    PngButton* connect_ = nullptr;
    PngButton* offline_ = nullptr;
    ValueLabel* version_ = nullptr;
};

}  // namespace kestra
