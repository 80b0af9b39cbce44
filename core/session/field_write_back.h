#pragma once

#include <vector>

#include "actions/action_context.h"
#include "session/write_steps.h"

namespace kestra {

// Writing fields that the state already holds back to the processor: the commands of an
// order of steps that carry a field differing from an earlier state, with that order's
// pauses. Undo, the recall of the changes and the read-back's rewrite send through it, so
// that the three send alike and leave out the names no glyph renderer can draw.
class FieldWriteBack {
public:
    // The steps of `order` whose command differs between `before` and `after`.
    static std::vector<WriteStep> steps(const std::vector<WriteStep>& order,
                                        const DeviceState& before, const DeviceState& after,
                                        const CommandContext& names);
    // Sends `steps` as the context's state holds them now.
    static void send(ActionContext& ctx, const std::vector<WriteStep>& steps);
    // Sends the steps of `order` that the context's state changed since `before`.
    static std::vector<WriteStep> write(ActionContext& ctx, const std::vector<WriteStep>& order,
                                        const DeviceState& before);
};

}  // namespace kestra
