#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/device_state.h"
#include "model/state_change.h"

namespace kestra {

// Tells whether an action's change shows its views anything new. Views re-read a block when
// it is published, so each block is compared with what it held when it was last published;
// a write that published nothing (a fader report while offline) is nothing a view shows
// either. A block published for the first time passes, and so does one the filter cannot
// compare: every channel at once, the whole state, group membership and activation (the
// strips' copies live beside the state) and the connection.
class ChangeFilter {
public:
    explicit ChangeFilter(const DeviceState& state) : state_(state) {}
    ChangeFilter(const ChangeFilter&) = delete;
    ChangeFilter& operator=(const ChangeFilter&) = delete;

    bool differs(const StateChange& change) const;

    // Every change published on the stream, by any publisher: notes the block as it is now
    // and forgets each block that the change may have left stale.
    void published(const StateChange& change);

private:
    using Fields = std::vector<int32_t>;

    void forget_covered(const StateChange& change);

    const DeviceState& state_;
    std::unordered_map<uint32_t, Fields> shown_;
};

}  // namespace kestra
