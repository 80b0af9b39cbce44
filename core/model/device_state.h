#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/group_tables.h"
#include "model/wall_time.h"
#include "text/fixed_text.h"

namespace kestra {

inline constexpr int kInputCount = 64;
inline constexpr int kInputSlots = 80;  // the image reserves 80 input records
inline constexpr int kOutputCount = 16;
inline constexpr int kMasterOutputs = 8;
inline constexpr int kProcessedInputs = 32;  // inputs whose DSP blocks are exchanged
inline constexpr int kPeqBands = 5;
inline constexpr int kGeqBands = 31;
inline constexpr int kUnitTableSize = 80;

struct PeqBand {
    int32_t freq = 0;
    int32_t gain = 150;  // 0-300, 150 = 0 dB: a start-up preset stores a flat band
    int32_t q = 100;     // 1-200, shown x 0.1
    std::array<int32_t, 2> reserved{};
    int32_t type = 0;  // 0-2; the wire carries type + 1
    bool operator==(const PeqBand&) const = default;
};

struct GeqBand {
    int32_t freq = 0;
    int32_t gain = 150;  // flat, as the PEQ bands
    int32_t q = 25;
    std::array<int32_t, 3> reserved{};
    bool operator==(const GeqBand&) const = default;
};

// One input channel. Field order and meaning follow the 608-byte image record; the byte
// offsets live in StateLayout, not in this struct's own layout.
struct InputChannel {
    std::array<PeqBand, kPeqBands> peq_band{};
    int32_t peq_on = 0;
    int32_t hpf_freq = 20;
    int32_t hpf_mode = 2;
    int32_t hpf_slope = 2;
    int32_t hpf_on = 0;
    int32_t lpf_freq = 20000;
    int32_t lpf_mode = 2;
    int32_t lpf_slope = 2;
    int32_t lpf_on = 0;
    int32_t mute = 0;
    int32_t phase = 0;
    int32_t volume = 70;
    int32_t volume2 = 0;
    int32_t solo = 0;
    int32_t level = 0;
    int32_t phantom = 0;
    int32_t priority = 0;
    int32_t peq_option = 0;
    int32_t source = 0;
    int32_t gain_step = 0;
    int32_t automix_threshold = 0;
    int32_t mix_flag = 0;
    int32_t mix_state = 0;
    int32_t comp_on = 0;
    int32_t comp_threshold = 0;
    int32_t comp_attack = 1;
    int32_t comp_release = 20;
    int32_t comp_gain = 0;
    int32_t comp_ratio = 10;
    int32_t gate_on = 0;
    int32_t gate_threshold = 0;
    int32_t gate_hold = 20;
    int32_t gate_attack = 1;
    int32_t gate_release = 20;
    std::array<int32_t, kOutputCount> matrix_row{};
    int32_t send_main = 0;
    std::array<int32_t, 6> send_aux{};
    int32_t send_delay = 0;
    int32_t send_reverb = 0;
    int32_t echo_pre_delay1 = 10;
    int32_t echo_pre_delay2 = 10;
    int32_t echo_feedback = 0;
    int32_t echo_lpf = 20;
    std::array<int32_t, 4> reverb_delay{30, 30, 30, 30};
    int32_t reverb_time = 1;
    int32_t reverb_lpf = 20;
    FixedText short_name;
    FixedText name;
    int32_t index = 0;

    bool operator==(const InputChannel&) const = default;
};

struct OutputChannel {
    std::array<GeqBand, kGeqBands> geq_band{};
    int32_t geq_on = 0;
    int32_t mute = 0;
    int32_t phase = 0;
    int32_t volume = 30;
    int32_t solo = 0;
    int32_t level = 0;
    int32_t delay_step = 0;
    int32_t line_mode = 0;
    int32_t fbk = 0;
    int32_t lim_on = 0;
    int32_t lim_threshold = 0;
    int32_t lim_attack = 1;
    int32_t lim_release = 20;
    int32_t lim_gain = 0;
    int32_t lim_ratio = 10;
    FixedText short_name;
    FixedText name;
    int32_t index = 0;

    bool operator==(const OutputChannel&) const = default;
};

struct SystemBlock {
    std::array<int32_t, 6> automix_cfg{};
    std::array<int32_t, 4> automix_hidden{};
    int32_t automix_sync = 0;
    FixedText device_text;
    std::array<uint8_t, kUnitTableSize> unit_table{};
    int32_t unit_extra = 0;
    uint8_t connected = 0;
    uint8_t connecting = 0;
    WallTime last_report_at{};

    bool operator==(const SystemBlock&) const = default;
};

// The mirror of every parameter of the processor. Bytes of the image that no field names are
// kept in `unnamed` so that an image read from a file is written back unchanged.
// The default short names of outputs: "M 1"-"M 8" for MASTER, "D 1"-"D 8" for DANTE.
std::string default_output_short_name(int index);
// printf-style "CH %d" and the like for one channel number.
std::string numbered_name(const char* format, int n);

class DeviceState {
public:
    static constexpr std::size_t kImageSize = 68276;

    DeviceState();

    // Every listed default; channel names and indices by channel number; the unit table and
    // the leading words of the group records cleared.
    void reset_defaults();

    // Limits applied after every accepted full-state reply.
    void sanitize_after_bulk();

    InputChannel& input(int index) { return inputs.at(static_cast<std::size_t>(index)); }
    OutputChannel& output(int index) { return outputs.at(static_cast<std::size_t>(index)); }

    std::array<InputChannel, kInputCount> inputs{};
    std::array<OutputChannel, kOutputCount> outputs{};
    SystemBlock system{};
    GroupTables groups{};

    // Image bytes that carry no named field: the leading word, slots 65-80, the gaps between
    // fields and the connection bookkeeping. Always kImageSize long; named bytes are ignored.
    std::vector<uint8_t> unnamed;

    bool operator==(const DeviceState&) const = default;
};

}  // namespace kestra
