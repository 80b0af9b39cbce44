#include "recall/changes_recall.h"

#include "session/field_write_back.h"
#include "session/full_state_writer.h"

namespace kestra {

namespace {

// The read request and the processor's reply of the whole state, on top of the commands.
constexpr std::chrono::milliseconds kReadBackTime{100};

const StateChange kEverything{StateChange::Scope::Everything, StateChange::kEvery,
                              StateChange::Block::All};

}  // namespace

ChangesRecall::ChangesRecall(ActionContext& context) : ctx_(context), read_back_(context) {}

std::vector<WriteStep> ChangesRecall::steps_for(const DeviceState& scene) const {
    return FieldWriteBack::steps(WriteSteps::whole(FullStateWriter::kRecallNamePause), ctx_.state(),
                                 scene, ctx_.names());
}

std::chrono::milliseconds ChangesRecall::estimate(const std::vector<WriteStep>& steps) const {
    return WriteSteps::planned(steps) + kReadBackTime;
}

bool ChangesRecall::start(const DeviceState& scene, const std::string& title) {
    if (running() || !ctx_.fresh_read()) {
        return false;
    }
    const std::vector<WriteStep> steps = steps_for(scene);
    ctx_.state() = scene;
    ctx_.active_groups() = ActiveGroups{};
    {
        const ActionContext::OriginScope recalled(ctx_, ChangeOrigin::Recall);
        ctx_.changed(kEverything);
    }
    FieldWriteBack::send(ctx_, steps);
    return read_back_.start(scene, kScene, title, static_cast<int>(steps.size()),
                            WriteSteps::planned(steps));
}

bool ChangesRecall::check(const DeviceState& scene, int sent, const std::string& title) {
    return read_back_.start(scene, kScene, title, sent, std::chrono::milliseconds{0});
}

}  // namespace kestra
