#include "params/group_link_caption.h"

#include <array>

namespace kestra {

namespace {

struct LinkCaption {
    GroupLink link;
    const char* caption;
};

constexpr std::array<LinkCaption, 11> kLinkCaptions{{
    {kLinkVol, "VOL"},
    {kLinkMatrix, "MATRIX"},
    {kLinkEq, "EQ"},
    {kLinkComp, "COMP"},
    {kLinkLimit, "LIMIT"},
    {kLinkPriority, "PRIORITY"},
    {kLink48V, "48V"},
    {kLinkSource, "SOURCE"},
    {kLinkLine, "LINE"},
    {kLinkFbk, "FBK"},
    {kLinkDelay, "Delay"},
}};

}  // namespace

const char* GroupLinkCaption::of(GroupLink link) {
    for (const LinkCaption& c : kLinkCaptions) {
        if (c.link == link) {
            return c.caption;
        }
    }
    return "";
}

std::optional<GroupLink> GroupLinkCaption::named(std::string_view caption) {
    for (const LinkCaption& c : kLinkCaptions) {
        if (caption == c.caption) {
            return c.link;
        }
    }
    return std::nullopt;
}

}  // namespace kestra
