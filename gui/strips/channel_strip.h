#pragma once

#include <QColor>
#include <QString>
#include <string>
#include <vector>

#include "controls/tiled_background.h"
#include "params/level_law.h"
#include "strips/channel_side.h"

namespace kestra {

class BitmapFader;
class OperatorActions;
class DropListButton;
class LevelMeter;
class NoticeSink;
class PngButton;
class StripGraph;
class ValueLabel;
struct DeviceState;
struct LevelView;

// The editors a strip's buttons open.
enum class StripEditor { Compressor, Peq, Routing, Limiter, Geq };

// What both strip kinds share: the volume fader with its meter, MUTE, the name button with
// its rename menu, the name label, the small response graph, the tiled background with its
// group frame, all worked through the strip's ChannelSide, and the layout rule (every control keeps
// its height and is centred across the strip; the graph spans the strip less 4 pixels a side; fader
// and meter are centred as a pair). Operator input goes to the strip actions; what the state holds
// comes back through reload().
class ChannelStrip : public TiledBackground {
    Q_OBJECT
    // The frame colour for the script driver's checks.
    Q_PROPERTY(QColor frame READ frame_colour)

public:
    static constexpr int kMaxVolume = LevelLaw::kMaxVolume;

    // Shows the strip for `channel` (zero-based) with every control loaded from the state.
    void show_channel(int channel);
    int channel() const { return channel_; }
    // Only names the channel; the controls load on the next show.
    void set_channel(int channel) { channel_ = channel; }
    // Loads every control from the state; a fader the operator holds keeps its thumb. The
    // graph is recomputed only when asked, as an EQ change needs it and a fader move does not.
    void reload(bool with_graph = true);
    // Only the fader, as after a fader report; a held fader is left alone.
    void follow_volume();
    void set_meter(int value);
    // The level feed's view, read on every load for the meter (and ACTIVE), so a strip shown
    // after the reports stopped does not bring back what it showed then. Null: left alone.
    void set_level_source(const LevelView* levels) { levels_ = levels; }
    // The meter; a kind with more from the reports adds it.
    virtual void show_levels(const LevelView& view);
    void set_frame_colour(QColor colour);
    QColor frame_colour() const { return frame_; }

    BitmapFader* fader() const { return fader_; }
    const QString& path() const { return path_; }
    const ChannelSide& side() const { return side_; }

signals:
    void editor_requested(int channel, StripEditor editor);

protected:
    ChannelStrip(const QString& path, ChannelSide side, OperatorActions& surface,
                 NoticeSink& notices, QWidget* parent);

    // The strip kind's own controls, after the shared ones have loaded.
    virtual void load_controls(const DeviceState& state, bool with_graph) = 0;

    // Building blocks for the kinds; each child is named PATH.NAME and placed at `y` in the
    // template's coordinates, `height` high and `width` wide, centred across the strip.
    PngButton* add_button(const QString& name, const QString& caption, int y, int height = 24);
    DropListButton* add_selector(const QString& name, int list_id, const QStringList& items, int y);
    ValueLabel* add_label(const QString& name, const QString& text, int y);
    void place(QWidget* widget, int y, int width, int height);
    // The fader and its meter, the graph, MUTE, the name label and the name button.
    void add_common(int graph_y, int name_label_y, int fader_y, int mute_y, int name_y);

    OperatorActions& surface_;
    const LevelView* levels_ = nullptr;
    NoticeSink& notices_;
    PngButton* mute_ = nullptr;
    PngButton* name_button_ = nullptr;
    ValueLabel* name_label_ = nullptr;
    StripGraph* graph_ = nullptr;
    LevelMeter* meter_ = nullptr;

    // A stored name as the operator reads it.
    QString shown_name(const std::string& legacy) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placement {
        QWidget* widget;
        int y;
        int width;
        int height;
    };

    void load_shared(const DeviceState& state);
    QString short_name() const;
    void open_rename_menu();
    void on_fader(int position);
    void lay_out();

    QString path_;
    ChannelSide side_;
    QColor frame_;
    int channel_ = 0;
    BitmapFader* fader_ = nullptr;
    int fader_y_ = 0;
    std::vector<Placement> placements_;
};

}  // namespace kestra
