#include "control/changes_recall.h"

#include <algorithm>

#include "control/full_state_writer.h"
#include "model/state_fields.h"

namespace kestra {

namespace {

using Block = StateChange::Block;

// The read request and the processor's reply of the whole state, on top of the commands.
constexpr std::chrono::milliseconds kReadBackTime{100};

const StateChange kEverything{StateChange::Scope::Everything, StateChange::kEvery, Block::All};

}  // namespace

ChangesRecall::ChangesRecall(ActionContext& context)
    : ctx_(context),
      subscription_(context.changes().subscribe([this](const StateChange& c) { observe(c); })) {}

std::vector<WriteStep> ChangesRecall::steps_for(const DeviceState& scene) const {
    return WriteSteps::drawable(
        WriteSteps::differing(WriteSteps::whole(FullStateWriter::kRecallNamePause), ctx_.state(),
                              scene),
        ctx_.names());
}

std::chrono::milliseconds ChangesRecall::estimate(const std::vector<WriteStep>& steps) const {
    return WriteSteps::planned(steps) + kReadBackTime;
}

bool ChangesRecall::start(const DeviceState& scene) {
    if (running() || !ctx_.fresh_read()) {
        return false;
    }
    const std::vector<WriteStep> steps = steps_for(scene);
    result_ = ChangesRecallResult{
        static_cast<int>(steps.size()), FullStateWriter::kCommandCount, false, {}};
    ctx_.state() = scene;
    ctx_.active_groups() = ActiveGroups{};
    {
        const ActionContext::OriginScope recalled(ctx_, ChangeOrigin::Recall);
        ctx_.changed(kEverything, ActionContext::Publish::Always);
    }
    ctx_.send(WriteSteps::encode_all(ctx_.state(), steps, ctx_.names()));
    ctx_.send(encode_read_all());
    scene_ = std::make_unique<DeviceState>(scene);
    read_arrived_ = false;
    ctx_.expect_read_back(true);
    deadline_ = ctx_.clock().now() + WriteSteps::planned(steps) + kReadBackLimit;
    return true;
}

void ChangesRecall::observe(const StateChange& change) {
    if (!running()) {
        return;
    }
    if (change.origin == ChangeOrigin::FullStateRead && !read_arrived_) {
        read_arrived_ = true;
        verify();
        deadline_ = ctx_.clock().now() + kReplyWait;
    } else if (change.block == Block::Connection && change.from_processor()) {
        if (!ctx_.connected()) {
            end(read_arrived_);
        } else if (read_arrived_) {
            store_scene();
            end(true);
        }
    }
}

void ChangesRecall::tick() {
    if (running() && ctx_.clock().now() >= deadline_) {
        end(read_arrived_);
    }
}

// The state now holds what the processor read back; what a command carries differently
// from the scene is written again.
void ChangesRecall::verify() {
    const DeviceState& read = ctx_.state();
    const std::vector<WriteStep> again = WriteSteps::drawable(
        WriteSteps::differing(WriteSteps::whole(FullStateWriter::kRecallNamePause), read, *scene_),
        ctx_.names());
    if (!again.empty()) {
        const NameCodec fallback;
        const NameCodec& codec = ctx_.names().codec != nullptr ? *ctx_.names().codec : fallback;
        const SceneDiff diff = SceneDiff::between(read, *scene_, codec);
        for (const SceneDiffEntry& e : diff.entries()) {
            const auto carried = [&e](const WriteStep& s) {
                return WriteSteps::carries(s, e.unit, e.path);
            };
            if (std::any_of(again.begin(), again.end(), carried)) {
                result_.differed.push_back(e);
            }
        }
    }
    store_scene();
    ctx_.send(WriteSteps::encode_all(ctx_.state(), again, ctx_.names()));
}

void ChangesRecall::store_scene() {
    for (int u = 0; u < StateFields::kUnitCount; ++u) {
        StateFields::copy_unit(ctx_.state(), *scene_, u);
    }
    const ActionContext::OriginScope read(ctx_, ChangeOrigin::FullStateRead);
    ctx_.changed(kEverything, ActionContext::Publish::Always);
}

void ChangesRecall::end(bool read_back) {
    result_.read_back = read_back;
    ctx_.expect_read_back(false);
    scene_.reset();
    if (!read_back) {
        ctx_.notice(kNoReadBack);
    } else if (!result_.differed.empty()) {
        std::vector<std::string> lines;
        for (const SceneDiffEntry& e : result_.differed) {
            lines.push_back(e.text());
        }
        ctx_.notice(std::to_string(result_.differed.size()) + kDiffered +
                    listed_lines(lines, kListed));
    }
    finished_.publish(result_);
}

}  // namespace kestra
