#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "model/state_fields.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_path.h"
#include "params/parameter_value.h"
#include "protocol/command_decoder.h"
#include "protocol/command_encoder.h"
#include "readout/channel_parameter.h"
#include "session/write_steps.h"
#include "support/blank_glyphs.h"

namespace kestra {
namespace {

using testing::BlankGlyphs;

const Parameter& row(std::string_view path) {
    const Parameter* p = ParameterCatalogue::find(path);
    if (p == nullptr) {
        throw std::runtime_error("no row " + std::string(path));
    }
    return *p;
}

bool is_text(const Parameter& p) {
    return p.law.type == ParameterType::Text;
}

// Rows of the same law, range and choices convert alike: one of each is walked value by value.
std::vector<const Parameter*> one_row_per_conversion() {
    std::map<std::tuple<int, int, int, int, double, int, int, int, int, std::size_t>,
             const Parameter*>
        kinds;
    for (const Parameter& p : ParameterCatalogue::rows()) {
        const ValueLaw& l = p.law;
        kinds.emplace(std::tuple(static_cast<int>(l.type), l.offset, static_cast<int>(l.wire),
                                 static_cast<int>(l.control), l.scale, l.decimals, p.min, p.max,
                                 p.step, p.choices.size()),
                      &p);
    }
    std::vector<const Parameter*> out;
    for (const auto& [key, p] : kinds) {
        out.push_back(p);
    }
    return out;
}

// ---- the rows and their lookups ----

TEST(ParameterCatalogue, EveryRowHasAUniquePathAndAStateField) {
    std::set<std::string> paths;
    for (const Parameter& p : ParameterCatalogue::rows()) {
        SCOPED_TRACE(p.path);
        EXPECT_TRUE(paths.insert(p.path).second);
        EXPECT_TRUE(ParameterPath::well_formed(p.path));
        ASSERT_GE(p.field.slot, 0) << p.field.path;
        EXPECT_EQ(StateFields::paths(p.field.unit).at(static_cast<std::size_t>(p.field.slot)),
                  p.field.path);
        EXPECT_EQ(ParameterCatalogue::find(p.path), &p);
        EXPECT_FALSE(p.label.empty());
        if (!is_text(p)) {
            EXPECT_LE(p.min, p.max);
            EXPECT_TRUE(p.choices.empty() ||
                        p.choices.size() == static_cast<std::size_t>((p.max - p.min) / p.step + 1));
        }
        if (p.selects == 0) {
            EXPECT_EQ(ParameterCatalogue::of_field(p.field.unit, p.field.path), &p);
        }
    }
}

TEST(ParameterCatalogue, PathsCountFromOneAndExistWhereTheProcessorHasTheParameter) {
    EXPECT_EQ(row("in.1.volume").field,
              (StateFieldRef{0, "volume", row("in.1.volume").field.slot}));
    EXPECT_EQ(row("in.3.peq.2.gain").field.path, "peq_band[1].gain");
    EXPECT_EQ(row("in.3.peq.2.gain").label, "BAND2 GAIN");
    EXPECT_EQ(row("in.3.hpf.freq").label, "HPF FRE");
    EXPECT_EQ(row("in.5.route.16").field.path, "matrix_row[15]");
    EXPECT_EQ(row("out.2.volume").field.unit, StateFields::output_unit(1));
    EXPECT_EQ(row("group.control.1.link.VOL").field.path, "control[0].link[0]");
    EXPECT_EQ(row("group.control.4.member.out.16").field.path, "control[3].output_member[15]");
    EXPECT_EQ(row("unit.11.5").field.path, "unit_table[54]");
    EXPECT_EQ(ParameterCatalogue::find("in.0.volume"), nullptr);
    EXPECT_EQ(ParameterCatalogue::find("in.65.volume"), nullptr);
    EXPECT_EQ(ParameterCatalogue::find("in.32.source"), nullptr);
    EXPECT_NE(ParameterCatalogue::find("in.33.source"), nullptr);
    EXPECT_EQ(ParameterCatalogue::find("in.33.peq.on"), nullptr);
    EXPECT_EQ(ParameterCatalogue::find("out.9.fbk"), nullptr);
    EXPECT_EQ(ParameterCatalogue::find("out.1.geq.16.gain"), nullptr);
}

TEST(ParameterCatalogue, WildcardsSelectOneWordOrEverythingBelowAtTheEnd) {
    EXPECT_EQ(ParameterCatalogue::select("in.*.volume").size(), 64u);
    EXPECT_EQ(ParameterCatalogue::select("in.*.peq.2.gain").size(), 32u);
    const auto out3 = ParameterCatalogue::select("out.3.*");
    std::size_t expected = 0;
    for (const Parameter& p : ParameterCatalogue::rows()) {
        expected += p.path.starts_with("out.3.") ? 1 : 0;
    }
    EXPECT_EQ(out3.size(), expected);
    EXPECT_EQ(expected, 28u);  // 6 strip, GEQ on and 15 bands, 6 limiter
    EXPECT_TRUE(ParameterCatalogue::select("out.3").empty());
    EXPECT_TRUE(ParameterPath::matches("in.*.peq.*", "in.1.peq.5.q"));
    EXPECT_FALSE(ParameterPath::matches("in.*.peq", "in.1.peq.on"));
    EXPECT_FALSE(ParameterPath::matches("in.1.*", "in.12.volume"));
    EXPECT_FALSE(ParameterPath::well_formed("in..volume"));
    EXPECT_FALSE(ParameterPath::well_formed("in.3.vol*"));
    EXPECT_TRUE(ParameterPath::well_formed("in.*.volume", true));
    EXPECT_FALSE(ParameterPath::well_formed("in.*.volume"));
}

// ---- the conversions of every row ----

TEST(ParameterCatalogue, EveryStoredValueRoundTripsThroughTextPositionAndWire) {
    for (const Parameter* p : one_row_per_conversion()) {
        if (is_text(*p)) {
            continue;
        }
        SCOPED_TRACE(p->path);
        const int resolution = ParameterValue::wire_resolution(*p);
        int failures = 0;
        for (int v = p->min; v <= p->max && failures < 3; v += p->step) {
            const std::string text = ParameterValue::text(*p, v);
            const ParameterValue::Typed typed = ParameterValue::read(*p, text);
            const int position = ParameterValue::position(*p, v);
            const int wire = ParameterValue::wire(*p, v);
            // The log scale's lowest positions are closer than whole hertz: a position there
            // may come back one notch lower.
            const int back =
                ParameterValue::position(*p, ParameterValue::stored_of_position(*p, position));
            const int slack = p->law.control == ControlForm::LogFrequency ? 1 : 0;
            const bool ok =
                typed.stored == v && position >= 0 &&
                position < ParameterValue::position_count(*p) && back <= position &&
                back >= position - slack &&
                ParameterValue::stored_of_wire(*p, wire) == v - (v - p->min) % resolution;
            if (!ok) {
                ++failures;
                ADD_FAILURE() << "stored " << v << " text '" << text << "' reads back "
                              << typed.stored.value_or(-1) << " " << typed.refusal << ", position "
                              << position << ", wire " << wire;
            }
        }
    }
}

TEST(ParameterCatalogue, TypedValuesAreInTheDisplayUnitAndLimited) {
    const auto stored = [](std::string_view path, std::string_view text) {
        return ParameterValue::read(row(path), text).stored;
    };
    EXPECT_EQ(stored("in.3.volume", "-10"), 50);
    EXPECT_EQ(stored("in.3.volume", "-10dB"), 50);
    EXPECT_EQ(stored("in.3.volume", "-100"), 0);
    EXPECT_EQ(stored("in.3.volume", "30"), 70);
    EXPECT_EQ(stored("in.3.peq.2.freq", "1k"), 1000);
    EXPECT_EQ(stored("in.3.peq.2.freq", "5"), 20);
    EXPECT_EQ(stored("in.3.peq.2.gain", "-1.1"), 139);
    EXPECT_EQ(stored("in.3.comp.ratio", "1:4"), 40);
    EXPECT_EQ(stored("in.3.mute", "on"), 1);
    EXPECT_EQ(stored("in.3.mute", "close"), 0);
    EXPECT_EQ(stored("in.40.source", "AUX2"), 2);
    EXPECT_EQ(stored("out.2.delay", "1.5"), 3);
    EXPECT_EQ(stored("sys.automix.hold", "100 ms"), 2);
    EXPECT_EQ(stored("unit.1.1", "M02"), 66);
    EXPECT_FALSE(stored("in.3.volume", "loud").has_value());
    EXPECT_FALSE(stored("in.3.volume", "10 Hz").has_value());
    EXPECT_FALSE(stored("in.3.mute", "maybe").has_value());
    EXPECT_FALSE(stored("in.3.name", "x").has_value());
    EXPECT_EQ(ParameterValue::text(row("in.3.volume"), 50), "-10dB");
    EXPECT_EQ(ParameterValue::text(row("in.3.peq.1.gain"), 135), "-1.5dB");
    EXPECT_EQ(ParameterValue::text(row("out.1.limit.ratio"), 40), "1:4.0");
    EXPECT_EQ(ParameterValue::text(row("in.1.hpf.slope"), 3), "-18dB/Oct");
}

// ---- the state and the wire ----

TEST(ParameterCatalogue, TheActiveMuteGroupIsOneFieldSeenAsFourFlags) {
    DeviceState state;
    EXPECT_TRUE(ParameterValue::store(row("group.mute.2.active"), state, 1));
    EXPECT_EQ(state.groups.active_mute_group, 2);
    EXPECT_EQ(ParameterValue::stored(row("group.mute.2.active"), state), 1);
    EXPECT_EQ(ParameterValue::stored(row("group.mute.1.active"), state), 0);
    ParameterValue::store(row("group.mute.1.active"), state, 0);
    EXPECT_EQ(state.groups.active_mute_group, 2);
    ParameterValue::store(row("group.mute.2.active"), state, 0);
    EXPECT_EQ(state.groups.active_mute_group, 0);
}

TEST(ParameterCatalogue, OwnersReadAsTheReadoutShowsThem) {
    DeviceState state;
    const NameCodec codec;
    EXPECT_EQ(ParameterCatalogue::full_label(row("in.3.peq.2.gain"), state, codec),
              "CH 03 BAND2 GAIN");
    EXPECT_EQ(ParameterCatalogue::owner_label(row("out.2.mute"), state, codec), "M 2");
    EXPECT_EQ(ParameterCatalogue::owner_label(row("out.10.mute"), state, codec), "D 2");
    EXPECT_EQ(ParameterCatalogue::full_label(row("group.control.1.link.VOL"), state, codec),
              "C GROUP 1 VOL link");
    state.inputs[2].short_name.assign("");
    EXPECT_EQ(ParameterCatalogue::owner_label(row("in.3.mute"), state, codec), "CH 03");
    state.inputs[2].short_name.assign("PODIUM");
    EXPECT_EQ(ParameterCatalogue::owner_label(row("in.3.mute"), state, codec), "PODIUM");
}

// A value of the row unlike the default state's, on the wire's steps.
int32_t other_value(const Parameter& p, const DeviceState& fresh) {
    const int32_t now = ParameterValue::stored(p, fresh);
    const int32_t top = p.max - (p.max - p.min) % ParameterValue::wire_resolution(p);
    return now != top ? top : p.min;
}

TEST(ParameterCatalogue, EachRowsLetterCarriesItsFieldThroughTheDecoder) {
    const NameCodec codec;
    const BlankGlyphs glyphs;
    CommandContext ctx;
    ctx.glyphs = &glyphs;
    int walked = 0;
    for (const Parameter& p : ParameterCatalogue::rows()) {
        if (p.command.letter == 0) {
            continue;
        }
        SCOPED_TRACE(p.path);
        DeviceState sent;
        DeviceState received;
        int32_t value = 0;
        if (is_text(p)) {
            ASSERT_TRUE(StateFields::assign(sent, p.field.unit, p.field.slot, {0, "AB-7", true}));
        } else {
            value = other_value(p, received);
            ASSERT_TRUE(ParameterValue::store(p, sent, value));
        }
        std::string frame;
        for (const Datagram& d : encode_command(sent, p.command.letter, p.command.selector, ctx)) {
            frame += d.payload;
        }
        ASSERT_TRUE(CommandDecoder::apply_frame(received, codec, frame)) << frame;
        if (is_text(p)) {
            EXPECT_EQ(ParameterValue::stored_text(p, received), "AB-7");
        } else {
            EXPECT_EQ(ParameterValue::stored(p, received), value) << frame;
        }
        const WriteStep step{p.command.letter,
                             p.command.selector.empty() ? 0 : p.command.selector[0],
                             p.command.selector.size() > 1 ? p.command.selector[1] : 0};
        EXPECT_TRUE(WriteSteps::carries(step, p.field.unit, p.field.path));
        ++walked;
    }
    EXPECT_GT(walked, 3000);
}

TEST(ParameterCatalogue, AStepCarriesTheFieldsOfItsOwnChannelAndBand) {
    const WriteStep band4{'G', 3, 4};
    EXPECT_TRUE(WriteSteps::carries(band4, 2, "peq_on"));  // the switch goes with every band
    EXPECT_TRUE(WriteSteps::carries(band4, 2, "peq_band[3].freq"));
    EXPECT_FALSE(WriteSteps::carries(band4, 2, "peq_band[0].freq"));
    EXPECT_FALSE(WriteSteps::carries(band4, 3, "peq_band[3].freq"));
    EXPECT_FALSE(WriteSteps::carries({'A', 3, 0}, StateFields::output_unit(2), "volume"));
    EXPECT_TRUE(WriteSteps::carries({'A', 67, 0}, StateFields::output_unit(2), "volume"));
    EXPECT_TRUE(WriteSteps::carries({'M', 0, 0}, StateFields::kSystemUnit, "automix_cfg[0]"));
    EXPECT_FALSE(WriteSteps::carries({'M', 0, 0}, StateFields::kSystemUnit, "automix_sync"));
    EXPECT_FALSE(
        WriteSteps::carries({'H', 1, 0}, StateFields::output_unit(0), "geq_band[15].gain"));
    EXPECT_FALSE(WriteSteps::carries({'Q', 0, 0}, StateFields::kSystemUnit, "automix_cfg[0]"));
}

// The read-out kind a row names shows that row's field: the entry's change block and command
// are the row's, and its value text follows the row's field.
TEST(ParameterCatalogue, ReadoutKindsNameTheRowsField) {
    int named = 0;
    for (const Parameter& p : ParameterCatalogue::rows()) {
        if (!p.readout_kind) {
            continue;
        }
        SCOPED_TRACE(p.path);
        DeviceState state;
        const int channel =
            p.target == FieldTarget::Input ? p.index : ActionContext::output_readout(p.index);
        const auto entry = readout_parameter(state, channel, *p.readout_kind);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->change, p.change);
        const std::string before = entry->value_text();
        ASSERT_TRUE(ParameterValue::store(p, state, other_value(p, DeviceState())));
        EXPECT_NE(entry->value_text(), before);
        const DatagramList frames = entry->command();
        const DatagramList expected = encode_command(state, p.command.letter, p.command.selector);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].payload, expected.at(0).payload);
        ++named;
    }
    EXPECT_EQ(named, 64 * 2 + 32 * (12 + 2 + 5) + 16 * (2 + 15 + 5));
}

TEST(ParameterCatalogue, EveryFieldTheWholeStateWriteSendsHasARow) {
    for (const WriteStep& step : WriteSteps::every_field(std::chrono::milliseconds(0))) {
        for (int unit = 0; unit < StateFields::kUnitCount; ++unit) {
            for (const std::string& path : StateFields::paths(unit)) {
                if (WriteSteps::carries(step, unit, path)) {
                    EXPECT_NE(ParameterCatalogue::of_field(unit, path), nullptr)
                        << step.letter << " " << step.channel << " carries unit " << unit << " "
                        << path;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kestra
