#include "session/field_write_back.h"

namespace kestra {

std::vector<WriteStep> FieldWriteBack::steps(const std::vector<WriteStep>& order,
                                             const DeviceState& before, const DeviceState& after,
                                             const CommandContext& names) {
    return WriteSteps::drawable(WriteSteps::differing(order, before, after), names);
}

void FieldWriteBack::send(ActionContext& ctx, const std::vector<WriteStep>& steps) {
    if (!steps.empty()) {
        ctx.send(WriteSteps::encode_all(ctx.state(), steps, ctx.names()));
    }
}

std::vector<WriteStep> FieldWriteBack::write(ActionContext& ctx,
                                             const std::vector<WriteStep>& order,
                                             const DeviceState& before) {
    std::vector<WriteStep> out = steps(order, before, ctx.state(), ctx.names());
    send(ctx, out);
    return out;
}

}  // namespace kestra
