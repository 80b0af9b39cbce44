#include "operator/operator_actions.h"

#include <stdexcept>

namespace kestra {

OperatorActions::OperatorActions(DeviceState& state, Publisher<StateChange>& changes,
                                 FrameSink& sink, NoticeSink& notices, QuestionSink& questions,
                                 const Clock& clock, CommandContext names)
    : context_(state, changes, sink, notices, questions, clock, names),
      automix(context_),
      units(context_),
      readout(context_),
      peq(context_),
      geq(context_),
      compressor(context_),
      limiter(context_),
      strips(context_),
      groups(context_),
      routing(context_),
      full_state(context_),
      recovery(context_, full_state, maintenance) {
    committers_.insert(committers_.end(),
                       {&strips, &routing, &automix, &peq, &geq, &compressor, &limiter});
}

void OperatorActions::commit_field(FieldTarget target, int index, const FieldPath& field,
                                   int value) {
    for (FieldCommitter* committer : committers_) {
        if (committer->commit_field(target, index, field, value)) {
            return;
        }
    }
    throw std::invalid_argument("unknown field '" + field.str() + "'");
}

}  // namespace kestra
