#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "actions/action_context.h"

namespace kestra {

// The copy of one block edit to the other members of the edited channel's control group.
// Each member gets the state copy; members below `send_limit` also get their commands while
// connected, and every member's last command is followed by `pause` on top of its frame gap.
struct MemberCopy {
    std::function<void(int member)> copy;
    std::function<DatagramList(int member)> encode;  // empty: the state copy only
    int send_limit = 0;
    std::chrono::milliseconds pause{10};
    StateChange::Scope scope = StateChange::Scope::Input;
    std::vector<StateChange::Block> blocks;  // what each member publishes
};

void copy_to_members(ActionContext& ctx, const std::vector<int>& members, const MemberCopy& how);

}  // namespace kestra
