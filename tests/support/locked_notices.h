#pragma once

#include <mutex>
#include <vector>

#include "support/recording_notices.h"

namespace kestra::testing {

// Keeps every notice's text and caption, in order, for sinks that a socket's or a sweep's
// own thread may tell while the test reads: everything is read as a copy taken under the lock.
class LockedNotices : public NoticeSink {
public:
    void notice(const std::string& text, const std::string& caption) override;
    std::vector<Notice> all() const;

private:
    mutable std::mutex mutex_;
    std::vector<Notice> kept_;
};

}  // namespace kestra::testing
