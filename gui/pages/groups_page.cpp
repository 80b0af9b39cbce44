#include "pages/groups_page.h"

#include <QTimer>
#include <algorithm>

#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "operator/operator_actions.h"
#include "pages/page_controls.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

using Mode = GroupActions::Mode;
using page_controls::button;

constexpr int kMembersPerRow = 8;

struct LinkPlace {
    GroupLink link;
    int x;
};

// SOURCE and 48V are stored but never offered.
constexpr std::array<LinkPlace, 9> kLinkPlaces{{
    {kLinkEq, 100},
    {kLinkComp, 200},
    {kLinkLimit, 200},
    {kLinkVol, 300},
    {kLinkMatrix, 400},
    {kLinkPriority, 500},
    {kLinkLine, 500},
    {kLinkFbk, 600},
    {kLinkDelay, 700},
}};

QRect member_place(int index, int top) {
    return {100 + 100 * (index % kMembersPerRow), top + 30 * (index / kMembersPerRow), 80, 24};
}

}  // namespace

GroupsPage::GroupsPage(OperatorActions& surface, QWidget* parent)
    : TiledBackground(parent, skin::kPageBackground), surface_(surface) {
    setObjectName(QStringLiteral("groups"));
    build_modes();
    build_groups();
    control_members_ = build_members(true);
    mute_members_ = build_members(false);
    build_links();
    build_name();
    change_sub_ =
        surface_.context().changes().subscribe([this](const StateChange& c) { on_change(c); });
    hide();
}

GroupsPage::~GroupsPage() = default;

void GroupsPage::build_modes() {
    const std::array<Mode, 2> modes{Mode::Control, Mode::Mute};
    const std::array<const char*, 2> captions{"CONTROL", "MUTE"};
    for (std::size_t m = 0; m < modes.size(); ++m) {
        const QString caption = QString::fromLatin1(captions[m]);
        PngButton* b = button(this, QStringLiteral("groups.mode.") + caption, caption,
                              {420 + 120 * static_cast<int>(m), 10, 100, 24});
        connect(b, &PngButton::clicked, this, [this, mode = modes[m]] {
            commit_name();
            surface_.groups.set_mode(mode);
            refresh();
        });
        modes_[m] = b;
    }
}

void GroupsPage::build_groups() {
    for (int g = 0; g < kGroupCount; ++g) {
        // Ten pixels higher than the template, so the name row does not run into them.
        const QRect at{300 + 120 * g, 40, 100, 24};
        PngButton* c = button(this, QStringLiteral("groups.control.%1").arg(g + 1),
                              QStringLiteral("CONTROL %1").arg(g + 1), at);
        connect(c, &PngButton::clicked, this, [this, g] {
            commit_name();
            surface_.groups.click_control_group(g);
            refresh();
        });
        PngButton* m = button(this, QStringLiteral("groups.mute.%1").arg(g + 1),
                              QStringLiteral("MUTE %1").arg(g + 1), at);
        connect(m, &PngButton::clicked, this, [this, g] {
            surface_.groups.click_mute_group(g);
            refresh();
        });
        control_groups_[static_cast<std::size_t>(g)] = c;
        mute_groups_[static_cast<std::size_t>(g)] = m;
    }
}

GroupsPage::MemberSet GroupsPage::build_members(bool control) {
    MemberSet set;
    const QString path =
        control ? QStringLiteral("groups.control.") : QStringLiteral("groups.mute.");
    for (int i = 0; i < kInputCount; ++i) {
        PngButton* b =
            button(this, path + QStringLiteral("in.%1").arg(i + 1), {}, member_place(i, 100));
        connect(b, &PngButton::clicked, this,
                [this, control, i] { click_member(control, true, i); });
        set.inputs[static_cast<std::size_t>(i)] = b;
    }
    for (int o = 0; o < kOutputCount; ++o) {
        PngButton* b =
            button(this, path + QStringLiteral("out.%1").arg(o + 1), {}, member_place(o, 370));
        connect(b, &PngButton::clicked, this,
                [this, control, o] { click_member(control, false, o); });
        set.outputs[static_cast<std::size_t>(o)] = b;
    }
    return set;
}

void GroupsPage::build_links() {
    for (const LinkPlace& place : kLinkPlaces) {
        const QString caption = QString::fromLatin1(GroupActions::link_caption(place.link));
        PngButton* b =
            button(this, QStringLiteral("groups.link.") + caption, caption, {place.x, 460, 80, 24});
        connect(b, &PngButton::clicked, this, [this, link = place.link] {
            surface_.groups.toggle_link(link);
            refresh();
        });
        b->hide();
        links_.emplace_back(place.link, b);
    }
}

