#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "operator/operator_actions.h"
#include "params/parameter.h"

namespace kestra {

// Sets one catalogue parameter through the operator action that owns it, as the window's
// control would: the value is limited, stored, sent while connected and copied to group
// members by that action, never written into the state here.
class ParameterSetter {
public:
    explicit ParameterSetter(OperatorActions& actions) : actions_(actions) {}

    // `text` is in the row's display unit ("-10", "1k", "on", "AUX2"); a name row takes the
    // name itself. Returns the stored value the state holds afterwards (0 for a name). A text
    // that is no value of the row, a row no control sets, or an action's refusal throws
    // std::invalid_argument with nothing changed.
    int32_t set(const Parameter& p, std::string_view text);

private:
    void set_name(const Parameter& p, std::string_view text);
    void set_group(const Parameter& p, bool on);
    void set_unit(const Parameter& p, int32_t item);

    OperatorActions& actions_;
};

}  // namespace kestra
