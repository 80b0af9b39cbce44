#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "controls/entry_edit.h"
#include "controls/png_button.h"
#include "controls/tiled_background.h"
#include "controls/value_label.h"
#include "focus_check.h"
#include "skin/scheme_recolour.h"
#include "skin/skin_art.h"
#include "skin/skin_ids.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

struct KeyButton : ::testing::Test {
    PngButton button;
    void SetUp() override {
        button.set_sizing(1);
        button.set_images(skin::kButton, skin::kButtonLit);
        button.set_disabled_image(skin::kButtonDisabled);
    }
};

TEST_F(KeyButton, SizingOneTakesTheFirstImageSize) {
    EXPECT_EQ(button.size(), QSize(100, 24));
}

TEST_F(KeyButton, ToggleLookShowsTheSecondImageWheneverLitIndependentOfHover) {
    button.set_lit(true);
    EXPECT_EQ(button.current_image(), skin::kButtonLit);
    synthetic::enter(&button);
    EXPECT_TRUE(button.hover());
    EXPECT_EQ(button.current_image(), skin::kButtonLit);
    button.set_lit(false);
    EXPECT_EQ(button.current_image(), skin::kButton);  // hover alone changes nothing
}

TEST_F(KeyButton, PushLookShowsTheSecondImageOnHoverOrPress) {
    button.set_mode(PngButton::kPushLook);
    button.set_lit(true);
    EXPECT_EQ(button.current_image(), skin::kButton);
    synthetic::enter(&button);
    EXPECT_EQ(button.current_image(), skin::kButtonLit);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.hover());
    button.setDown(true);
    EXPECT_EQ(button.current_image(), skin::kButtonLit);
}

TEST_F(KeyButton, DisabledLookWinsOverEverything) {
    button.set_lit(true);
    button.set_disabled_look(true);
    EXPECT_EQ(button.current_image(), skin::kButtonDisabled);
}

TEST_F(KeyButton, CaptionColourFollowsTheLitState) {
    EXPECT_EQ(button.current_caption_colour(), QColor(0xff, 0xff, 0xff));
    button.set_lit(true);
    EXPECT_EQ(button.current_caption_colour(), QColor(0x00, 0xe6, 0xff));
}

TEST_F(KeyButton, DoubleClickCountsAsASecondClick) {
    int clicks = 0;
    QObject::connect(&button, &PngButton::clicked, [&] { ++clicks; });
    synthetic::press(&button, {5, 5});
    synthetic::release(&button, {5, 5});
    synthetic::double_click(&button, {5, 5});
    synthetic::release(&button, {5, 5});
    EXPECT_EQ(clicks, 2);
}

TEST_F(KeyButton, FocusedButtonDrawsTheRing) {
    synthetic::expect_focus_ring(&button);
}

