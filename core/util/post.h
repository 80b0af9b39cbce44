#pragma once

#include <functional>

namespace kestra {

// Hands a call to the owner thread of the state: the window's event loop or the command
// line's owner loop. I/O threads (receive, discovery, firmware transfer) reach the owner only
// through it, so everything that touches DeviceState runs on one thread.
using Post = std::function<void(std::function<void()>)>;

}  // namespace kestra
