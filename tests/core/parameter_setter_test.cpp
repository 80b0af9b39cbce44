#include <gtest/gtest.h>

#include <algorithm>

#include "mix_fixture.h"
#include "operator/parameter_setter.h"
#include "params/parameter_catalogue.h"

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

}  // namespace
}  // namespace kestra::testing
