#pragma once

#include <QColor>
#include <string>

namespace kestra {

class OperatorActions;
struct DeviceState;
struct LevelView;

// Which half of the processor a strip shows, and the one place a strip tells an input from
// an output: what the state holds of the channel, the strip actions that change it, the group
// frame, the meter, and the artwork of that half. The channel is zero-based.
class ChannelSide {
public:
    enum class Kind { Input, Output };

    static ChannelSide input() { return ChannelSide(Kind::Input); }
    static ChannelSide output() { return ChannelSide(Kind::Output); }

    Kind kind() const { return kind_; }

    int volume(const DeviceState& state, int channel) const;
    bool muted(const DeviceState& state, int channel) const;
    // The stored names in the processor's legacy encoding.
    std::string name(const DeviceState& state, int channel) const;
    std::string short_name(const DeviceState& state, int channel) const;
    // The frame of the channel's control group, or the side's own when it has none.
    QColor frame(OperatorActions& surface, int channel) const;
    int meter(const LevelView& view, int channel) const;

    void set_volume(OperatorActions& surface, int channel, int volume) const;
    void set_mute(OperatorActions& surface, int channel, bool mute) const;
    bool rename(OperatorActions& surface, int channel, const std::string& utf8) const;

    int background() const;
    QColor idle_frame() const;
    int fader_track() const;
    int fader_thumb() const;

private:
    explicit ChannelSide(Kind kind) : kind_(kind) {}

    bool in() const { return kind_ == Kind::Input; }

    Kind kind_;
};

}  // namespace kestra
