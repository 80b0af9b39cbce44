#include "actions/routing_actions.h"

#include <stdexcept>
#include <string>

#include "actions/commit_row.h"
#include "protocol/command_encoder.h"

namespace kestra {

namespace {

void check(int value, int lo, int hi, const std::string& what) {
    if (value < lo || value > hi) {
        throw std::invalid_argument(what + " " + std::to_string(value) + " is outside " +
                                    std::to_string(lo) + ".." + std::to_string(hi));
    }
}

std::size_t at(int k) {
    return static_cast<std::size_t>(k);
}

}  // namespace

void RoutingActions::show(int input) {
    check(input, 0, kInputCount - 1, "input");
    input_ = input;
}

void RoutingActions::toggle_route(int route) {
    check(route, 0, kRouteCount - 1, "route");
    const int now = ctx_.state().input(input_).matrix_row[at(route)];
    set_route(input_, route, now != 0 ? 0 : 1);
}

void RoutingActions::set_route(int input, int route, int on) {
    check(input, 0, kInputCount - 1, "input");
    check(route, 0, kRouteCount - 1, "route");
    check(on, 0, 1, "matrix_row");
    send_and_copy(input, route,
                  ActionContext::store(ctx_.state().input(input).matrix_row[at(route)], on));
}

void RoutingActions::toggle_all() {
    all_open_ = !all_open_;
    ctx_.state().input(input_).matrix_row.fill(all_open_ ? 1 : 0);
    // The toggle itself flipped, also where the routes were already so.
    send_and_copy(input_, -1, true);
}

void RoutingActions::send_and_copy(int input, int route, bool wrote) {
    DeviceState& state = ctx_.state();
    ctx_.send(encode_matrix_row(state, input + 1));
    const auto& row = state.input(input).matrix_row;
    const std::vector<int> members = ctx_.active_groups().input_peers(input, kLinkMatrix);
    std::vector<int> moved;  // the members whose row the copy changed
    for (int m : members) {
        auto& member_row = state.input(m).matrix_row;
        const bool copied = route < 0 ? ActionContext::store(member_row, row)
                                      : ActionContext::store(member_row[at(route)], row[at(route)]);
        if (copied) {
            moved.push_back(m);
        }
        ctx_.send(encode_matrix_row(state, m + 1));
    }
    ctx_.changed_if(wrote, {StateChange::Scope::Input, input, StateChange::Block::Matrix});
    for (int m : moved) {
        ctx_.changed_if(true, {StateChange::Scope::Input, m, StateChange::Block::Matrix});
    }
}

bool RoutingActions::commit_field(FieldTarget target, int index, const FieldPath& field,
                                  int value) {
    const CommitRow found = CommitRow::find(target, index, field);
    if (!found.in({StateChange::Block::Matrix})) {
        return false;
    }
    if (field.index < 0) {
        throw std::invalid_argument("matrix_row needs a route index 0..15");
    }
    found.check_on_channel(value, "matrix_row");
    set_route(index, field.index, value);
    return true;
}

}  // namespace kestra
