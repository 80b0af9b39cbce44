#include "actions/action_context.h"

#include <utility>

#include "model/state_fields.h"
#include "params/channel_label.h"

namespace kestra {

ActionContext::OriginScope::OriginScope(ActionContext& ctx, ChangeOrigin origin, std::string client)
    : ctx_(ctx), previous_(ctx.origin_), previous_client_(std::move(ctx.client_)) {
    ctx_.origin_ = origin;
    ctx_.client_ = origin == ChangeOrigin::Remote ? std::move(client) : std::string();
}

ActionContext::OriginScope::~OriginScope() {
    ctx_.origin_ = previous_;
    ctx_.client_ = std::move(previous_client_);
}

ActionContext::ActionContext(DeviceState& state, Publisher<StateChange>& changes, FrameSink& sink,
                             NoticeSink& notices, QuestionSink& questions, const Clock& clock,
                             CommandContext names)
    : state_(state),
      changes_(changes),
      sink_(sink),
      notices_(notices),
      questions_(questions),
      clock_(clock),
      names_(names),
      // The processor's changes pass here too: its whole state makes the read fresh.
      watching_(changes.subscribe([this](const StateChange& c) { observe(c); })) {}

void ActionContext::observe(const StateChange& change) {
    if (change.origin == ChangeOrigin::FullStateRead) {
        fresh_read_ = true;
    } else if (change.block == StateChange::Block::Connection && !connected() &&
               state_.system.connecting == 0) {
        fresh_read_ = false;
    }
}

void ActionContext::changed(StateChange change) {
    change.origin = origin_;
    change.client = client_;
    changes_.publish(change);
}

void ActionContext::changed_if(bool wrote, StateChange change) {
    if (wrote) {
        changed(std::move(change));
    }
}

bool ActionContext::send(DatagramList datagrams) {
    if (!connected() || datagrams.empty()) {
        return false;
    }
    return sink_.send(datagrams);
}

bool ActionContext::send(DatagramList datagrams, std::chrono::milliseconds extra) {
    return send(std::move(with_pause(datagrams, extra)));
}

std::string ActionContext::channel_label(bool output, int index) const {
    const NameCodec fallback;
    return ChannelLabel::of(
        state_, output ? StateFields::output_unit(index) : StateFields::input_unit(index),
        names_.codec != nullptr ? *names_.codec : fallback);
}

void ActionContext::notice(const std::string& text, const std::string& caption) {
    notices_.notice(text, caption);
}

bool ActionContext::ask(const std::string& text, const std::string& caption) {
    return questions_.ask(text, caption);
}

}  // namespace kestra
