#include <gtest/gtest.h>

#include <QWidget>
#include <vector>

#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "session/report_supervisor.h"
#include "shell/header_bar.h"
#include "skin/skin_palette.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

// The header on a bare canvas, laid out for a 1366x768 window, recording what it signals.
class HeaderBarTest : public ::testing::Test {
protected:
    HeaderBarTest() {
        canvas.resize(1600, 1000);
        layout.resize({1366, 768});
        header.apply(layout);
        QObject::connect(&header, &HeaderBar::page_chosen, [this](Page p) { pages.push_back(p); });
        QObject::connect(&header, &HeaderBar::bank_chosen, [this](int b) { banks.push_back(b); });
        QObject::connect(&header, &HeaderBar::link_pressed,
                         [this](bool lit) { links.push_back(lit); });
        QObject::connect(&header, &HeaderBar::typed, [this](Readout::Box box, const QString& text) {
            typed.push_back({box, text});
        });
    }
    template <typename W>
    W* child(const char* name) {
        auto* w = canvas.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void click(QWidget* w) {
        const QPoint centre = w->rect().center();
        synthetic::press(w, centre);
        synthetic::release(w, centre);
    }

    struct Typed {
        Readout::Box box;
        QString text;
    };

    QWidget canvas;
    MainLayout layout;
    HeaderBar header{&canvas};
    std::vector<Page> pages;
    std::vector<int> banks;
    std::vector<bool> links;
    std::vector<Typed> typed;
};

TEST_F(HeaderBarTest, EveryControlSitsOnTheCanvasWhereTheLayoutPutsIt) {
    EXPECT_EQ(header.pos(), QPoint(0, 0));
    const auto on_canvas = [this](QWidget* w) {
        return QRect(w->mapTo(&canvas, QPoint(0, 0)), w->size());
    };
    EXPECT_EQ(on_canvas(child<PngButton>("page.GROUPS")), layout.page_button(Page::Groups));
    EXPECT_EQ(on_canvas(child<PngButton>("bank.10")), layout.bank_button(10));
    EXPECT_EQ(on_canvas(child<ValueLabel>("bank.10.label")), layout.bank_label(10));
    EXPECT_EQ(on_canvas(child<PngButton>("cgroup.4")), layout.control_group_button(4));
    EXPECT_EQ(on_canvas(child<PngButton>("menu")), layout.menu_button());
    EXPECT_EQ(on_canvas(child<ValueLabel>("status")), layout.status_label());
    EXPECT_EQ(on_canvas(child<EntryEdit>("freq_box")), layout.freq_box());
    // Nothing is cut off by the header's own edge.
    for (QWidget* w : header.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(header.rect().contains(w->geometry()) || w->isHidden())
            << w->objectName().toStdString();
    }
}

TEST_F(HeaderBarTest, OnlyTheLayoutsPageAndBankAreLit) {
    layout.select_bank(9);
    header.apply(layout);
    EXPECT_TRUE(child<PngButton>("bank.9")->lit());
    EXPECT_FALSE(child<PngButton>("bank.1")->lit());
    EXPECT_TRUE(child<PngButton>("page.CHANNEL")->lit());
    layout.select_page(Page::System);
    header.apply(layout);
    EXPECT_FALSE(child<PngButton>("bank.9")->lit()) << "a bank is lit on the CHANNEL page only";
    EXPECT_TRUE(child<PngButton>("page.SYSTEM")->lit());
    EXPECT_FALSE(child<PngButton>("page.CHANNEL")->lit());
}

TEST_F(HeaderBarTest, PressesLeaveAsSignalsWithWhatWasPressed) {
    click(child<PngButton>("bank.3"));
    click(child<PngButton>("page.MODE"));
    click(child<PngButton>("online"));
    header.show_connection(true);
    click(child<PngButton>("online"));
    EXPECT_EQ(banks, std::vector<int>{3});
    EXPECT_EQ(pages, std::vector<Page>{Page::Mode});
    EXPECT_EQ(links, (std::vector<bool>{false, true}));
}

TEST_F(HeaderBarTest, ALeftClickOnMenuOpensItsMenuUnderTheKeyLitWhileOpen) {
    PngButton* menu = child<PngButton>("menu");
    std::vector<QPoint> opened;
    std::vector<bool> lit_while_open;
    QObject::connect(&header, &HeaderBar::menu_requested, [&](const QPoint& at) {
        opened.push_back(at);
        lit_while_open.push_back(menu->lit());
    });
    click(menu);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], menu->mapToGlobal(QPoint(0, menu->height())));
    EXPECT_TRUE(lit_while_open[0]);
    EXPECT_FALSE(menu->lit()) << "the key goes dark once its menu has closed";
    click(menu);
    EXPECT_EQ(opened.size(), 2u) << "every click opens it, not every other";
}

TEST_F(HeaderBarTest, EachReadoutBoxHandsItsOwnTextOnWithItsBox) {
    auto* value = child<EntryEdit>("value_box");
    auto* freq = child<EntryEdit>("freq_box");
    value->setText(QStringLiteral("-12"));
    freq->setText(QStringLiteral("1k"));
    synthetic::key(freq, Qt::Key_Return);
    synthetic::key(value, Qt::Key_Return);
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[0].box, Readout::Box::Frequency);
    EXPECT_EQ(typed[0].text, QStringLiteral("1k"));
    EXPECT_EQ(typed[1].box, Readout::Box::Value);
    EXPECT_EQ(typed[1].text, QStringLiteral("-12"));
}

TEST_F(HeaderBarTest, TheStatusWordsAndTheLampFollowTheConnection) {
    auto* status = child<ValueLabel>("status");
    header.show_connection(true);
    EXPECT_EQ(status->text(), QString::fromLatin1(ReportSupervisor::kOnline));
    EXPECT_EQ(status->text_colour(), skin::SkinPalette::online_text());
    EXPECT_TRUE(child<PngButton>("online")->lit());
    header.show_connection(false);
    EXPECT_EQ(status->text(), QString::fromLatin1(ReportSupervisor::kOffline));
    EXPECT_EQ(status->text_colour(), skin::SkinPalette::offline_text());
    EXPECT_FALSE(child<PngButton>("online")->lit());
}

}  // namespace
}  // namespace kestra
