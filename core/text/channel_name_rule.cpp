#include "text/channel_name_rule.h"

namespace kestra {

int utf8_char_count(std::string_view utf8) {
    int count = 0;
    for (char c : utf8) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

bool channel_name_fits(std::string_view utf8) {
    return utf8_char_count(utf8) <= kMaxChannelNameChars;
}

}  // namespace kestra
