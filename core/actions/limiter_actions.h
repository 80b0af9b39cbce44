#pragma once

#include "actions/dynamics_actions.h"

namespace kestra {

// The limiter of outputs: "D" for all 16 outputs, sent while a slider moves and again at
// its release, copied to the outputs of an active group that links LIMIT. Read-out kinds
// 41-45 on channel 80 + output. Fields lim_on, lim_threshold 0-60, lim_ratio 10-100,
// lim_attack 1-250, lim_release 1-250, lim_gain 0-200.
class LimiterActions final : public DynamicsActions {
public:
    explicit LimiterActions(ActionContext& ctx);
    static const DynamicsBlock kBlock;
};

}  // namespace kestra
