#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestra {

// A fixed 16-byte, NUL-terminated text field of the device image. It holds bytes of the
// legacy code page; conversion to UTF-8 is NameCodec's job.
class FixedText {
public:
    static constexpr std::size_t kSize = 16;
    static constexpr std::size_t kMaxLength = kSize - 1;

    FixedText() { bytes_.fill(0); }
    explicit FixedText(std::string_view text) { assign(text); }

    // Stores at most 15 bytes and zero-fills the rest. Callers that hold multi-byte text
    // cut it at a character boundary first (NameCodec::to_legacy does).
    void assign(std::string_view text) {
        bytes_.fill(0);
        const std::size_t n = text.size() < kMaxLength ? text.size() : kMaxLength;
        for (std::size_t i = 0; i < n; ++i) {
            bytes_[i] = static_cast<unsigned char>(text[i]);
        }
    }

    std::string str() const {
        std::size_t n = 0;
        while (n < kSize && bytes_[n] != 0) {
            ++n;
        }
        return std::string(reinterpret_cast<const char*>(bytes_.data()), n);
    }

    std::array<unsigned char, kSize>& bytes() { return bytes_; }
    const std::array<unsigned char, kSize>& bytes() const { return bytes_; }

    bool operator==(const FixedText&) const = default;

private:
    std::array<unsigned char, kSize> bytes_;
};

}  // namespace kestra
