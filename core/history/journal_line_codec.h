#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "history/journal_log.h"

namespace kestra {

// One journal line as the journal file keeps it: a JSON object
// {"time", "origin", "text", "fields": [[channel, parameter, before, after], ...]}.
class JournalLineCodec {
public:
    // Invalid UTF-8 in a text (names hold whatever was typed) is replaced, never a throw.
    static std::string encode(const JournalLine& line);
    // Nullopt for a text that is no journal object (a torn line); fields that are not four
    // texts are left out.
    static std::optional<JournalLine> decode(std::string_view text);
};

}  // namespace kestra
