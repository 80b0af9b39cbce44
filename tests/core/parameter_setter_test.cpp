#include <gtest/gtest.h>

#include <algorithm>

#include "mix_fixture.h"
#include "operator/parameter_setter.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_value.h"

namespace kestra::testing {
namespace {

class ParameterSetterTest : public MixFixture {
protected:
    int32_t set(std::string_view path, std::string_view text) {
        const Parameter* p = ParameterCatalogue::find(path);
        if (p == nullptr) {
            throw std::runtime_error("no row " + std::string(path));
        }
        return ParameterSetter(surface).set(*p, text);
    }

    // A refused set throws and leaves the state and the wire as they were.
    void expect_refused(std::string_view path, std::string_view text) {
        const DeviceState before = state;
        const std::size_t frames = sink.frames.size();
        EXPECT_THROW(set(path, text), std::invalid_argument) << path << " " << text;
        EXPECT_EQ(state, before) << path << " " << text;
        EXPECT_EQ(sink.frames.size(), frames);
    }
};

TEST_F(ParameterSetterTest, AValueGoesThroughTheOwningActionAndIsCopiedToTheGroup) {
    go_online();
    EXPECT_EQ(set("group.control.1.member.in.3", "on"), 1);
    set("group.control.1.member.in.5", "on");
    set("group.control.1.link.VOL", "on");
    EXPECT_EQ(set("group.control.1.active", "on"), 1);
    EXPECT_EQ(state.groups.control[0].input_member[2], 1);
    EXPECT_EQ(state.groups.control[0].link[kLinkVol], 1);
    forget();
    EXPECT_EQ(set("in.3.volume", "-10"), 50);
    EXPECT_EQ(state.inputs[4].volume, 50);  // the member follows, as a fader move would make it
    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(sink.frames[0].rfind("%A,01,03,00,32,", 0), 0u);
    EXPECT_EQ(sink.frames[1].rfind("%A,01,05,00,32,", 0), 0u);
    EXPECT_EQ(set("in.3.volume", "+30"), 70);  // limited to +10 dB
}

TEST_F(ParameterSetterTest, RefusedTextsRowsAndActionsChangeNothing) {
    go_online();
    expect_refused("in.3.volume", "loud");
    expect_refused("in.3.peq.2.freq", "1 ms");
    expect_refused("sys.automix.mode", "3");
    expect_refused("in.3.peq.2.type", "LOW SHELF");  // only band 1 shelves low
    set("group.control.1.member.in.3", "on");
    expect_refused("group.control.1.member.out.2", "on");  // inputs and outputs never mix
    expect_refused("in.3.name", "ABCDEFGHI");
}

TEST_F(ParameterSetterTest, NamesUnitsAndTheActiveMuteGroupUseTheirPages) {
    go_online();
    EXPECT_EQ(set("in.3.name", "Podium 1"), 0);
    EXPECT_EQ(state.inputs[2].short_name.str(), "Podium 1");
    EXPECT_TRUE(std::any_of(sink.frames.begin(), sink.frames.end(), [](const std::string& f) {
        return f.rfind("%V,01,03,", 0) == 0;  // the first of the name's pieces
    }));
    set("group.control.2.name", "Front");
    EXPECT_EQ(surface.groups.group_name(1), "Front");

    state.system.unit_extra = 6;
    EXPECT_EQ(set("unit.2.1", "CH05"), 5);
    EXPECT_EQ(state.system.unit_table[5], 5);
    EXPECT_EQ(sink.frames.back().rfind("%X,01,01,", 0), 0u);
    expect_refused("unit.3.1", "CH05");  // a channel sits in one slot of one unit

    set("group.mute.2.active", "on");
    EXPECT_EQ(state.groups.active_mute_group, 2);
    set("group.mute.3.active", "on");
    EXPECT_EQ(state.groups.active_mute_group, 3);
}

// A decimal typed for a whole-dB or whole-ms value counts by its whole part, and one finer than
// a step lands on the step below: never rounded up, as the read-out has always stored it.
TEST_F(ParameterSetterTest, TypedDecimalsAreCutNotRounded) {
    EXPECT_EQ(set("in.3.volume", "-10.6"), 50);  // -10 dB
    EXPECT_EQ(set("in.3.volume", "9.9"), 69);
    EXPECT_EQ(set("in.3.peq.2.gain", "-1.55"), 134);  // -1.6 dB
    EXPECT_EQ(set("in.3.peq.2.gain", "2.3"), 173);    // on its step though 2.3 x 10 is below 23
    EXPECT_EQ(set("in.3.peq.2.q", "1.59"), 15);
    EXPECT_EQ(set("in.3.comp.ratio", "1:4.55"), 45);
    EXPECT_EQ(set("in.3.comp.ratio", "10.5"), 100);  // held at 1:10
    EXPECT_EQ(set("in.3.comp.attack", "12.9"), 12);
    EXPECT_EQ(set("in.3.hpf.freq", "99.9"), 99);
    EXPECT_EQ(set("out.2.limit.gain", "3.47"), 34);
}

// The shell's set and the read-out's value box are one reading of a typed text: every row the
// read-out shows stores the same value, or refuses the same text, either way.
TEST_F(ParameterSetterTest, SetStoresWhatTypingTheSameTextInTheReadoutStores) {
    const char* const texts[] = {"-10.6", "-10.4", "-1.55", "-0.9",  "0.05",   "2.35",   "4.05",
                                 "10.5",  "19.99", "99.9",  "250.9", "1000.7", "1:4.55", "abc"};
    int compared = 0;
    for (const char* pattern : {"in.3.*", "out.2.*"}) {
        for (const Parameter* p : ParameterCatalogue::select(pattern)) {
            if (!p->readout_kind || p->law.type == ParameterType::Bool) {
                continue;
            }
            const int channel = p->target == FieldTarget::Input
                                    ? p->index
                                    : ActionContext::output_readout(p->index);
            for (const char* text : texts) {
                SCOPED_TRACE(p->path + " " + text);
                std::optional<int32_t> by_set;
                try {
                    by_set = set(p->path, text);
                } catch (const std::invalid_argument&) {
                }
                ParameterValue::store(*p, state, p->min);
                surface.readout.show_parameter(channel, *p->readout_kind);
                surface.readout.apply_typed_value(Readout::Box::Value, text);
                const int32_t by_readout = ParameterValue::stored(*p, state);
                if (by_set) {
                    EXPECT_EQ(by_readout, *by_set);
                } else {
                    EXPECT_EQ(by_readout, p->min);  // refused there too
                }
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 14 * (20 + 21));
}

}  // namespace
}  // namespace kestra::testing
