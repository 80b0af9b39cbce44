#include "strips/strip_bank.h"

#include "operator/operator_actions.h"
#include "strips/input_strip.h"
#include "strips/output_strip.h"

namespace kestra {

namespace {

constexpr int kStripsPerBank = 8;
constexpr int kInputBanks = 8;

bool touches_graph(StateChange::Block block) {
    using Block = StateChange::Block;
    return block == Block::Peq || block == Block::Filters || block == Block::Geq ||
           block == Block::All;
}

}  // namespace

StripBank::StripBank(OperatorActions& surface, NoticeSink& notices, QWidget* canvas) {
    const auto forward = [this](int channel, StripEditor kind) {
        emit editor_requested(channel, kind);
    };
    for (int i = 0; i < kInputCount; ++i) {
        auto* strip =
            new InputStrip(QStringLiteral("strip.in%1").arg(i + 1), surface, notices, canvas);
        strip->set_channel(i);
        inputs_.push_back(strip);
    }
    for (int m = 0; m < kOutputCount; ++m) {
        auto* strip =
            new OutputStrip(QStringLiteral("strip.out%1").arg(m + 1), surface, notices, canvas);
        strip->set_channel(m);
        outputs_.push_back(strip);
    }
    input_detail_ = new InputStrip(QStringLiteral("detail.in"), surface, notices, canvas);
    output_detail_ = new OutputStrip(QStringLiteral("detail.out"), surface, notices, canvas);
    all_.assign(inputs_.begin(), inputs_.end());
    all_.insert(all_.end(), outputs_.begin(), outputs_.end());
    all_.push_back(input_detail_);
    all_.push_back(output_detail_);
    for (ChannelStrip* strip : all_) {
        connect(strip, &ChannelStrip::editor_requested, this, forward);
    }
    change_sub_ =
        surface.context().changes().subscribe([this](const StateChange& c) { on_change(c); });
}

StripBank::~StripBank() = default;

void StripBank::follow(Publisher<LevelView>& levels, const LevelView& current) {
    for (ChannelStrip* strip : all_) {
        strip->set_level_source(&current);
    }
    level_sub_ = levels.subscribe([this](const LevelView& v) { show_levels(v); });
}

std::vector<ChannelStrip*> StripBank::bank(int bank) const {
    std::vector<ChannelStrip*> strips;
    const bool inputs = bank <= kInputBanks;
    const int first = (inputs ? bank - 1 : bank - kInputBanks - 1) * kStripsPerBank;
    for (int k = first; k < first + kStripsPerBank; ++k) {
        strips.push_back(inputs ? static_cast<ChannelStrip*>(input(k))
                                : static_cast<ChannelStrip*>(output(k)));
    }
    return strips;
}

void StripBank::hide_all() {
    for (ChannelStrip* strip : all_) {
        strip->hide();
    }
}

void StripBank::on_change(const StateChange& change) {
    using Scope = StateChange::Scope;
    using Block = StateChange::Block;
    if (change.origin == ChangeOrigin::ProcessorReport && change.block == Block::Strip) {
        // A fader report: every volume, and a held fader keeps the operator's.
        for (ChannelStrip* strip : all_) {
            if (strip->isVisible()) {
                strip->follow_volume();
            }
        }
        return;
    }
    const bool graph = touches_graph(change.block);
    // A group's activation or membership recolours its members' frames.
    if (change.scope == Scope::Everything || change.scope == Scope::Groups ||
        change.index == StateChange::kEvery || change.block == Block::Connection) {
        reload_shown(graph || change.block == Block::Connection);
        return;
    }
    std::vector<ChannelStrip*> strips;
    if (change.scope == Scope::Input && change.index < kInputCount) {
        strips = {input(change.index), input_detail_};
    } else if (change.scope == Scope::Output && change.index < kOutputCount) {
        strips = {output(change.index), output_detail_};
    }
    for (ChannelStrip* strip : strips) {
        if (strip->isVisible() && strip->channel() == change.index) {
            strip->reload(graph);
        }
    }
}

void StripBank::reload_shown(bool with_graph) {
    for (ChannelStrip* strip : all_) {
        if (strip->isVisible()) {
            strip->reload(with_graph);
        }
    }
}

void StripBank::show_levels(const LevelView& view) {
    for (ChannelStrip* strip : all_) {
        if (strip->isVisible()) {
            strip->show_levels(view);
        }
    }
}

}  // namespace kestra
