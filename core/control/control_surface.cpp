#include "control/control_surface.h"

#include <stdexcept>

namespace kestra {

ControlSurface::ControlSurface(DeviceState& state, FrameSink& sink, NoticeSink& notices,
                               QuestionSink& questions, const Clock& clock, CommandContext names)
    : context_(state, sink, notices, questions, clock, names),
      channels(state, sink),
      full_state(context_),
      recovery(context_, full_state, maintenance) {}

void ControlSurface::commit_field(FieldTarget target, int index, const FieldPath& field,
                                  int value) {
    for (FieldCommitter* committer : committers_) {
        if (committer->commit_field(target, index, field, value)) {
            return;
        }
    }
    // Until every view's fields have their committer, the fader and mute commit directly.
    if (target != FieldTarget::System && (field.is("volume") || field.is("mute"))) {
        const bool input = target == FieldTarget::Input;
        if (field.is("volume")) {
            input ? channels.set_input_volume(index, value)
                  : channels.set_output_volume(index, value);
        } else {
            input ? channels.set_input_mute(index, value) : channels.set_output_mute(index, value);
        }
        return;
    }
    throw std::invalid_argument("unknown field '" + field.str() + "'");
}

}  // namespace kestra
