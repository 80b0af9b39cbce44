#include "controls/menu_ex_style.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

#include "skin/skin_font.h"
#include "skin/skin_palette.h"

namespace kestra {

namespace {

// Room the text area needs beyond the measured width: the gap before the text column and a
// margin after the text, so no caption is cut at the right edge.
constexpr int kTextPadding = 10 + 22;

QFont item_font() {
    return skin::SkinFont::pixels(16);
}

// The caption as drawn: the & of a mnemonic only marks its letter, and && stands for one &.
QString shown_text(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

}  // namespace

MenuExStyle::MenuExStyle() : MenuExStyle(Look{}) {}

MenuExStyle::MenuExStyle(Look look) : QProxyStyle(QStringLiteral("Fusion")), look_(look) {}

QSize MenuExStyle::measure_item(const Item& item) const {
    if (item.separator)
        return {look_.icon_width, look_.separator_height};
    int width =
        QFontMetrics(item_font()).horizontalAdvance(shown_text(item.text)) + look_.icon_width;
    if (item.has_icon)
        width += 30;
    if (item.popup)
        width += 15;
    return {width, look_.icon_height + 4};
}

void MenuExStyle::draw_item(QPainter& p, const Item& item, const QRect& rect, bool selected) const {
    p.save();
    p.fillRect(rect, look_.background);
    QRect column(rect.left(), rect.top(), look_.icon_width + 5, rect.height());
    p.fillRect(column, icon_column_colour());
    QRect text_area = rect.adjusted(look_.icon_width + 10, 0, 0, 0);
    if (item.separator) {
        int mid = rect.top() + rect.height() / 2 - 1;
        p.setPen(skin::SkinPalette::menu_mark());
        p.drawLine(text_area.left(), mid, text_area.right(), mid);
        p.setPen(Qt::white);
        p.drawLine(text_area.left(), mid + 1, text_area.right(), mid + 1);
        p.restore();
        return;
    }
    if (selected && item.enabled) {
        p.setPen(look_.selection_pen);
        p.setBrush(look_.selection_brush);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    p.setFont(item_font());
    int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs |
                Qt::TextShowMnemonic;
    QString text = item.text.section(QLatin1Char('\t'), 0, 0);
    if (!item.enabled) {
        p.setPen(Qt::white);
        p.drawText(text_area.translated(1, 1), flags, text);
        p.setPen(skin::SkinPalette::menu_disabled_text());
        p.drawText(text_area, flags, text);
    } else {
        p.setPen(selected ? look_.selected_text : look_.text);
        p.drawText(text_area, flags, text);
    }
    if (item.checked) {
        QRect cell(column.left(), rect.top(), column.width(), rect.height());
        // the text face draws the mark thin; a bold face with a sturdy radical reads better
        QFont mark = item_font();
        mark.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Arial Unicode MS")});
        mark.setWeight(QFont::Bold);
        mark.setPixelSize(look_.icon_height);
        p.setFont(mark);
        p.setPen(Qt::white);
        p.drawText(cell.translated(1, 1), Qt::AlignCenter, QStringLiteral("\u221A"));
        p.setPen(check_colour());
        p.drawText(cell, Qt::AlignCenter, QStringLiteral("\u221A"));
    }
    p.restore();
}

void MenuExStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    if (element == CE_MenuEmptyArea) {
        painter->fillRect(option->rect, look_.background);
        return;
    }
    const auto* menu = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || menu == nullptr) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    Item item;
    item.text = menu->text;
    item.separator = menu->menuItemType == QStyleOptionMenuItem::Separator;
    item.popup = menu->menuItemType == QStyleOptionMenuItem::SubMenu;
    item.checked = menu->checked;
    item.enabled = menu->state.testFlag(State_Enabled);
    item.has_icon = !menu->icon.isNull();
    draw_item(*painter, item, menu->rect, menu->state.testFlag(State_Selected));
}

void MenuExStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    if (element == PE_PanelMenu || element == PE_FrameMenu) {
        painter->fillRect(option->rect, look_.background);
        painter->setPen(skin::SkinPalette::menu_separator());
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QSize MenuExStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                    const QSize& size, const QWidget* widget) const {
    const auto* menu = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || menu == nullptr)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    Item item;
    item.text = menu->text;
    item.separator = menu->menuItemType == QStyleOptionMenuItem::Separator;
    item.popup = menu->menuItemType == QStyleOptionMenuItem::SubMenu;
    item.has_icon = !menu->icon.isNull();
    QSize measured = measure_item(item);
    if (!item.separator)
        measured.rwidth() += kTextPadding;
    return measured;
}

int MenuExStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const {
    switch (metric) {
        case PM_MenuPanelWidth:
            return 1;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

}  // namespace kestra
