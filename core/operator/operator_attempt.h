#pragma once

#include <exception>
#include <utility>

#include "actions/action_context.h"
#include "protocol/frame_sink.h"

namespace kestra {

// Runs one operator action for a view, which has nobody to hand an error to: what the action
// throws (a scene or preset that another program removed meanwhile, a name that does not fit,
// a database that fails in an unexpected way) is told as a notice, and the action answers
// false. The view refreshes its list either way and goes on. The shell has its own answer:
// it prints "error: ..." for the same exceptions.
template <class Action>
bool attempt(NoticeSink& notices, Action&& action) {
    try {
        return static_cast<bool>(std::forward<Action>(action)());
    } catch (const std::exception& e) {
        notices.notice(e.what(), NoticeSink::kCaption);
        return false;
    }
}

}  // namespace kestra
