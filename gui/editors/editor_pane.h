#pragma once

#include <QString>
#include <functional>

#include "controls/tiled_background.h"
#include "model/state_change.h"
#include "util/publisher.h"

class QTimer;

namespace kestra {

class BitmapFader;
class OperatorActions;
class DropListButton;
class NoticeSink;
class PngButton;
class ValueLabel;
struct DeviceState;

// What every editor pane shares: its path-named controls built on the page background, the
// channel it edits, a reload when the change stream says the channel's block changed (a
// control the operator holds keeps its place), and the 50 ms timer the drag rules need.
class EditorPane : public TiledBackground {
    Q_OBJECT

public:
    // Shows the pane for `channel` (zero-based) with every control loaded from the state.
    void show_channel(int channel);
    int channel() const { return channel_; }

protected:
    EditorPane(const QString& path, OperatorActions& surface, NoticeSink& notices, QWidget* parent);

    // Loads every control of the channel from the state.
    virtual void load() = 0;
    // Whether a change concerns this pane's block of its channel.
    virtual bool concerns(const StateChange& change) const = 0;
    // The 50 ms timer while shown.
    virtual void tick() {}
    // Each show, before the controls load.
    virtual void on_show() {}

    BitmapFader* add_slider(const QString& name, int minimum, int maximum, QRect at);
    ValueLabel* add_label(const QString& name, const QString& text, QRect at, int alignment = 0);
    PngButton* add_button(const QString& name, const QString& caption, QRect at);
    DropListButton* add_selector(const QString& name, int list_id, const QStringList& items,
                                 QRect at);
    // Moves a slider unless the operator holds it.
    static void follow(BitmapFader* slider, int position);
    // Calls `moved(position, released)` for a slider's moves and its release.
    void on_slider(BitmapFader* slider, std::function<void(int, bool)> moved);

    const QString& path() const { return path_; }

    OperatorActions& surface_;
    NoticeSink& notices_;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QString path_;
    int channel_ = 0;
    QTimer* timer_ = nullptr;
    Publisher<StateChange>::Subscription change_sub_;
};

}  // namespace kestra
