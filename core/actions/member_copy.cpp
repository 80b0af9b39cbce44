#include "actions/member_copy.h"

namespace kestra {

void copy_to_members(ActionContext& ctx, const std::vector<int>& members, const MemberCopy& how) {
    for (int m : members) {
        const MemberCopy::Changed wrote = how.copy(m);
        if (how.encode && m < how.send_limit) {
            ctx.send(how.encode(m), how.pause);
        }
        for (StateChange::Block block : how.blocks) {
            ctx.changed_if(wrote.test(static_cast<std::size_t>(block)),
                           StateChange{how.scope, m, block});
        }
    }
}

}  // namespace kestra
