#pragma once

namespace kestra {

// How far a slider change goes: a move updates the state and the read-out only; a release
// (or a keyboard step) also sends and copies to the control group.
enum class SliderCommit { Moved, Released };

}  // namespace kestra
