#pragma once

#include <bitset>
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include "actions/action_context.h"

namespace kestra {

// The copy of one block edit to the other members of the edited channel's control group.
// Each member gets the state copy; members below `send_limit` also get their commands while
// connected, and every member's last command is followed by `pause` on top of its frame gap.
struct MemberCopy {
    // The blocks a copy changed on one member, indexed by StateChange::Block; only those are
    // published, so the copy tells where it writes rather than being compared afterwards.
    using Changed = std::bitset<static_cast<std::size_t>(StateChange::Block::All) + 1>;
    static Changed changed(StateChange::Block block, bool wrote) {
        Changed c;
        c.set(static_cast<std::size_t>(block), wrote);
        return c;
    }

    std::function<Changed(int member)> copy;
    std::function<DatagramList(int member)> encode;  // empty: the state copy only
    int send_limit = 0;
    std::chrono::milliseconds pause{10};
    StateChange::Scope scope = StateChange::Scope::Input;
    std::vector<StateChange::Block> blocks;  // what each member may publish, in this order
};

void copy_to_members(ActionContext& ctx, const std::vector<int>& members, const MemberCopy& how);

}  // namespace kestra
