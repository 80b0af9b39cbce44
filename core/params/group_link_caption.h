#pragma once

#include <optional>
#include <string_view>

#include "model/group_tables.h"

namespace kestra {

// A control group's link as the GROUPS page and the catalogue name it ("VOL", "Delay").
class GroupLinkCaption {
public:
    // Empty for a flag index no link button has.
    static const char* of(GroupLink link);
    static std::optional<GroupLink> named(std::string_view caption);
};

}  // namespace kestra
