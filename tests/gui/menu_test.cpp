#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "controls/cmenu_ex.h"
#include "controls/menu_resources.h"
#include "skin/skin_font.h"

namespace kestra {
namespace {

std::vector<std::pair<int, QString>> items_of(const CMenuEx* menu) {
    std::vector<std::pair<int, QString>> out;
    for (QAction* action : menu->actions())
        out.emplace_back(action->data().toInt(), action->text());
    return out;
}

TEST(CMenuEx, LoadsTheThreeMenusWithTheirCommands) {
    CMenuEx rename, preset, scene;
    ASSERT_TRUE(rename.load(218));
    ASSERT_TRUE(preset.load(215));
    ASSERT_TRUE(scene.load(216));
    ASSERT_EQ(rename.sub_menu_count(), 1);
    EXPECT_EQ(rename.sub_menu(0)->title(), QStringLiteral("SAVE"));
    using Items = std::vector<std::pair<int, QString>>;
    EXPECT_EQ(items_of(rename.sub_menu(0)), (Items{{32775, "NAME"}}));
    EXPECT_EQ(items_of(preset.sub_menu(0)),
              (Items{{32771, "NAME"}, {32773, "RECALL"}, {32774, "DELETE"}}));
    EXPECT_EQ(items_of(scene.sub_menu(0)),
              (Items{{32775, "NAME"}, {32776, "RECALL"}, {32777, "DELETE"}}));
}

TEST(CMenuEx, UnknownMenuIsEmpty) {
    CMenuEx menu;
    EXPECT_FALSE(menu.load(999));
    EXPECT_EQ(menu.sub_menu_count(), 0);
    EXPECT_EQ(menu.sub_menu(0), nullptr);
}

TEST(CMenuEx, ChosenCommandIsReportedOnce) {
    CMenuEx menu;
    menu.load(215);
    std::vector<int> commands;
    QObject::connect(&menu, &CMenuEx::command, [&](int id) { commands.push_back(id); });
    menu.sub_menu(0)->action_for(32773)->trigger();
    EXPECT_EQ(commands, std::vector<int>{32773});
}

TEST(MenuExStyle, MeasuresItemsLikeTheMenuLook) {
    MenuExStyle style;
    QFontMetrics metrics(skin::SkinFont::pixels(16));
    int text = metrics.horizontalAdvance(QStringLiteral("NAME"));
    EXPECT_EQ(style.measure_item({QStringLiteral("NAME")}), QSize(text + 16, 19));
    MenuExStyle::Item with_icon{QStringLiteral("NAME")};
    with_icon.has_icon = true;
    with_icon.popup = true;
    EXPECT_EQ(style.measure_item(with_icon).width(), text + 16 + 30 + 15);
    MenuExStyle::Item separator;
    separator.separator = true;
    EXPECT_EQ(style.measure_item(separator).height(), 10);
}

// Pixels at least as dark as the check mark's grey (the mark is antialiased).
int count_marked(const QImage& image, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) <= qGray(MenuExStyle::check_colour().rgb()) + 20 ? 1 : 0;
    return n;
}

QImage drawn(const MenuExStyle::Item& item, bool selected) {
    MenuExStyle style;
    QImage out(120, 19, QImage::Format_RGB32);
    QPainter painter(&out);
    style.draw_item(painter, item, out.rect(), selected);
    return out;
}

TEST(MenuExStyle, CheckedItemShowsItsMarkInTheGreyColumn) {
    MenuExStyle::Item item{QStringLiteral("NAME")};
    QRect column(0, 0, 21, 19);
    QImage plain = drawn(item, false);
    EXPECT_EQ(plain.pixel(1, 1), MenuExStyle::icon_column_colour().rgb());
    EXPECT_EQ(plain.pixel(60, 1), QColor(239, 243, 255).rgb());
    EXPECT_EQ(count_marked(plain, column), 0);
    item.checked = true;
    EXPECT_GT(count_marked(drawn(item, false), column), 5);
}

// The rightmost column the item's caption inks, or -1.
int last_inked_column(const QImage& image, const MenuExStyle& style) {
    const QRgb background = style.look().background.rgb();
    for (int x = image.width() - 1; x > style.look().icon_width + 5; --x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != background)
                return x;
    return -1;
}

// An & marks the mnemonic's letter: it takes no room and is never drawn as a character;
// && is one &.
TEST(MenuExStyle, AMnemonicIsUnderlinedNotShown) {
    MenuExStyle style;
    const MenuExStyle::Item marked{QStringLiteral("&ABOUT KESTRA-V 2.1...")};
    const MenuExStyle::Item bare{QStringLiteral("ABOUT KESTRA-V 2.1...")};
    EXPECT_EQ(style.measure_item(marked), style.measure_item(bare));
    const int width = style.measure_item(bare).width() + 20;
    const auto draw = [&](const MenuExStyle::Item& item) {
        QImage out(width, 19, QImage::Format_RGB32);
        QPainter painter(&out);
        style.draw_item(painter, item, out.rect(), false);
        return out;
    };
    const QImage with_mark = draw(marked);
    const QImage without = draw(bare);
    ASSERT_GT(last_inked_column(without, style), 0);
    EXPECT_EQ(last_inked_column(with_mark, style), last_inked_column(without, style))
        << "the & was drawn as a character";
    const MenuExStyle::Item doubled{QStringLiteral("A&&B")};
    EXPECT_GT(style.measure_item(doubled).width(),
              style.measure_item({QStringLiteral("AB")}).width());
}

TEST(MenuExStyle, SelectedItemIsHighlightedAcrossTheRow) {
    MenuExStyle::Item item{QStringLiteral("NAME")};
    QImage selected = drawn(item, true);
    QRgb brush = MenuExStyle().look().selection_brush.rgb();
    EXPECT_EQ(selected.pixel(5, 9), brush);
    EXPECT_EQ(selected.pixel(110, 9), brush);
}

TEST(MenuExStyle, SeparatorIsAnEtchedLineAcrossTheTextArea) {
    MenuExStyle style;
    QImage out(120, 10, QImage::Format_RGB32);
    QPainter painter(&out);
    MenuExStyle::Item separator;
    separator.separator = true;
    style.draw_item(painter, separator, out.rect(), false);
    EXPECT_EQ(out.pixel(60, 4), qRgb(64, 0, 128));
    EXPECT_EQ(out.pixel(60, 5), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(10, 4), MenuExStyle::icon_column_colour().rgb());
}

}  // namespace
}  // namespace kestra
