#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "actions/action_context.h"
#include "actions/drag_send_policy.h"
#include "actions/field_committer.h"
#include "actions/member_copy.h"
#include "actions/slider_commit.h"
#include "params/eq_gain_law.h"
#include "params/frequency_law.h"
#include "params/q_law.h"

namespace kestra {

class CommitRow;

// The parametric EQ editor's operator actions on one input at a time: four bands (a fifth is
// kept but never copied), the high- and low-pass filters, RESET, BYPASS and the graph's
// markers. `input` is zero-based; values are state units (Hz, gain 0-300, q 1-200) except
// where the graph hands over Hz and dB.
//
// Commands ("G" band, "F" high-pass, "E" low-pass) go out only while connected and only for
// inputs 1-32, the inputs whose filter block the processor exchanges. Committed changes are
// copied to the other members of an active control group that links EQ; those members get
// their commands too when they are among inputs 1-32.
class PeqActions final : public FieldCommitter {
public:
    static constexpr int kCopiedBands = 4;  // presets, RESET, BYPASS and links cover 1-4
    static constexpr int kMarkerCount = 6;  // 0-3 bands 1-4, then the two filters
    static constexpr int kHpfMarker = 4;
    static constexpr int kLpfMarker = 5;
    static constexpr int kMinFreq = FrequencyLaw::kMin;
    static constexpr int kMaxFreq = FrequencyLaw::kMax;
    static constexpr int kMaxGain = EqGainLaw::kMax;
    static constexpr int kFlatGain = EqGainLaw::kFlat;
    static constexpr int kMaxQ = QLaw::kMax;
    // The slope selector's items; item i selects slope i + 2.
    static constexpr std::array<std::string_view, 3> kSlopeItems{"-12dB/Oct", "-18dB/Oct",
                                                                 "-24dB/Oct"};

    explicit PeqActions(ActionContext& ctx);

    // Sliders; `band` 0-4.
    void set_band_gain(int input, int band, int gain, SliderCommit commit);
    void set_band_freq(int input, int band, int hz, SliderCommit commit);
    void set_band_q(int input, int band, int q, SliderCommit commit);
    void set_hpf_freq(int input, int hz, SliderCommit commit);
    void set_lpf_freq(int input, int hz, SliderCommit commit);

    // Buttons and selectors.
    void toggle_low_shelf(int input);   // band 1: peaking <-> low shelf
    void toggle_high_shelf(int input);  // band 4: peaking <-> high shelf
    void set_hpf_on(int input, bool on);
    void set_lpf_on(int input, bool on);
    void toggle_hpf(int input);
    void toggle_lpf(int input);
    void select_hpf_slope(int input, int item);
    void select_lpf_slope(int input, int item);
    // The selector item showing `slope`; none for the steeper slopes only the processor sets.
    static std::optional<int> slope_item(int slope);

    // Factory values for bands 1-4 and both filters, then the whole block is sent and copied.
    void reset(int input);
    // Flattens the block (filters off, band gains 0 dB) keeping its values aside, or puts the
    // kept values back. Every input keeps its own values aside, so switching the editor to
    // another input never loses them.
    void toggle_bypass(int input);
    bool bypassed(int input) const;

    // A graph marker moved: `freq_hz` and `gain_db` as the graph converted them (the filter
    // markers ignore the gain). `dragging` is false for the release message, which commits.
    void marker_moved(int input, int marker, double freq_hz, double gain_db, bool dragging);
    // A band marker returns to 0 dB; a filter marker commits its frequency.
    void marker_double_clicked(int input, int marker);
    // The editor's 50 ms timer: the trailing send of a drag whose marker has come to rest.
    void tick();

    // After a preset recall wrote (and published) the block: sends "G" for bands 1-4 then "E" and
    // "F", 20 ms apart, while connected, and copies the whole block to the linked inputs.
    void block_recalled(int input);

    // peq_band[k].gain|freq|q|type, peq_on, hpf_*, lpf_* of inputs.
    bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) override;

private:
    enum class Section { Band, Hpf, Lpf, Whole };
    struct Part {
        Section section;
        int band = 0;  // for Section::Band
    };
    struct SavedBlock {
        std::array<PeqBand, kCopiedBands> bands{};
        std::array<int32_t, 8> filters{};  // hpf freq, mode, slope, on; then the lpf's
    };
    static SavedBlock save_block(const InputChannel& in);
    static void restore_block(const SavedBlock& keep, InputChannel& in);
    static void put_in_bypass_form(InputChannel& in);
    static bool in_bypass_form(const InputChannel& in);
    void forget_recalled_bypasses(const StateChange& change);

    InputChannel& record(int input);
    static Part marker_part(int marker);
    static ReadoutKind marker_kind(int marker);
    // Whether the marker's fields took new values.
    bool store_marker(int input, int marker, double freq_hz, double gain_db);

    DatagramList encode(int input, Part part, std::chrono::milliseconds pause) const;
    void send(int input, Part part);
    // What it changed on `to`, block by block.
    MemberCopy::Changed copy_part(int from, int to, Part part);
    void copy_to_group(int input, Part part, bool with_sends);
    // The input's own blocks that a store in `part` changed, when `wrote`.
    static MemberCopy::Changed wrote_in(Part part, bool wrote);
    // Publishes the input's own blocks of `part` that `wrote` names.
    void publish(int input, Part part, std::optional<ReadoutKind> kind, MemberCopy::Changed wrote);
    // Send, group copy with sends, publish.
    void commit(int input, Part part, std::optional<ReadoutKind> kind, MemberCopy::Changed wrote);
    void send_whole_block(int input, bool filters_first);
    void send_bands(int input);
    DatagramList encode_bands(int input) const;

    void set_band_value(int input, int band, int32_t PeqBand::*field, int value, ReadoutKind kind,
                        SliderCommit commit);
    void set_filter_freq(int input, Part part, int hz, SliderCommit commit);
    void set_filter_on(int input, Part part, bool on);
    void select_slope(int input, Part part, int item);
    bool commit_band_field(int index, const FieldPath& field, const CommitRow& found, int value);

    ActionContext& ctx_;
    DragSendPolicy drag_;
    int drag_input_ = 0;
    std::array<std::optional<SavedBlock>, kInputCount> bypass_{};
    Publisher<StateChange>::Subscription recalls_;
};

}  // namespace kestra
