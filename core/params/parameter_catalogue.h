#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/device_state.h"
#include "params/parameter.h"
#include "text/name_codec.h"

namespace kestra {

// Every parameter an operator can change, one row each, in a fixed order: inputs, outputs,
// the system's auto-mixer, the control and mute groups, the microphone units. Paths:
//   in.N.volume|mute|gain|source|priority|name, in.N.peq.on, in.N.peq.B.gain|freq|q|type,
//   in.N.hpf.on|freq|slope|mode, in.N.lpf.on|freq|slope|mode,
//   in.N.comp.on|threshold|ratio|attack|release|gain, in.N.route.K, in.N.automix.threshold;
//   out.M.volume|mute|delay|line|fbk|name, out.M.geq.on, out.M.geq.B.gain,
//   out.M.limit.on|threshold|ratio|attack|release|gain;
//   sys.automix.mode|sync|max_open|hold|closed|nom|last_hold|hidden.1-4;
//   group.control.G.member.in.N|out.M, group.control.G.link.VOL|MATRIX|EQ|COMP|LIMIT|
//   PRIORITY|LINE|FBK|Delay, group.control.G.active|name;
//   group.mute.G.member.in.N|out.M, group.mute.G.active; unit.R.S (record R, slot S).
// Rows exist only where the processor has the parameter: source on inputs 33-64, the DSP
// blocks, priority and the auto-mix threshold on inputs 1-32, FBK on outputs 1-8, GEQ bands
// 1-15. The filter modes and the auto-mixer's mode go out with their commands but no control
// changes them: their rows have no commit field.
class ParameterCatalogue {
public:
    static const std::vector<Parameter>& rows();

    // The row of an exact path, or null.
    static const Parameter* find(std::string_view path);
    // The rows whose path matches `pattern` (see ParameterPath), in catalogue order.
    static std::vector<const Parameter*> select(std::string_view pattern);
    // The row that names a state field: a StateFields unit and one of its paths. For the
    // active mute group, whose one field several rows share, the first of them. Null for a
    // field no operator changes.
    static const Parameter* of_field(int unit, std::string_view field_path);
    // The row a read-out kind names on a channel's StateFields unit, or null where the channel
    // has no such parameter.
    static const Parameter* of_readout(int unit, ReadoutKind kind);

    // The channel (or group) a row belongs to as the read-out shows it: the channel's short
    // name, "CH 03" or "M 2" where it has none, "SYSTEM", "C GROUP 1", "M GROUP 2", "UNIT 3".
    static std::string owner_label(const Parameter& p, const DeviceState& state,
                                   const NameCodec& codec);
    // The owner and the label: "CH 03 BAND2 GAIN", "C GROUP 1 VOL link".
    static std::string full_label(const Parameter& p, const DeviceState& state,
                                  const NameCodec& codec);

    static const char* type_name(ParameterType type);
};

}  // namespace kestra
