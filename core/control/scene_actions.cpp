#include "control/scene_actions.h"

#include <stdexcept>

#include "model/state_image.h"
#include "text/channel_name_rule.h"

namespace kestra {

namespace {

void check_name(const std::string& name) {
    if (!channel_name_fits(name)) {
        throw std::invalid_argument(kChannelNameTooLong);
    }
}

}  // namespace

void SceneActions::check_known(StoreResult result, int id) const {
    if (result == StoreResult::Missing) {
        throw std::invalid_argument("no scene " + std::to_string(id));
    }
}

std::vector<SceneEntry> SceneActions::list() {
    std::vector<SceneEntry> rows = library_.list().value_or(std::vector<SceneEntry>{});
    if (rows.size() > static_cast<std::size_t>(kMaxScenes)) {
        rows.resize(kMaxScenes);
    }
    return rows;
}

std::optional<SceneEntry> SceneActions::save(const std::optional<std::string>& name) {
    if (name) {
        check_name(*name);
    }
    const std::optional<int> highest = library_.highest_id();
    if (!highest || *highest >= kMaxScenes) {
        return std::nullopt;
    }
    const int id = *highest + 1;
    return library_.add(id, name.value_or(default_name(id)),
                        StateImage::encode_scene(context_.state()));
}

bool SceneActions::rename(int id, const std::string& name) {
    check_name(name);
    const StoreResult r = library_.rename(id, name);
    check_known(r, id);
    return r == StoreResult::Done;
}

bool SceneActions::remove(int id) {
    if (!context_.ask(kDeleteQuestion)) {
        return false;
    }
    const StoreResult r = library_.remove(id);
    check_known(r, id);
    return r == StoreResult::Done;
}

// A recall keeps the connection's own fields and switches the group activations off.
std::optional<DeviceState> SceneActions::load(int id) {
    std::vector<uint8_t> bytes;
    const StoreResult r = library_.read(id, bytes);
    check_known(r, id);
    if (r != StoreResult::Done) {
        return std::nullopt;
    }
    const DeviceState& state = context_.state();
    DeviceState staged = state;
    if (!StateImage::decode_scene(bytes, staged)) {
        context_.notice(kDamaged);
        return std::nullopt;
    }
    staged.system.connected = state.system.connected;
    staged.system.connecting = state.system.connecting;
    staged.system.last_report_at = context_.clock().wall_now();
    staged.groups.control_active = {};
    staged.groups.active_mute_group = 0;
    return staged;
}

bool SceneActions::recall(int id) {
    if (!context_.ask(kRecallQuestion)) {
        return false;
    }
    if (writer_.running()) {
        context_.notice(kTransferRunning);
        return false;
    }
    std::optional<DeviceState> staged = load(id);
    if (!staged) {
        return false;
    }
    context_.state() = std::move(*staged);
    context_.active_groups() = ActiveGroups{};
    const ActionContext::OriginScope recalled(context_, ChangeOrigin::Recall);
    context_.changed({StateChange::Scope::Everything, -1, StateChange::Block::All});
    if (context_.connected()) {
        writer_.start(FullStateWriter::kRecallNamePause);
    }
    return true;
}

}  // namespace kestra
