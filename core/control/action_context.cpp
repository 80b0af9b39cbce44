#include "control/action_context.h"

#include <utility>

namespace kestra {

ActionContext::ActionContext(DeviceState& state, FrameSink& sink, NoticeSink& notices,
                             QuestionSink& questions, const Clock& clock, CommandContext names)
    : state_(state),
      sink_(sink),
      notices_(notices),
      questions_(questions),
      clock_(clock),
      names_(names) {}

bool ActionContext::send(DatagramList datagrams) {
    if (!connected() || datagrams.empty()) {
        return false;
    }
    return sink_.send(datagrams);
}

bool ActionContext::send(DatagramList datagrams, std::chrono::milliseconds extra) {
    return send(std::move(with_pause(datagrams, extra)));
}

void ActionContext::notice(const std::string& text, const std::string& caption) {
    notices_.notice(text, caption);
}

bool ActionContext::ask(const std::string& text, const std::string& caption) {
    return questions_.ask(text, caption);
}

}  // namespace kestra
