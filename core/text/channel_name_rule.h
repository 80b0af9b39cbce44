#pragma once

#include <string_view>

namespace kestra {

// The NAME dialog's rule for a channel's display name: at most eight characters (counted as
// Unicode characters of the typed UTF-8 text); an empty name is accepted.
inline constexpr int kMaxChannelNameChars = 8;
inline constexpr const char* kChannelNameTooLong = "Channel name is too long.";

int utf8_char_count(std::string_view utf8);
bool channel_name_fits(std::string_view utf8);

}  // namespace kestra
