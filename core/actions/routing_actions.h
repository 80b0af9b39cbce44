#pragma once

#include "actions/action_context.h"
#include "actions/field_committer.h"

namespace kestra {

// The per-channel routing page: the 16 routes of one input and its ALL OPEN/CLOSE toggle.
// A change is sent as the input's "B" and copied, with the MATRIX link of the input's active
// control group, to the other members in stored order, each with its own "B".
class RoutingActions final : public FieldCommitter {
public:
    static constexpr int kRouteCount = kOutputCount;

    explicit RoutingActions(ActionContext& context) : ctx_(context) {}

    // The page is shown for `input`; the ALL toggle keeps its state from the last channel.
    void show(int input);
    int shown_input() const { return input_; }
    bool all_open() const { return all_open_; }

    // A click on route `route` of the shown input.
    void toggle_route(int route);
    // Sets route `route` of `input` to `on` as a click that leaves it so would.
    void set_route(int input, int route, int on);
    // The ALL OPEN/CLOSE click: flips its own toggle and sets all 16 routes to it.
    void toggle_all();

    // matrix_row[k] of an input.
    bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) override;

private:
    // Sends the input's row, then copies route `route` (every route when negative) to the
    // group peers and sends theirs. `wrote`: the input's own row changed, or is to be shown
    // as if it had.
    void send_and_copy(int input, int route, bool wrote);

    ActionContext& ctx_;
    int input_ = 0;
    bool all_open_ = false;
};

}  // namespace kestra