void GroupsPage::build_name() {
    name_label_ = page_controls::label(this, QStringLiteral("groups.name.label"),
                                       QStringLiteral("CONTROL GROUP NAME"), {300, 70, 180, 26});
    name_ = new EntryEdit(this);
    name_->setObjectName(QStringLiteral("groups.name"));
    name_->setGeometry(500, 70, 120, 26);
    name_->set_length_limit(static_cast<int>(FixedText::kMaxLength));
    name_->set_background_colour(Qt::black);
    QFont font(QStringLiteral("Arial Unicode MS"));
    font.setPixelSize(16);
    name_->setFont(font);
    name_->set_text_colour(Qt::white);
    connect(name_, &EntryEdit::enter_pressed, this, [this](int) { commit_name(); });
    connect(name_, &QLineEdit::editingFinished, this, &GroupsPage::commit_name);
}

void GroupsPage::show_page() {
    surface_.groups.show();
    refresh();
}

void GroupsPage::click_member(bool control, bool input, int index) {
    GroupActions& groups = surface_.groups;
    if (control) {
        input ? groups.toggle_control_input(index) : groups.toggle_control_output(index);
    } else {
        input ? groups.toggle_mute_input(index) : groups.toggle_mute_output(index);
    }
    refresh();
}

void GroupsPage::commit_name() {
    name_->setModified(false);
    const int group = surface_.groups.selected_control_group();
    if (group < 0 || name_->text().toStdString() == surface_.groups.group_name(group)) {
        return;
    }
    // A refused name puts the stored one back.
    surface_.groups.rename_control_group(group, name_->text().toStdString());
    refresh();
}

void GroupsPage::refresh() {
    refresh_due_ = false;
    const GroupActions& groups = surface_.groups;
    const bool control = groups.mode() == Mode::Control;
    modes_[0]->set_lit(control);
    modes_[1]->set_lit(!control);
    for (int g = 0; g < kGroupCount; ++g) {
        const auto at = static_cast<std::size_t>(g);
        control_groups_[at]->setVisible(control);
        control_groups_[at]->set_lit(groups.selected_control_group() == g);
        mute_groups_[at]->setVisible(!control);
        mute_groups_[at]->set_lit(groups.selected_mute_group() == g);
    }
    show_members(control_members_, control);
    show_members(mute_members_, !control);
    const std::vector<GroupLink>& shown = groups.shown_links();
    for (const auto& [link, b] : links_) {
        b->setVisible(std::find(shown.begin(), shown.end(), link) != shown.end());
        b->set_lit(groups.link_lit(link));
    }
    const int selected = groups.selected_control_group();
    name_label_->setVisible(control);
    name_->setVisible(control);
    name_->setEnabled(selected >= 0);
    // Text the operator is typing stays until Enter or the box loses focus.
    if (!(name_->hasFocus() && name_->isModified() && selected >= 0)) {
        name_->setText(selected >= 0 ? QString::fromStdString(groups.group_name(selected))
                                     : QString());
    }
}

// Only the set on show reads the selection; the other one is hidden.
void GroupsPage::show_members(const MemberSet& set, bool shown) {
    const DeviceState& state = surface_.context().state();
    const GroupActions& groups = surface_.groups;
    static const NameCodec fallback;
    const NameCodec& codec =
        surface_.context().names().codec != nullptr ? *surface_.context().names().codec : fallback;
    for (int i = 0; i < kInputCount; ++i) {
        PngButton* b = set.inputs[static_cast<std::size_t>(i)];
        b->setVisible(shown);
        b->setText(QString::fromStdString(
            codec.to_utf8(state.inputs[static_cast<std::size_t>(i)].short_name.str())));
        b->set_lit(shown && groups.input_lit(i));
    }
    for (int o = 0; o < kOutputCount; ++o) {
        PngButton* b = set.outputs[static_cast<std::size_t>(o)];
        b->setVisible(shown);
        b->setText(QString::fromStdString(
            codec.to_utf8(state.outputs[static_cast<std::size_t>(o)].short_name.str())));
        b->set_lit(shown && groups.output_lit(o));
    }
}

// Fader and level reports change nothing the page shows, so they do not repaint it.
void GroupsPage::on_change(const StateChange& change) {
    using Block = StateChange::Block;
    if (GroupActions::replaces_groups(change)) {
        isVisible() ? surface_.groups.reread() : surface_.groups.start_over();
    }
    const bool names = change.block == Block::Name || change.block == Block::Connection;
    const bool groups = change.scope == StateChange::Scope::Groups &&
                        (change.block == Block::Membership || change.block == Block::Links);
    if (!isVisible() || refresh_due_ ||
        !(names || groups || GroupActions::replaces_groups(change))) {
        return;
    }
    refresh_due_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refresh_due_) {
            refresh();
        }
    });
}

}  // namespace kestra
