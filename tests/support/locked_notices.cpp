#include "support/locked_notices.h"

namespace kestra::testing {

void LockedNotices::notice(const std::string& text, const std::string& caption) {
    std::lock_guard lock(mutex_);
    kept_.push_back({text, caption});
}

std::vector<Notice> LockedNotices::all() const {
    std::lock_guard lock(mutex_);
    return kept_;
}

}  // namespace kestra::testing
