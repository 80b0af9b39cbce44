#include "history/journal_log.h"

#include <cstdio>
#include <utility>

namespace kestra {

std::string JournalLog::time_text(const WallTime& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second});
    return text;
}

const char* JournalLog::origin_name(ChangeOrigin origin) {
    switch (origin) {
        case ChangeOrigin::Operator:
            return "operator";
        case ChangeOrigin::TypedEntry:
            return "typed";
        case ChangeOrigin::Recall:
            return "recall";
        case ChangeOrigin::ProcessorReport:
            return "processor";
        case ChangeOrigin::FullStateRead:
            return "read";
        case ChangeOrigin::Undo:
            return "undo";
        case ChangeOrigin::Remote:
            return "remote";
    }
    return "operator";
}

void JournalLog::append(ChangeOrigin origin, std::string text, std::vector<SceneDiffEntry> fields) {
    if (fields.size() > JournalLine::kMaxFieldsShown) {
        fields.clear();  // the text counts them; a list this long nobody reads
    }
    push({time_text(clock_.wall_now()), origin_name(origin), std::move(text), std::move(fields)});
}

void JournalLog::append(const char* origin, std::string text) {
    push({time_text(clock_.wall_now()), origin, std::move(text), {}});
}

void JournalLog::add_history(std::vector<JournalLine> lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (lines_.size() >= kMaxLines) {
            break;
        }
        lines_.push_front(std::move(*it));
    }
}

std::vector<JournalLine> JournalLog::last(std::size_t n) const {
    const std::size_t from = lines_.size() > n ? lines_.size() - n : 0;
    return {lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.end()};
}

void JournalLog::push(JournalLine line) {
    lines_.push_back(std::move(line));
    while (lines_.size() > kMaxLines) {
        lines_.pop_front();
    }
    appended_.publish(lines_.back());
}

}  // namespace kestra
