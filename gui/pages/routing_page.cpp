#include "pages/routing_page.h"

#include "controls/png_button.h"
#include "controls/value_label.h"
#include "operator/operator_actions.h"
#include "pages/page_controls.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

constexpr int kColumns = 4;
constexpr int kCellWidth = 160;
constexpr int kGap = 10;  // between neighbouring names
constexpr int kRoute = 30;
constexpr int kNameHeight = 22;
constexpr int kRowStep = kRoute + 2 + kNameHeight + 12;
const QString kPath = QStringLiteral("editor.route");

}  // namespace

RoutingPage::RoutingPage(OperatorActions& surface, QWidget* parent)
    : TiledBackground(parent, skin::kPageBackground), surface_(surface) {
    setObjectName(kPath);
    all_ = page_controls::button(this, kPath + QStringLiteral(".all"),
                                 QStringLiteral("ALL OPEN/CLOSE"), {80, 30, 120, 30});
    connect(all_, &PngButton::clicked, this, [this] { surface_.routing.toggle_all(); });
    // Each output's name sits centred under its own crosspoint; side by side, a name read as
    // belonging to the crosspoint on its left.
    for (int k = 0; k < RoutingActions::kRouteCount; ++k) {
        const int x = kCellWidth * (k % kColumns) + 50;
        const int y = kRowStep * (k / kColumns) + 80;
        const auto at = static_cast<std::size_t>(k);
        names_[at] = page_controls::label(this, kPath + QStringLiteral(".label.%1").arg(k + 1), {},
                                          {x, y + kRoute + 2, kCellWidth - kGap, kNameHeight}, 12);
        names_[at]->set_alignment(ValueLabel::kCentre);
        PngButton* route =
            page_controls::button(this, kPath + QStringLiteral(".route.%1").arg(k + 1), {},
                                  {x + (kCellWidth - kGap - kRoute) / 2, y, kRoute, kRoute});
        route->set_images(skin::kRouteOff, skin::kRouteOn);
        connect(route, &PngButton::clicked, this, [this, k] { surface_.routing.toggle_route(k); });
        routes_[at] = route;
    }
    change_sub_ =
        surface_.context().changes().subscribe([this](const StateChange& c) { on_change(c); });
    hide();
}

RoutingPage::~RoutingPage() = default;

int RoutingPage::channel() const {
    return surface_.routing.shown_input();
}

void RoutingPage::show_channel(int input) {
    surface_.routing.show(input);
    load();
}

void RoutingPage::load() {
    const DeviceState& state = surface_.context().state();
    const InputChannel& in = state.inputs[static_cast<std::size_t>(channel())];
    static const NameCodec fallback;
    const NameCodec* codec = surface_.context().names().codec;
    for (std::size_t k = 0; k < routes_.size(); ++k) {
        routes_[k]->set_lit(in.matrix_row[k] != 0);
        const std::string name = state.outputs[k].name.str();
        names_[k]->set_text(
            QString::fromStdString((codec != nullptr ? *codec : fallback).to_utf8(name)));
    }
    all_->set_lit(surface_.routing.all_open());
}

void RoutingPage::on_change(const StateChange& change) {
    const bool own_routes = change.scope == StateChange::Scope::Input &&
                            change.block == StateChange::Block::Matrix &&
                            (change.index == channel() || change.index == StateChange::kEvery);
    // The outputs' names arrive with the connect reply; a rename changes only short names.
    const bool names =
        change.scope == StateChange::Scope::Output && change.block == StateChange::Block::Name;
    if (own_routes || names || page_controls::touches_everything(change)) {
        load();
    }
}

}  // namespace kestra
