#pragma once

#include "actions/dynamics_actions.h"

namespace kestra {

// The compressor of inputs: "C" for inputs 1-32 only, sent at a slider's release (not while
// it moves), copied to the inputs of an active group that links COMP. Read-out kinds 54-58.
// Fields comp_on, comp_threshold 0-60, comp_ratio 10-100, comp_attack 1-250,
// comp_release 20-250, comp_gain 0-200.
class CompressorActions final : public DynamicsActions {
public:
    explicit CompressorActions(ActionContext& ctx);
    static const DynamicsBlock kBlock;
};

}  // namespace kestra
