#pragma once

#include <QObject>
#include <vector>

#include "actions/action_context.h"
#include "model/state_change.h"
#include "session/level_feed.h"
#include "strips/channel_strip.h"
#include "util/publisher.h"

class QWidget;

namespace kestra {

class InputStrip;
class OutputStrip;

// All 80 channel strips and the two detail strips, made once, and what keeps them current
// from the one change stream: a change of a channel reloads its strip, a full-state read or a
// connect reply every strip on screen, a fader report every fader the operator does not hold,
// and each level view the meters and auto-mixer states of the strips on screen. Hidden strips
// load when they are next shown.
class StripBank : public QObject {
    Q_OBJECT

public:
    StripBank(OperatorActions& surface, NoticeSink& notices, QWidget* canvas);
    ~StripBank() override;

    // The level views of the processor's reports, and the feed's current view, which every
    // strip reads when it loads; the change stream is followed from the start.
    void follow(Publisher<LevelView>& levels, const LevelView& current);

    InputStrip* input(int index) const { return inputs_.at(static_cast<size_t>(index)); }
    OutputStrip* output(int index) const { return outputs_.at(static_cast<size_t>(index)); }
    InputStrip* input_detail() const { return input_detail_; }
    OutputStrip* output_detail() const { return output_detail_; }
    // The eight strips of bank 1-10 (1-8 inputs, 9 MASTER, 10 DANTE).
    std::vector<ChannelStrip*> bank(int bank) const;
    void hide_all();

    void on_change(const StateChange& change);
    void show_levels(const LevelView& view);

signals:
    void editor_requested(int channel, StripEditor editor);

private:
    void reload_shown(bool with_graph);

    std::vector<InputStrip*> inputs_;
    std::vector<OutputStrip*> outputs_;
    InputStrip* input_detail_ = nullptr;
    OutputStrip* output_detail_ = nullptr;
    std::vector<ChannelStrip*> all_;  // the 80 strips and the two detail strips
    Publisher<StateChange>::Subscription change_sub_;
    Publisher<LevelView>::Subscription level_sub_;
};

}  // namespace kestra
