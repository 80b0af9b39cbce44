#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/fixed_text.h"

namespace kestra {

// Converts channel names between the legacy code page of the device image (CP936 unless
// configured otherwise) and UTF-8 / UTF-16, through iconv.
class NameCodec {
public:
    static constexpr const char* kDefaultCodePage = "CP936";

    explicit NameCodec(std::string code_page = kDefaultCodePage);

    const std::string& code_page() const { return code_page_; }

    // Bytes that do not decode become U+FFFD.
    std::string to_utf8(std::string_view legacy) const;
    std::u16string to_utf16(std::string_view legacy) const;

    // At most `max_bytes` legacy bytes, cut before a character that would not fit whole; a
    // character the code page lacks becomes "?".
    std::string from_utf8(std::string_view utf8,
                          std::size_t max_bytes = FixedText::kMaxLength) const;
    std::string from_utf16(std::u16string_view utf16,
                           std::size_t max_bytes = FixedText::kMaxLength) const;

    // True when the text converts without loss and fits `max_bytes`.
    bool fits(std::string_view utf8, std::size_t max_bytes = FixedText::kMaxLength) const;

    // Whether a typed name can be stored in a 16-byte name field, and if not, why.
    enum class NameFit { Fits, NotEncodable, TooWide };
    NameFit name_fit(std::string_view utf8) const;

    // The legacy characters of a text: one or two bytes each (a byte above 127 leads a
    // double-byte character).
    static std::vector<std::string_view> split_characters(std::string_view legacy);

private:
    std::string convert_one(std::u32string_view cp) const;
    std::string code_page_;
};

// UTF-8 <-> code points, used by the codec and by callers that count characters.
std::u32string utf8_to_code_points(std::string_view utf8);
std::string code_points_to_utf8(std::u32string_view cps);

}  // namespace kestra
