#include "actions/active_groups.h"

#include <algorithm>

namespace kestra {

namespace {

constexpr int kReleasedLinks = 7;  // a released strip clears link flags 0-6 only

template <std::size_t N>
std::vector<int> members_of(const std::array<int32_t, N>& flags) {
    std::vector<int> members;
    for (std::size_t i = 0; i < N; ++i) {
        if (flags[i] != 0) {
            members.push_back(static_cast<int>(i));
        }
    }
    return members;
}

}  // namespace

void ActiveGroups::activate(int group, const ControlGroup& record) {
    const auto fill = [&](auto& copies, const auto& flags) {
        const std::vector<int> members = members_of(flags);
        for (int m : members) {
            StripGroupCopy& copy = copies.at(static_cast<std::size_t>(m));
            copy.enabled = true;
            copy.group = group + 1;
            copy.members = members;
            copy.link = record.link;
        }
    };
    fill(inputs_, record.input_member);
    fill(outputs_, record.output_member);
}

void ActiveGroups::deactivate(int group, const ControlGroup& record) {
    const auto clear = [&](auto& copies, const auto& flags) {
        for (int m : members_of(flags)) {
            StripGroupCopy& copy = copies.at(static_cast<std::size_t>(m));
            // A strip that meanwhile joined another active group keeps that copy.
            if (copy.group == group + 1 || !copy.enabled) {
                release(copy);
            }
        }
    };
    clear(inputs_, record.input_member);
    clear(outputs_, record.output_member);
}

void ActiveGroups::release(StripGroupCopy& copy) {
    copy.enabled = false;
    copy.group = 0;
    copy.members.clear();
    std::fill(copy.link.begin(), copy.link.begin() + kReleasedLinks, 0);
}

const StripGroupCopy& ActiveGroups::input(int index) const {
    return inputs_.at(static_cast<std::size_t>(index));
}

const StripGroupCopy& ActiveGroups::output(int index) const {
    return outputs_.at(static_cast<std::size_t>(index));
}

std::vector<int> ActiveGroups::peers(const StripGroupCopy& copy, int self, GroupLink link) {
    std::vector<int> result;
    if (!copy.enabled || copy.link.at(static_cast<std::size_t>(link)) == 0) {
        return result;
    }
    for (int m : copy.members) {
        if (m != self) {
            result.push_back(m);
        }
    }
    return result;
}

std::vector<int> ActiveGroups::input_peers(int index, GroupLink link) const {
    return peers(input(index), index, link);
}

std::vector<int> ActiveGroups::output_peers(int index, GroupLink link) const {
    return peers(output(index), index, link);
}

Rgb ActiveGroups::input_frame(int index) const {
    const StripGroupCopy& c = input(index);
    return c.enabled && c.group > 0 ? kGroupFrame.at(static_cast<std::size_t>(c.group - 1))
                                    : kInputFrame;
}

Rgb ActiveGroups::output_frame(int index) const {
    const StripGroupCopy& c = output(index);
    return c.enabled && c.group > 0 ? kGroupFrame.at(static_cast<std::size_t>(c.group - 1))
                                    : kOutputFrame;
}

}  // namespace kestra
