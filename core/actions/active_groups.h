#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/group_tables.h"

namespace kestra {

// A strip frame colour as data; the GUI paints it.
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The copy of its control group that a member strip holds while the group is active. It is
// taken at activation and not refreshed when the group's links change afterwards.
struct StripGroupCopy {
    bool enabled = false;
    int group = 0;             // 1-4, 0 = none
    std::vector<int> members;  // zero-based channels of the strip's kind, increasing
    std::array<int32_t, kGroupLinkCount> link{};

    bool operator==(const StripGroupCopy&) const = default;
};

// The strips' copies of the active control groups, for every input and output strip.
class ActiveGroups {
public:
    static constexpr Rgb kInputFrame{128, 128, 128};
    static constexpr Rgb kOutputFrame{2, 166, 227};
    static constexpr std::array<Rgb, kGroupCount> kGroupFrame{Rgb{173, 67, 67}, Rgb{40, 210, 112},
                                                              Rgb{226, 209, 68}, Rgb{85, 117, 218}};

    // Gives every member strip of `group` (0-3) its copy of the record.
    void activate(int group, const ControlGroup& record);
    // Releases the member strips of `group`: enabled and number cleared, member list and
    // link flags 0-6 cleared as the strips do it.
    void deactivate(int group, const ControlGroup& record);

    const StripGroupCopy& input(int index) const;
    const StripGroupCopy& output(int index) const;

    // The other members, in stored order, that a change of `link` on this strip is copied
    // to; empty when the strip's group is off or does not link it.
    std::vector<int> input_peers(int index, GroupLink link) const;
    std::vector<int> output_peers(int index, GroupLink link) const;

    Rgb input_frame(int index) const;
    Rgb output_frame(int index) const;

private:
    static std::vector<int> peers(const StripGroupCopy& copy, int self, GroupLink link);
    static void release(StripGroupCopy& copy);

    std::array<StripGroupCopy, 64> inputs_{};
    std::array<StripGroupCopy, 16> outputs_{};
};

}  // namespace kestra
