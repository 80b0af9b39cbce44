#pragma once

#include <array>

#include "actions/routing_actions.h"
#include "controls/tiled_background.h"
#include "util/publisher.h"

namespace kestra {

class OperatorActions;
class PngButton;
class ValueLabel;

// The per-channel routing page beside the input detail strip: the 16 routes of one input,
// captioned with the outputs' names, and ALL OPEN/CLOSE. Clicks go to the routing actions,
// which also copy them to a MATRIX-linked control group; the buttons follow the state.
class RoutingPage : public TiledBackground {
    Q_OBJECT

public:
    explicit RoutingPage(OperatorActions& surface, QWidget* parent = nullptr);
    ~RoutingPage() override;

    // The MATRIX button of input `input` (zero-based) opened the page.
    void show_channel(int input);
    int channel() const;
    void load();

private:
    void on_change(const StateChange& change);

    OperatorActions& surface_;
    PngButton* all_ = nullptr;
    std::array<PngButton*, RoutingActions::kRouteCount> routes_{};
    std::array<ValueLabel*, RoutingActions::kRouteCount> names_{};
    Publisher<StateChange>::Subscription change_sub_;
};

}  // namespace kestra
