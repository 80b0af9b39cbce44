#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "history/journal_log.h"

namespace kestra {

// One journal line as the journal file keeps it: a JSON object
// {"time", "origin", "text", "fields": [[channel, parameter, before, after], ...]}; a field
// that reads as a switch, a member or an activation has its form ("switch", "member",
// "activation") as a fifth text.
class JournalLineCodec {
public:
    // Invalid UTF-8 in a text (names hold whatever was typed) is replaced, never a throw.
    static std::string encode(const JournalLine& line);
    // Nullopt for a text that is no journal object (a torn line); fields that are not four or
    // five texts are left out, and an unknown form reads as a plain change.
    static std::optional<JournalLine> decode(std::string_view text);
};

}  // namespace kestra
