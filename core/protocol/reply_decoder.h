#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "model/device_state.h"
#include "text/name_codec.h"

// Decoders of the four frames the processor sends: "Z" (whole state), "Y" (connection
// reply), "Q" (levels) and "P" (fader positions). Each checks the frame completely before
// it writes anything: on false the state is untouched.
namespace kestra {

// How a decoder treats the frame's "%", "#" and checksum.
enum class FrameCheck {
    Verify,   // test them again
    Trusted,  // FrameExtractor has just verified this very text
};

// The fields of a frame between "%" and "#", split at ",": field 0 the letter, field 1 not
// examined, data from field 2 on, the last field the checksum. Views into the frame.
class ReplyFields {
public:
    static constexpr std::size_t kMaxFields = 64;

    // False unless `frame` is a valid frame of `letter` with at least the letter, field 1
    // and the checksum. Fields beyond the 64th are dropped.
    bool split(std::string_view frame, char letter, FrameCheck check = FrameCheck::Verify);

    std::size_t count() const { return count_; }
    bool has(std::size_t k) const { return k >= 2 && k < data_end_; }
    // Data field k (k >= 2); empty when the frame has no such data field.
    std::string_view data(std::size_t k) const { return has(k) ? fields_[k] : std::string_view{}; }

private:
    std::array<std::string_view, kMaxFields> fields_{};
    std::size_t count_ = 0;
    std::size_t data_end_ = 0;  // one past the last data field
};

// Level report "Q": 85 two-digit bytes taken by position from frame index 6.
inline constexpr std::size_t kLevelFirstChar = 6;
inline constexpr std::size_t kLevelBytes = 85;
inline constexpr std::size_t kAllChannels = kInputCount + kOutputCount;

bool decode_full_state(std::string_view frame, DeviceState& state,
                       FrameCheck check = FrameCheck::Verify);
bool decode_connect_reply(std::string_view frame, DeviceState& state, const NameCodec& codec,
                          FrameCheck check = FrameCheck::Verify);
bool decode_levels(std::string_view frame, DeviceState& state,
                   FrameCheck check = FrameCheck::Verify);
bool decode_faders(std::string_view frame, DeviceState& state,
                   FrameCheck check = FrameCheck::Verify);

}  // namespace kestra
