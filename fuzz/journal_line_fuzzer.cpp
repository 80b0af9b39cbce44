// A journal file line -> JournalLineCodec, checking that a line it takes encodes to a line
// that decodes to the same entry, and that nothing it is given throws.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "history/journal_line_codec.h"
#include "stored_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace kestra;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto line = JournalLineCodec::decode(text);
    if (!line) {
        return 0;
    }
    const auto again = JournalLineCodec::decode(JournalLineCodec::encode(*line));
    fuzz::require(again.has_value());
    fuzz::require(again->time == line->time && again->origin == line->origin &&
                  again->text == line->text && again->fields == line->fields);
    return 0;
}