TEST_F(KeyButton, SpaceOrEnterClicksOnceAndAModifiedEnterDoesNot) {
    int clicks = 0;
    QObject::connect(&button, &PngButton::clicked, [&] { ++clicks; });
    synthetic::key(&button, Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
    synthetic::key(&button, Qt::Key_Return);
    synthetic::key(&button, Qt::Key_Enter);
    EXPECT_EQ(clicks, 3);
    QKeyEvent keypad_enter(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier);
    QCoreApplication::sendEvent(&button, &keypad_enter);
    EXPECT_EQ(clicks, 4);
    QKeyEvent ctrl_enter(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::sendEvent(&button, &ctrl_enter);
    EXPECT_EQ(clicks, 4);
    button.setEnabled(false);
    synthetic::key(&button, Qt::Key_Return);
    EXPECT_EQ(clicks, 4);
}

TEST(EntryEdit, FocusedEntryBoxDrawsTheRing) {
    EntryEdit entry;
    entry.resize(120, 24);
    synthetic::expect_focus_ring(&entry);
}

TEST(PngButton, MissingImageDrawsNothing) {
    PngButton button;
    button.resize(40, 20);
    button.set_images(4242, 4243);
    QImage out(button.size(), QImage::Format_ARGB32);
    out.fill(qRgb(200, 0, 200));
    button.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(out.pixel(20, 10), qRgb(200, 0, 200));
}

TEST(PngButton, MiniMetersSitWhereTheBankOverviewPutsThem) {
    PngButton bank;
    bank.resize(84, 56);
    EXPECT_EQ(bank.vertical_mini_meter_rect(0), QRect(13, 5, 3, 46));
    EXPECT_EQ(bank.vertical_mini_meter_rect(7), QRect(69, 5, 3, 46));
    EXPECT_EQ(bank.horizontal_mini_meter_rect(0), QRect(10, 2, 64, 5));
    EXPECT_EQ(bank.horizontal_mini_meter_rect(3), QRect(10, 23, 64, 5));
}

TEST(PngButton, FullMiniMeterLightsItsTopRow) {
    PngButton bank;
    bank.resize(84, 56);
    bank.set_vertical_mini_meters(true);
    bank.set_mini_meter_value(0, 60);
    QImage out(bank.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    bank.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(out.pixel(14, 50), MeterLadder::lit_colour(MeterLadder::Zone::low).rgb());
    EXPECT_EQ(out.pixel(14, 5), MeterLadder::lit_colour(MeterLadder::Zone::top).rgb());
    EXPECT_EQ(out.pixel(22, 5), MeterLadder::unlit_colour(MeterLadder::Zone::top).rgb());
}

TEST(ValueFormat, DividesAndShowsOneDecimalOnlyWhenFractional) {
    ValueFormat f;
    f.divisor = 10;
    f.prefix = QStringLiteral("G ");
    f.suffix = QStringLiteral("dB");
    f.value = 25;
    EXPECT_EQ(f.text(), QStringLiteral("G 2.5dB"));
    f.value = 20;
    EXPECT_EQ(f.text(), QStringLiteral("G 2dB"));
    f.value = -35;
    EXPECT_EQ(f.text(), QStringLiteral("G -3.5dB"));
}

TEST(ValueFormat, OffsetIsSubtractedAfterDividing) {
    ValueFormat f;
    f.divisor = 10;
    f.offset = 1;
    f.value = 25;
    EXPECT_EQ(f.text(), QStringLiteral("1.5"));
    f.value = 200;
    f.offset = 15;
    EXPECT_EQ(f.text(), QStringLiteral("5"));
}

TEST(ValueFormat, OffRulesShowThePrefixAndOff) {
    ValueFormat f;
    f.prefix = QStringLiteral("HPF ");
    f.suffix = QStringLiteral("Hz");
    f.off_rule = ValueFormat::kOffAtLow;
    f.value = 1.0;
    EXPECT_EQ(f.text(), QStringLiteral("HPF OFF"));
    f.value = 10.0;
    EXPECT_EQ(f.text(), QStringLiteral("HPF 10Hz"));
    f.off_rule = ValueFormat::kOffAtHigh;
    EXPECT_EQ(f.text(), QStringLiteral("HPF OFF"));
    f.off_rule = ValueFormat::kNoOff;
    EXPECT_EQ(f.text(), QStringLiteral("HPF 10Hz"));
}

TEST(ValueLabel, TextModeShowsTheTextAndValueModeTheNumber) {
    ValueLabel label;
    label.set_text(QStringLiteral("CH 1"));
    EXPECT_EQ(label.display_text(), QStringLiteral("CH 1"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("CH 1"));
    label.set_text_mode(false);
    label.format.divisor = 10;
    label.set_value(25);
    EXPECT_EQ(label.display_text(), QStringLiteral("2.5"));
}

TEST(ValueLabel, ReleaseAndDoubleClickBecomeSignals) {
    ValueLabel label;
    label.resize(50, 20);
    int clicks = 0, doubles = 0;
    QObject::connect(&label, &ValueLabel::clicked, [&] { ++clicks; });
    QObject::connect(&label, &ValueLabel::double_clicked, [&] { ++doubles; });
    synthetic::press(&label, {5, 5});
    synthetic::release(&label, {5, 5});
    synthetic::double_click(&label, {5, 5});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);
}

TEST(ValueLabel, OpaqueLabelFillsItsBackgroundTransparentOneDoesNot) {
    ValueLabel label;
    label.resize(60, 20);
    label.set_text(QString());
    QImage out(label.size(), QImage::Format_RGB32);
    out.fill(qRgb(1, 2, 3));
    label.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(out.pixel(30, 10), qRgb(1, 2, 3));
    label.set_transparent(false);
    label.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(out.pixel(30, 10), qRgb(128, 128, 128));
}

TEST(SchemeRecolour, SwapsChannelsByTheSchemeLetter) {
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, qRgb(10, 20, 30));
    EXPECT_EQ(skin::SchemeRecolour::apply(image, 'g').pixel(0, 0), qRgb(10, 30, 20));
    EXPECT_EQ(skin::SchemeRecolour::apply(image, 'r').pixel(0, 0), qRgb(30, 20, 10));
    EXPECT_EQ(skin::SchemeRecolour::apply(image, 'b').pixel(0, 0), qRgb(10, 20, 30));
}

TEST(TiledBackground, TilesFromTheTopLeftCorner) {
    TiledBackground page(nullptr, skin::kPageBackground);
    page.resize(600, 300);
    QImage out(page.size(), QImage::Format_RGB32);
    page.render(&out);
    QSize tile = skin::SkinArt::natural_size(skin::kPageBackground);
    for (int y : {0, 17, 255})
        EXPECT_EQ(out.pixel(3, y), out.pixel(3 + 2 * tile.width(), y));
    EXPECT_EQ(out.pixel(40, 5), out.pixel(40, 5 + tile.height()));
}

TEST(SkinArt, EveryRoleIsDrawnAtItsNaturalSizeAndDoubleRatio) {
    for (int id : {165, 166, 167, 168, 213, 214, 182, 181, 183, 184, 193, 194,
                   219, 220, 225, 226, 229, 230, 176, 177, 231, 232, 161, 162,
                   164, 185, 186, 187, 191, 192, 209, 240, 207, 188, 189, 190}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(skin::SkinArt::has(id));
        QImage sharp = skin::SkinArt::image(id, 2.0);
        EXPECT_EQ(sharp.size(), skin::SkinArt::natural_size(id) * 2);
        EXPECT_EQ(sharp.deviceIndependentSize().toSize(), skin::SkinArt::natural_size(id));
    }
    EXPECT_FALSE(skin::SkinArt::has(4242));
    EXPECT_TRUE(skin::SkinArt::image(4242, 1.0).isNull());
}

}  // namespace
}  // namespace kestra
