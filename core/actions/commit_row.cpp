#include "actions/commit_row.h"

#include <unordered_map>

#include "params/parameter_catalogue.h"
#include "params/value_range.h"

namespace kestra {

namespace {

std::string target_key(FieldTarget target, const FieldPath& field) {
    return std::to_string(static_cast<int>(target)) + ":" + field.str();
}

std::string channel_key(FieldTarget target, int index, const FieldPath& field) {
    return target_key(target, field) + "@" + std::to_string(index);
}

// An array's field without its index: "peq_band[].gain".
std::string family_key(FieldTarget target, const FieldPath& field) {
    return std::to_string(static_cast<int>(target)) + ":" + field.name + "[]." + field.member;
}

// The committed rows by channel, the first of each field over all channels of a target, and
// the first of each array's field over all its entries.
struct Index {
    std::unordered_map<std::string, const Parameter*> by_channel;
    std::unordered_map<std::string, const Parameter*> by_target;
    std::unordered_map<std::string, const Parameter*> by_family;
};

const Index& commit_index() {
    static const Index built = [] {
        Index ix;
        for (const Parameter& p : ParameterCatalogue::rows()) {
            if (p.commit.name.empty()) {
                continue;
            }
            ix.by_channel.emplace(channel_key(p.target, p.index, p.commit), &p);
            ix.by_target.emplace(target_key(p.target, p.commit), &p);
            if (p.commit.index >= 0) {
                ix.by_family.emplace(family_key(p.target, p.commit), &p);
            }
        }
        return ix;
    }();
    return built;
}

}  // namespace

CommitRow CommitRow::find(FieldTarget target, int index, const FieldPath& field) {
    const Index& ix = commit_index();
    CommitRow found;
    if (const auto it = ix.by_channel.find(channel_key(target, index, field));
        it != ix.by_channel.end()) {
        found.row_ = it->second;
        found.own_ = true;
    } else if (const auto kind = ix.by_target.find(target_key(target, field));
               kind != ix.by_target.end()) {
        found.row_ = kind->second;
    } else if (const auto family = ix.by_family.find(family_key(target, field));
               family != ix.by_family.end()) {
        found.row_ = family->second;
    }
    return found;
}

bool CommitRow::in(std::initializer_list<StateChange::Block> blocks) const {
    if (row_ == nullptr) {
        return false;
    }
    for (StateChange::Block block : blocks) {
        if (row_->change.block == block) {
            return true;
        }
    }
    return false;
}

void CommitRow::check(int value, const std::string& what) const {
    require_range(value, row_->min, row_->max, what);
}

void CommitRow::check_on_channel(int value, const std::string& what) const {
    if (own_) {
        check(value, what);
    }
}

}  // namespace kestra
