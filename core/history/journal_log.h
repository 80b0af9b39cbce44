#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "history/scene_diff.h"
#include "model/state_change.h"
#include "model/wall_time.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

// One line of the journal: when, who ("operator", "typed", "recall", "processor", "read",
// "undo", "redo") and what, with the changed fields of a short entry.
struct JournalLine {
    static constexpr std::size_t kMaxFieldsShown = 20;

    std::string time;  // "2026-12-09 21:30:05"
    std::string origin;
    std::string text;  // "CH 03 VOL -10dB → -20dB"
    std::vector<SceneDiffEntry> fields;
};

// The journal's lines in memory: this session's, after the earlier ones read from the journal
// file, at most kMaxLines. Every new line is published for the file and the journal window.
class JournalLog {
public:
    static constexpr std::size_t kMaxLines = 10000;

    explicit JournalLog(const Clock& clock) : clock_(clock) {}

    // A new line stamped with the wall time; the fields only where they are few enough to read.
    void append(ChangeOrigin origin, std::string text, std::vector<SceneDiffEntry> fields = {});
    // A line of undo ("undo") or redo ("redo").
    void append(const char* origin, std::string text);

    // Earlier lines (read from the journal file) shown before this session's.
    void add_history(std::vector<JournalLine> lines);
    const std::deque<JournalLine>& lines() const { return lines_; }
    // The last `n` lines, oldest first.
    std::vector<JournalLine> last(std::size_t n) const;

    Publisher<JournalLine>& appended() { return appended_; }

    static std::string time_text(const WallTime& t);
    // "operator", "typed", "recall", "processor" or "read".
    static const char* origin_name(ChangeOrigin origin);

private:
    void push(JournalLine line);

    const Clock& clock_;
    std::deque<JournalLine> lines_;
    Publisher<JournalLine> appended_;
};

}  // namespace kestra
