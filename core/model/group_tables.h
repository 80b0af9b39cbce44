#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "text/fixed_text.h"

namespace kestra {

inline constexpr int kGroupCount = 4;
inline constexpr int kGroupLinkCount = 14;

// Link flag indices of a control group.
enum GroupLink : int {
    kLinkVol = 0,
    kLinkMatrix = 2,
    kLinkEq = 3,
    kLinkComp = 4,
    kLinkLimit = 5,
    kLinkPriority = 8,
    kLink48V = 9,
    kLinkSource = 10,
    kLinkLine = 11,
    kLinkFbk = 12,
    kLinkDelay = 13,
};

struct ControlGroup {
    static constexpr std::size_t kRecordSize = 396;

    std::array<int32_t, 64> input_member{};
    std::array<int32_t, 16> output_member{};
    int32_t member_count = 0;
    std::array<int32_t, kGroupLinkCount> link{};
    FixedText name;

    bool operator==(const ControlGroup&) const = default;
};

struct MuteGroup {
    static constexpr std::size_t kRecordSize = 344;
    static constexpr std::size_t kTrailerSize = kRecordSize - 80 * 4;

    std::array<int32_t, 64> input_member{};
    std::array<int32_t, 16> output_member{};
    // Fields of the record that no page uses; kept so a scene round-trips unchanged.
    std::array<uint8_t, kTrailerSize> trailer{};

    bool operator==(const MuteGroup&) const = default;
};

struct GroupTables {
    static constexpr std::size_t kImageSize =
        kGroupCount * (MuteGroup::kRecordSize + ControlGroup::kRecordSize);

    std::array<MuteGroup, kGroupCount> mute{};
    std::array<ControlGroup, kGroupCount> control{};
    std::array<int32_t, kGroupCount> control_active{};
    int32_t active_mute_group = 0;  // 1-4, 0 = none

    void clear_leading_words();

    // The four mute records then the four control records, little-endian.
    std::vector<uint8_t> encode() const;
    // Needs exactly kImageSize bytes; returns false and changes nothing otherwise.
    bool decode(std::span<const uint8_t> bytes);

    bool operator==(const GroupTables&) const = default;
};

}  // namespace kestra
