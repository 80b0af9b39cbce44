#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "params/typed_number.h"
#include "surface_test_support.h"

namespace kestra {
namespace {

using testing::framed;
using Box = Readout::Box;

class ReadoutTest : public testing::SurfaceTest {
protected:
    Readout& readout = surface.readout;
    std::vector<ReadoutDisplay> shown;
    Publisher<ReadoutDisplay>::Subscription listening =
        readout.shown().subscribe([this](const ReadoutDisplay& d) { shown.push_back(d); });

    // Selects (channel, kind), types `text` into the box and returns the value text shown.
    std::string type(int channel, int kind, const std::string& text, Box box = Box::Value) {
        readout.show_parameter(channel, ReadoutKind{kind});
        readout.apply_typed_value(box, text);
        return box == Box::Value ? readout.display().value_text : readout.display().frequency_text;
    }
};

TEST_F(ReadoutTest, TypedVolumeIsLimitedStoredSentAndShownLimited) {
    EXPECT_EQ(type(4, 3, "-70"), "-60dB");
    EXPECT_EQ(state.input(4).volume, 0);
    EXPECT_EQ(type(4, 3, "5"), "5dB");
    EXPECT_EQ(state.input(4).volume, 65);
    EXPECT_EQ(type(4, 3, "12"), "10dB");
    EXPECT_EQ(state.input(4).volume, 70);
    EXPECT_EQ(type(4, 3, "abc"), "10dB");  // no number: refused, not 0 dB
    EXPECT_EQ(state.input(4).volume, 70);
    EXPECT_EQ(sink.frames,
              (std::vector<std::string>{framed("%A,01,05,00,00,"), framed("%A,01,05,00,41,"),
                                        framed("%A,01,05,00,46,")}));
    EXPECT_EQ(type(82, 3, "-20"), "-20dB");
    EXPECT_EQ(sink.frames.back(), framed("%A,01,43,00,28,"));
    EXPECT_EQ(changes.back(), (StateChange{StateChange::Scope::Output, 2, StateChange::Block::Strip,
                                           ChangeOrigin::TypedEntry}));
}

TEST_F(ReadoutTest, EnterOnTheShownValueStillSendsAndRefreshesButPublishesNothing) {
    EXPECT_EQ(type(4, 3, "5"), "5dB");
    ASSERT_EQ(changes.size(), 1u);
    const std::size_t refreshes = shown.size();
    readout.apply_typed_value(Box::Value, "5.0");
    EXPECT_EQ(shown.size(), refreshes + 1);
    EXPECT_EQ(shown.back().value_text, "5dB");
    EXPECT_EQ(sink.frames, (std::vector<std::string>(2, framed("%A,01,05,00,41,"))));
    EXPECT_EQ(changes.size(), 1u);
}

// What a typed entry stores is news only when it changed the field, also right after the
// processor's whole state, which leaves no block published before.
TEST_F(ReadoutTest, TypingTheValueTheWholeStateBroughtSendsButPublishesNothing) {
    state.input(4).volume = 65;  // as the processor's state has it: 5 dB
    stream.publish({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All,
                    ChangeOrigin::FullStateRead});
    changes.clear();
    EXPECT_EQ(type(4, 3, "5"), "5dB");
    EXPECT_EQ(type(4, 1, "CLOSE"), "CLOSE");
    EXPECT_EQ(sink.frames.size(), 2u);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(type(4, 3, "6"), "6dB");
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(ReadoutTest, TypedValuesAreNeitherCopiedToGroupMembersNorSentOffline) {
    ControlGroup group;
    group.input_member[0] = group.input_member[1] = 1;
    group.member_count = 2;
    group.link[kLinkVol] = 1;
    surface.context().active_groups().activate(0, group);
    type(0, 3, "-10");
    EXPECT_EQ(state.input(0).volume, 50);
    EXPECT_EQ(state.input(1).volume, 70);
    EXPECT_EQ(sink.sent.size(), 1u);

    state.system.connected = 0;
    type(0, 3, "-20");
    EXPECT_EQ(state.input(0).volume, 40);
    EXPECT_EQ(sink.sent.size(), 1u);
}

TEST_F(ReadoutTest, PeqCommandsReachOnlyTheFirst32Inputs) {
    EXPECT_EQ(type(39, 6, "25000"), "20000Hz");
    EXPECT_EQ(state.input(39).peq_band[0].freq, 20000);
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_EQ(changes.back(), (StateChange{StateChange::Scope::Input, 39, StateChange::Block::Peq,
                                           ChangeOrigin::TypedEntry}));

    state.input(0).peq_band[1] = PeqBand{1000, 150, 100, {}, 0};
    EXPECT_EQ(type(0, 8, "-0.35"), "-0.4dB");  // 146.5 truncated
    EXPECT_EQ(state.input(0).peq_band[1].gain, 146);
    EXPECT_EQ(sink.frames.back(), framed("%G,01,01,00,02,01,03E8,49,64,"));
    EXPECT_EQ(type(31, 20, "19.9"), "20Hz");
    EXPECT_EQ(sink.frames.back(), framed("%F,01,20,00,02,0014,02,01,"));
    EXPECT_EQ(type(31, 28, "1234.9"), "1234Hz");
    EXPECT_EQ(sink.frames.back(), framed("%E,01,20,00,02,04D2,02,01,"));
    EXPECT_EQ(type(32, 54, "-6"), "-6dB");
    EXPECT_EQ(sink.sent.size(), 3u);
}

TEST_F(ReadoutTest, EqGainAndQFollowTheirLimitsInOrder) {
    const std::pair<const char*, int> gains[] = {{"-15.5", 0},   {"-15", 0},    {"15", 300},
                                                 {"15.01", 300}, {"0.05", 150}, {"2.3", 173}};
    for (auto [text, stored] : gains) {
        type(0, 5, text);
        EXPECT_EQ(state.input(0).peq_band[0].gain, stored) << text;
    }
    const std::pair<const char*, int> qs[] = {{"2.35", 23}, {"20", 200}, {"20.5", 200},
                                              {"x", 200},   {"0.05", 1}, {"0.1", 1}};
    for (auto [text, stored] : qs) {
        type(0, 16, text);
        EXPECT_EQ(state.input(0).peq_band[3].q, stored) << text;
    }
    EXPECT_EQ(readout.display().parameter_name, "BAND4 Q");
    EXPECT_EQ(readout.display().value_text, "0.10");
}

TEST_F(ReadoutTest, CompressorAndLimiterValuesAreHeldInTheirRanges) {
    struct Case {
        int channel, kind;
        const char* text;
        int32_t* field;
        int stored;
        const char* shown;
    };
    InputChannel& in = state.input(2);
    OutputChannel& out = state.output(2);
    const Case cases[] = {
        {2, 54, "-61", &in.comp_threshold, 0, "-60dB"},
        {2, 54, "-10", &in.comp_threshold, 50, "-10dB"},
        {2, 54, "5", &in.comp_threshold, 60, "0dB"},
        {2, 55, "0.5", &in.comp_ratio, 10, "1:1.0"},
        {2, 55, "2.5", &in.comp_ratio, 25, "1:2.5"},
        {2, 55, "10.5", &in.comp_ratio, 100, "1:10.0"},  // the integer test lets 10.5 through
        {2, 56, "0", &in.comp_attack, 1, "1ms"},
        {2, 56, "300", &in.comp_attack, 250, "250ms"},
        {2, 57, "10", &in.comp_release, 20, "20ms"},
        {2, 58, "-1", &in.comp_gain, 0, "0.0dB"},
        {2, 58, "20.5", &in.comp_gain, 200, "20.0dB"},
        {2, 58, "3.55", &in.comp_gain, 35, "3.5dB"},
        {82, 41, "-0.5", &out.lim_threshold, 60, "0dB"},
        {82, 41, "-60.5", &out.lim_threshold, 0, "-60dB"},
        {82, 41, "-30.9", &out.lim_threshold, 30, "-30dB"},
        {82, 42, "4", &out.lim_ratio, 40, "1:4.0"},
        {82, 42, "30", &out.lim_ratio, 100, "1:10.0"},
        {82, 42, "0.9", &out.lim_ratio, 10, "1:1.0"},
        {82, 43, "-3", &out.lim_attack, 1, "1ms"},
        {82, 44, "251", &out.lim_release, 250, "250ms"},
        {82, 45, "20.1", &out.lim_gain, 200, "20.0dB"},
        {82, 45, "7.25", &out.lim_gain, 72, "7.2dB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(type(c.channel, c.kind, c.text), c.shown) << c.kind << " " << c.text;
        EXPECT_EQ(*c.field, c.stored) << c.kind << " " << c.text;
    }
    EXPECT_EQ(sink.frames.back(), framed("%D,01,03,00,0A,1E,01,FA,48,"));
    EXPECT_EQ(sink.frames.front(), framed("%C,01,03,00,0A,00,01,14,00,"));
}

TEST_F(ReadoutTest, MuteTakesItsWordsOnInputsAndItsWordsOrCharactersOnOutputs) {
    EXPECT_EQ(type(0, 1, "open"), "OPEN");  // upper-cased first
    EXPECT_EQ(state.input(0).mute, 1);
    EXPECT_EQ(type(0, 1, "maybe"), "OPEN");
    EXPECT_EQ(type(0, 1, "Close"), "CLOSE");
    EXPECT_EQ(type(0, 1, "开"), "CLOSE");
    EXPECT_EQ(sink.frames,
              (std::vector<std::string>{framed("%A,01,01,01,46,"), framed("%A,01,01,00,46,")}));

    const std::size_t refreshes = shown.size();
    EXPECT_EQ(type(80, 1, "maybe"), "CLOSE");
    EXPECT_EQ(shown.size(), refreshes + 2);  // refreshed although nothing changed
    EXPECT_EQ(type(80, 1, "开"), "OPEN");
    EXPECT_EQ(state.output(0).mute, 1);
    EXPECT_EQ(type(80, 1, "关"), "CLOSE");
    EXPECT_EQ(sink.frames.back(), framed("%A,01,41,00,1E,"));
    // The words the read-out shows are taken back as well.
    EXPECT_EQ(type(81, 1, "open"), "OPEN");
    EXPECT_EQ(state.output(1).mute, 1);
    EXPECT_EQ(type(81, 1, "CLOSE"), "CLOSE");
    EXPECT_EQ(state.output(1).mute, 0);
    EXPECT_EQ(sink.frames.back(), framed("%A,01,42,00,1E,"));
    EXPECT_EQ(sink.sent.size(), 6u);
}

TEST_F(ReadoutTest, BandKindsFillTheFrequencyBoxWhichTakesTypedFrequencies) {
    state.input(1).peq_band[1].freq = 640;
    readout.show_parameter(1, ReadoutKind{23});
    EXPECT_EQ(readout.display().parameter_name, "BAND2");
    EXPECT_EQ(readout.display().frequency_text, "640HZ");
    EXPECT_EQ(type(1, 22, "19", Box::Frequency), "20Hz");
    EXPECT_EQ(type(1, 25, "99999", Box::Frequency), "20000Hz");
    EXPECT_EQ(state.input(1).peq_band[3].freq, 20000);
    EXPECT_EQ(type(1, 24, "4"), "4.0dB");  // the value box holds the gain
    EXPECT_EQ(state.input(1).peq_band[2].gain, 190);
    EXPECT_EQ(readout.display().frequency_text, "1250HZ");
    EXPECT_EQ(sink.sent.size(), 3u);

    // Elsewhere the frequency box ignores Enter.
    const DeviceState before = state;
    type(1, 6, "1000", Box::Frequency);
    type(81, 5, "1000", Box::Frequency);
    EXPECT_EQ(state, before);
    EXPECT_EQ(sink.sent.size(), 3u);
}

TEST_F(ReadoutTest, ShowsWhatViewsReportAndKeepsTextsForKindsWithoutReadout) {
    NameCodec codec;
    state.input(6).short_name.assign(codec.from_utf8("主席"));
    state.output(4).geq_band[2].gain = 160;
    surface.context().report(84, ReadoutKind{7});
    EXPECT_EQ(shown.back().parameter_name, "BAND3");
    EXPECT_EQ(shown.back().value_text, "1.0dB");
    EXPECT_EQ(shown.back().channel_label, "M 5");

    surface.context().report(6, ReadoutKind{1});
    surface.context().report(6, ReadoutKind{30});  // no read-out: name and value stay
    EXPECT_EQ(readout.display(), (ReadoutDisplay{6, ReadoutKind{30}, "主席", "MUTE", "CLOSE", ""}));
    readout.apply_typed_value(Box::Value, "OPEN");
    EXPECT_EQ(state.input(6).mute, 0);
    EXPECT_EQ(readout.display().kind, ReadoutKind{30});

    surface.context().report(70, ReadoutKind{3});  // no such input; ignored
    EXPECT_EQ(readout.selected_channel(), 6);
    EXPECT_THROW(readout.show_parameter(64, ReadoutKind{3}), std::invalid_argument);
    EXPECT_THROW(readout.show_parameter(96, ReadoutKind{3}), std::invalid_argument);
    EXPECT_THROW(readout.show_parameter(0, ReadoutKind{72}), std::invalid_argument);
    readout.show_parameter(0, ReadoutKind{0});
    EXPECT_EQ(readout.display(), (ReadoutDisplay{0, ReadoutKind{0}, "CH 01", "", "", ""}));

    // An image file may hold any word; its text must still come out whole.
    state.input(0).peq_band[0].gain = -2147483647 - 1;
    readout.show_parameter(0, ReadoutKind{5});
    EXPECT_EQ(readout.display().value_text, "-214748379.8dB");
}

TEST_F(ReadoutTest, TextThatIsNoNumberIsRefusedWithANoticeAndChangesNothing) {
    type(4, 3, "-20");
    type(0, 22, "640", Box::Frequency);
    type(0, 1, "CLOSE");
    sink.clear();
    changes.clear();
    const DeviceState before = state;
    const std::pair<const char*, const char*> refused[] = {
        {"abc", "VOL: \"abc\" is not a number; nothing changed."},
        {"", "VOL: nothing was typed; nothing changed."},
        {"1,5", "VOL: \"1,5\" is not a number: decimals take a point, as in 1.5; nothing changed."},
        {"- 5", "VOL: \"- 5\" is not a number; nothing changed."},
        {"1e3", "VOL: \"1e3\" is not a number; nothing changed."},
        {"-6dB!", "VOL: \"-6dB!\" is not a number; nothing changed."},
        {"nan", "VOL: \"nan\" is not a number; nothing changed."},
    };
    for (auto [text, notice] : refused) {
        EXPECT_EQ(type(4, 3, text), "-20dB") << text;
        ASSERT_FALSE(notices.texts.empty()) << text;
        EXPECT_EQ(notices.texts.back(), notice);
    }
    EXPECT_EQ(type(0, 22, "x", Box::Frequency), "640Hz");
    EXPECT_EQ(notices.texts.back(), "BAND1 FRE: \"x\" is not a number; nothing changed.");
    EXPECT_EQ(type(0, 1, "maybe"), "CLOSE");
    EXPECT_EQ(notices.texts.back(), "MUTE takes OPEN or CLOSE; nothing changed.");
    EXPECT_EQ(notices.texts.size(), std::size(refused) + 2);
    EXPECT_EQ(state, before);
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_TRUE(changes.empty());
}

TEST_F(ReadoutTest, FrequenciesTakeThousandsAndTheirUnit) {
    const std::pair<const char*, int> typed[] = {
        {"1k", 1000},    {"1.5k", 1500}, {"1 kHz", 1000}, {" 2.5 KHZ ", 2500}, {"1.001k", 1001},
        {"440 Hz", 440}, {"440hz", 440}, {".5k", 500},    {"25k", 20000},      {"0.01k", 20},
    };
    for (auto [text, freq] : typed) {
        type(0, 20, text);
        EXPECT_EQ(state.input(0).hpf_freq, freq) << text;
    }
    EXPECT_EQ(sink.sent.size(), std::size(typed));
    EXPECT_EQ(type(1, 23, "1.2k", Box::Frequency), "1200HZ");
    EXPECT_EQ(type(1, 6, "3k"), "3000Hz");
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(ReadoutTest, AUnitThatDoesNotMatchTheParameterIsRefused) {
    EXPECT_EQ(type(4, 3, "-10 dB"), "-10dB");
    EXPECT_EQ(type(4, 3, "-70dB"), "-60dB");  // in its unit, still limited to the range
    EXPECT_EQ(type(4, 3, "+99999999999999999999 dB"), "10dB");
    EXPECT_EQ(type(2, 56, "2.5 ms"), "2ms");
    EXPECT_EQ(type(2, 55, "1:4"), "1:4.0");  // a ratio as the box shows it
    EXPECT_EQ(type(82, 42, "1:2.5"), "1:2.5");
    EXPECT_EQ(type(0, 7, "2.5"), "2.50");
    ASSERT_TRUE(notices.texts.empty());
    const std::size_t sent = sink.sent.size();
    const DeviceState before = state;

    const std::tuple<int, int, const char*, const char*> refused[] = {
        {4, 3, "5 ms", "VOL: \"5 ms\" is not in dB; nothing changed."},
        {4, 3, "1k", "VOL: \"1k\" is not in dB; nothing changed."},
        {2, 56, "10 dB", "Attack: \"10 dB\" is not in ms; nothing changed."},
        {0, 20, "1 ms", "HPF: \"1 ms\" is not in Hz or kHz; nothing changed."},
        {0, 7, "2 dB", "BAND1 Q: \"2 dB\" takes no unit; nothing changed."},
        {2, 55, "4:1", "Ratio: \"4:1\" is not a number; nothing changed."},
        {82, 41, "-6 Hz", "Threshold: \"-6 Hz\" is not in dB; nothing changed."},
    };
    for (auto [channel, kind, text, notice] : refused) {
        type(channel, kind, text);
        ASSERT_FALSE(notices.texts.empty()) << text;
        EXPECT_EQ(notices.texts.back(), notice);
    }
    EXPECT_EQ(notices.texts.size(), std::size(refused));
    EXPECT_EQ(state, before);
    EXPECT_EQ(sink.sent.size(), sent);
}

TEST(TypedNumber, ReadsAWholeTextInItsUnit) {
    const auto read = [](const char* text, TypedUnit unit) {
        const TypedNumber n = read_typed_number(text, unit);
        return n.value ? std::optional(std::pair(n.value->decimal, n.value->integer))
                       : std::nullopt;
    };
    EXPECT_EQ(read(" -12.75 dB ", TypedUnit::Decibel), std::pair(-12.75, -12));
    EXPECT_EQ(read("-0.5", TypedUnit::Decibel), std::pair(-0.5, 0));
    EXPECT_EQ(read("-1.5k", TypedUnit::Hertz), std::pair(-1500.0, -1500));
    EXPECT_EQ(read("99999999999", TypedUnit::Millisecond), std::pair(99999999999.0, 2147483647));
    EXPECT_EQ(read("1:4", TypedUnit::Ratio), std::pair(4.0, 4));
    EXPECT_EQ(read("1:4", TypedUnit::None), std::nullopt);
    EXPECT_EQ(read("1k", TypedUnit::Millisecond), std::nullopt);
    EXPECT_EQ(read("1 k Hz", TypedUnit::Hertz), std::nullopt);
    EXPECT_EQ(read(".", TypedUnit::None), std::nullopt);
    EXPECT_EQ(read("+", TypedUnit::None), std::nullopt);
}

TEST(TypedNumber, ReadsTheLeadingNumberOnly) {
    EXPECT_EQ(leading_integer("  -12abc"), -12);
    EXPECT_EQ(leading_integer("+7"), 7);
    EXPECT_EQ(leading_integer("1.9"), 1);
    EXPECT_EQ(leading_integer("- 5"), 0);
    EXPECT_EQ(leading_integer("99999999999"), 2147483647);
    EXPECT_EQ(leading_integer("-99999999999"), -2147483647 - 1);
    EXPECT_DOUBLE_EQ(leading_decimal(" -2.5dB"), -2.5);
    EXPECT_DOUBLE_EQ(leading_decimal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leading_decimal("7."), 7.0);
    EXPECT_DOUBLE_EQ(leading_decimal("1e3"), 1.0);
    EXPECT_DOUBLE_EQ(leading_decimal("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(leading_decimal("nan"), 0.0);
    EXPECT_DOUBLE_EQ(leading_decimal("-"), 0.0);
    EXPECT_GT(leading_decimal(std::string(400, '9')), 1e300);
}

TEST_F(ReadoutTest, FollowsChangesItDidNotMakeToTheShownChannelOnly) {
    using Scope = StateChange::Scope;
    using Block = StateChange::Block;
    state.input(4).volume = 50;
    readout.show_parameter(4, ReadoutKind{3});
    ASSERT_EQ(readout.display().value_text, "-10dB");
    const std::size_t before = shown.size();

    // A fader report moves the shown channel.
    state.input(4).volume = 60;
    stream.publish(
        {Scope::Everything, StateChange::kEvery, Block::Strip, ChangeOrigin::ProcessorReport});
    EXPECT_EQ(readout.display().value_text, "0dB");
    EXPECT_EQ(shown.size(), before + 1);

    // Other channels and changes that leave the text as it is publish nothing, so a box being
    // typed into is left alone (levels have a stream of their own the read-out never sees).
    state.input(5).volume = 10;
    stream.publish({Scope::Input, 5, Block::Strip, ChangeOrigin::Recall});
    stream.publish({Scope::Input, 4, Block::Peq, ChangeOrigin::Operator});
    EXPECT_EQ(shown.size(), before + 1);

    // A recall of the whole state and a rename of the channel.
    state.input(4).volume = 70;
    stream.publish({Scope::Everything, StateChange::kEvery, Block::All, ChangeOrigin::Recall});
    EXPECT_EQ(readout.display().value_text, "10dB");
    NameCodec codec;
    state.input(4).short_name.assign(codec.from_utf8("PODIUM"));
    stream.publish({Scope::Input, 4, Block::Name, ChangeOrigin::Recall});
    EXPECT_EQ(shown.back().channel_label, "PODIUM");
    EXPECT_EQ(shown.size(), before + 3);

    // Outputs are read-out channels 80-95.
    readout.show_parameter(82, ReadoutKind{3});
    state.output(2).volume = 30;
    stream.publish({Scope::Output, 2, Block::Strip, ChangeOrigin::Recall});
    EXPECT_EQ(readout.display().value_text, "-30dB");
}

}  // namespace
}  // namespace kestra
