#pragma once

#include <QObject>
#include <vector>

#include "control/action_context.h"
#include "control/level_feed.h"
#include "protocol/reply_dispatcher.h"
#include "strips/channel_strip.h"
#include "util/publisher.h"

class QWidget;

namespace kestra {

class InputStrip;
class OutputStrip;

// All 80 channel strips and the two detail strips, made once, and what keeps them current:
// an action's change reloads the channel's strip, a full-state read every strip on screen, a
// fader report every fader not held by the operator, and each level report the meters and
// auto-mixer states of the strips on screen. Hidden strips load when they are next shown.
class StripBank : public QObject {
    Q_OBJECT

public:
    StripBank(ControlSurface& surface, NoticeSink& notices, QWidget* canvas);
    ~StripBank() override;

    // Reports and level views of the processor; the actions' changes are followed from the
    // start.
    void follow(Publisher<StateChange>& reports, Publisher<LevelView>& levels);

    InputStrip* input(int index) const { return inputs_.at(static_cast<size_t>(index)); }
    OutputStrip* output(int index) const { return outputs_.at(static_cast<size_t>(index)); }
    InputStrip* input_detail() const { return input_detail_; }
    OutputStrip* output_detail() const { return output_detail_; }
    // The eight strips of bank 1-10 (1-8 inputs, 9 MASTER, 10 DANTE).
    std::vector<ChannelStrip*> bank(int bank) const;
    void hide_all();

    void on_change(const ParameterChange& change);
    void on_report(const StateChange& change);
    void show_levels(const LevelView& view);

signals:
    void editor_requested(int channel, StripEditor editor);

private:
    std::vector<ChannelStrip*> all() const;
    void reload_shown(bool with_graph);

    std::vector<InputStrip*> inputs_;
    std::vector<OutputStrip*> outputs_;
    InputStrip* input_detail_ = nullptr;
    OutputStrip* output_detail_ = nullptr;
    Publisher<ParameterChange>::Subscription action_sub_;
    Publisher<StateChange>::Subscription report_sub_;
    Publisher<LevelView>::Subscription level_sub_;
};

}  // namespace kestra
