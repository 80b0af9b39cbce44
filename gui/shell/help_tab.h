#pragma once

#include <QWidget>

#include "firmware/firmware_updater.h"
#include "session/full_state_writer.h"
#include "util/publisher.h"

class QProgressBar;

namespace kestra {

class Console;
class PngButton;
class ValueLabel;

// The SYSTEM page's HELP tab: LOCAL writes the two firmware images into the processor (its
// question, the two version labels, the block progress, "Update successfully" or "update
// fail"); RECOVERY puts the factory values back and writes them while connected, its bar
// following the transfer. The maintenance lock refuses either while the other runs.
class HelpTab : public QWidget {
    Q_OBJECT

public:
    HelpTab(Console& controller, QWidget* parent);

    // Every wait of the update shortened by `scale` (0 < scale <= 1).
    void set_time_scale(double scale) { time_scale_ = scale; }

signals:
    // The factory values are in the state: the window returns to the CHANNEL page.
    void recovered();

private:
    void start_update();
    void start_recovery();
    void follow_updater();

    Console& controller_;
    double time_scale_ = 1.0;
    bool recovering_ = false;
    bool following_ = false;  // the updater is made on first use
    PngButton* local_ = nullptr;
    PngButton* recovery_ = nullptr;
    ValueLabel* current_ = nullptr;
    ValueLabel* local_version_ = nullptr;
    QProgressBar* update_progress_ = nullptr;
    QProgressBar* recovery_progress_ = nullptr;
    ValueLabel* recovery_label_ = nullptr;
    Publisher<UpdateProgress>::Subscription progress_sub_;
    Publisher<UpdateStatus>::Subscription status_sub_;
    Publisher<FullStateProgress>::Subscription transfer_sub_;
};

}  // namespace kestra
