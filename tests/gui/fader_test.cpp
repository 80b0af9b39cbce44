#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <utility>
#include <vector>

#include "controls/bitmap_fader.h"
#include "controls/fader_geometry.h"
#include "focus_check.h"
#include "skin/skin_ids.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

using Signal = std::pair<int, int>;  // control id, position

// The strip volume fader as the strips configure it: 56 x 212 channel, 24 x 36 thumb,
// margins 32, 2, 0, 5, range 0..70; the thumb centre travels from pixel 20 to 189.
struct VolumeFader : ::testing::Test {
    BitmapFader fader;
    std::vector<Signal> moved, released, double_clicked;

    void SetUp() override {
        fader.options.control_id = 1012;
        fader.options.vertical = true;
        fader.options.show_label = false;
        ASSERT_TRUE(fader.set_channel_images(skin::kInputFaderTrack, skin::kInputFaderTrack));
        ASSERT_TRUE(fader.set_thumb_images(skin::kInputFaderThumb, skin::kFaderThumbActive, true,
                                           qRgb(255, 255, 255)));
        fader.set_margins(32, 2, 0, 5);
        fader.set_range(0, 70);
        fader.set_position(70);
        QObject::connect(&fader, &BitmapFader::moved,
                         [this](int id, int p) { moved.emplace_back(id, p); });
        QObject::connect(&fader, &BitmapFader::released,
                         [this](int id, int p) { released.emplace_back(id, p); });
        QObject::connect(&fader, &BitmapFader::double_clicked,
                         [this](int id, int p) { double_clicked.emplace_back(id, p); });
    }
};

TEST(FaderGeometry, ConvertsBetweenPositionAndPixelWithTruncation) {
    FaderGeometry g{2, 5, 212, 36, 0, 70};
    EXPECT_EQ(g.pixel_of(0), 20);
    EXPECT_EQ(g.pixel_of(35), 104);  // 2 + trunc(84.5) + 18
    EXPECT_EQ(g.pixel_of(70), 189);
    EXPECT_EQ(g.position_of(20), 0);
    EXPECT_EQ(g.position_of(104), 34);  // trunc(84 / 169 * 70) = trunc(34.79)
    EXPECT_EQ(g.position_of(189), 70);
    EXPECT_EQ(g.clamp_pixel(-40), 20);
    EXPECT_EQ(g.clamp_pixel(400), 189);
}

TEST(FaderGeometry, DegenerateRangeOrTrackStaysAtTheFirstEnd) {
    FaderGeometry empty_range{2, 5, 212, 36, 10, 10};
    EXPECT_EQ(empty_range.pixel_of(10), 20);
    FaderGeometry short_track{0, 0, 20, 36, 0, 70};
    EXPECT_EQ(short_track.pixel_of(70), 18);
    EXPECT_EQ(short_track.position_of(50), 0);
}

TEST_F(VolumeFader, TakesTheChannelImageSize) {
    EXPECT_EQ(fader.size(), QSize(56, 212));
    EXPECT_EQ(fader.thumb_rect(), QRect(32, 171, 24, 36));
}

TEST_F(VolumeFader, PressBesideTheThumbDoesNothing) {
    synthetic::press(&fader, {10, 100});  // scale area, off the thumb
    synthetic::move(&fader, {10, 40});
    synthetic::release(&fader, {10, 40});
    synthetic::press(&fader, {44, 100});  // on the groove, far above the thumb
    synthetic::release(&fader, {44, 100});
    EXPECT_EQ(fader.position(), 70);
    EXPECT_FALSE(fader.dragging());
    EXPECT_TRUE(moved.empty());
    EXPECT_TRUE(released.empty());
}

TEST_F(VolumeFader, GrabOffCentreKeepsTheGripPoint) {
    fader.set_position(35);               // thumb centre at 104
    synthetic::press(&fader, {44, 110});  // 6 pixels below the centre
    EXPECT_TRUE(fader.dragging());
    EXPECT_TRUE(moved.empty());          // the press itself moves nothing
    synthetic::move(&fader, {44, 140});  // centre to 134
    EXPECT_EQ(fader.position(), 47);     // trunc(114 / 169 * 70)
    synthetic::release(&fader, {44, 140});
    EXPECT_EQ(moved, (std::vector<Signal>{{1012, 47}}));
    EXPECT_EQ(released, (std::vector<Signal>{{1012, 47}}));
    EXPECT_FALSE(fader.dragging());
}

TEST_F(VolumeFader, DragStopsAtBothEnds) {
    fader.set_position(35);
    synthetic::press(&fader, {44, 104});
    synthetic::move(&fader, {44, 1000});
    EXPECT_EQ(fader.position(), 70);
    synthetic::move(&fader, {44, 1200});  // still beyond: nothing new
    synthetic::move(&fader, {44, -500});
    EXPECT_EQ(fader.position(), 0);
    synthetic::release(&fader, {44, -500});
    EXPECT_EQ(moved, (std::vector<Signal>{{1012, 70}, {1012, 0}}));
    EXPECT_EQ(released, (std::vector<Signal>{{1012, 0}}));
}

TEST_F(VolumeFader, MoveWithoutNewPositionPostsNothingButReleaseAlwaysPosts) {
    fader.set_position(35);
    synthetic::press(&fader, {44, 104});
    synthetic::move(&fader, {44, 105});  // pixel 105 is still position 35
    EXPECT_EQ(fader.position(), 35);
    synthetic::release(&fader, {44, 105});
    EXPECT_TRUE(moved.empty());
    EXPECT_EQ(released, (std::vector<Signal>{{1012, 35}}));
}

TEST_F(VolumeFader, KeysMoveClampAndAlwaysPostReleased) {
    synthetic::key(&fader, Qt::Key_Home);
    EXPECT_EQ(fader.position(), 0);
    synthetic::key(&fader, Qt::Key_Up);  // already at the top
    EXPECT_EQ(fader.position(), 0);
    synthetic::key(&fader, Qt::Key_PageDown);  // ten steps
    EXPECT_EQ(fader.position(), 10);
    synthetic::key(&fader, Qt::Key_Down);
    synthetic::key(&fader, Qt::Key_Right);
    EXPECT_EQ(fader.position(), 12);
    synthetic::key(&fader, Qt::Key_Left);
    EXPECT_EQ(fader.position(), 11);
    synthetic::key(&fader, Qt::Key_End);
    EXPECT_EQ(fader.position(), 70);
    synthetic::key(&fader, Qt::Key_PageDown);  // clamped at the bottom
    synthetic::key(&fader, Qt::Key_PageUp);
    EXPECT_EQ(fader.position(), 60);
    EXPECT_EQ(released, (std::vector<Signal>{{1012, 0},
                                             {1012, 0},
                                             {1012, 10},
                                             {1012, 11},
                                             {1012, 12},
                                             {1012, 11},
                                             {1012, 70},
                                             {1012, 70},
                                             {1012, 60}}));
    EXPECT_TRUE(moved.empty());
}

TEST_F(VolumeFader, WheelNotchMovesOneStepAndPostsReleasedLikeAKey) {
    fader.set_position(30);
    synthetic::wheel(&fader, 120);  // away from the operator: the thumb rises
    EXPECT_EQ(fader.position(), 29);
    synthetic::wheel(&fader, -120);
    synthetic::wheel(&fader, -120);
    EXPECT_EQ(fader.position(), 31);
    synthetic::wheel(&fader, -60);  // half a notch waits for its other half
    EXPECT_EQ(fader.position(), 31);
    EXPECT_EQ(fader.wheel_accumulator(), -60);
    synthetic::wheel(&fader, -60);
    EXPECT_EQ(fader.position(), 32);
    synthetic::wheel(&fader, -480);  // a fast flick is one notch
    EXPECT_EQ(fader.position(), 33);
    EXPECT_EQ(fader.wheel_accumulator(), 0);
    EXPECT_EQ(released,
              (std::vector<Signal>{{1012, 29}, {1012, 30}, {1012, 31}, {1012, 32}, {1012, 33}}));
    EXPECT_TRUE(moved.empty());
}

TEST_F(VolumeFader, FocusedFaderDrawsTheRing) {
    synthetic::expect_focus_ring(&fader);
}

TEST_F(VolumeFader, WheelStopsAtBothEnds) {
    fader.set_position(0);
    synthetic::wheel(&fader, 120);
    EXPECT_EQ(fader.position(), 0);
    fader.set_position(70);
    synthetic::wheel(&fader, -120);
    EXPECT_EQ(fader.position(), 70);
}

TEST(BitmapFader, HorizontalWheelAwayMovesTowardsTheFarEnd) {
    BitmapFader slider;
    slider.resize(100, 10);
    slider.set_range(0, 50);
    slider.set_position(20);
    slider.options.control_id = 7;
    std::vector<Signal> released;
    QObject::connect(&slider, &BitmapFader::released,
                     [&](int id, int p) { released.emplace_back(id, p); });
    synthetic::wheel(&slider, 120);
    EXPECT_EQ(slider.position(), 21);
    synthetic::wheel(&slider, -120);
    synthetic::wheel(&slider, -120);
    EXPECT_EQ(slider.position(), 19);
    EXPECT_EQ(released, (std::vector<Signal>{{7, 21}, {7, 20}, {7, 19}}));
}

TEST_F(VolumeFader, DoubleClickReportsWithoutMovingOrDragging) {
    fader.set_position(30);
    synthetic::double_click(&fader, {10, 20});
    synthetic::release(&fader, {10, 20});
    EXPECT_EQ(double_clicked, (std::vector<Signal>{{1012, 30}}));
    EXPECT_EQ(fader.position(), 30);
    EXPECT_TRUE(released.empty());
}

TEST_F(VolumeFader, DisabledFaderIgnoresMouseAndKeys) {
    fader.setEnabled(false);
    synthetic::press(&fader, {44, 189});
    synthetic::move(&fader, {44, 20});
    synthetic::release(&fader, {44, 20});
    synthetic::key(&fader, Qt::Key_Home);
    EXPECT_EQ(fader.position(), 70);
    EXPECT_TRUE(moved.empty());
    EXPECT_TRUE(released.empty());
}

TEST_F(VolumeFader, FailedImageLoadKeepsNothingOfThatCall) {
    EXPECT_FALSE(fader.set_channel_images(skin::kInputFaderTrack, 4242));
    EXPECT_FALSE(fader.set_thumb_images(4242, 0));
    EXPECT_EQ(fader.size(), QSize(56, 212));
    EXPECT_EQ(fader.thumb_rect().size(), QSize(24, 36));
}

TEST_F(VolumeFader, SetPositionClampsIntoTheRange) {
    fader.set_position(-5);
    EXPECT_EQ(fader.position(), 0);
    fader.set_position(71);
    EXPECT_EQ(fader.position(), 70);
    fader.set_range(0, 40);
    EXPECT_EQ(fader.position(), 40);
}

TEST(BitmapFader, HorizontalPressFarFromTheThumbJumpsItsCentreToTheCursor) {
    BitmapFader trim;
    trim.options.control_id = 1013;
    ASSERT_TRUE(
        trim.set_channel_images(skin::kTrimTrack, skin::kTrimTrackLit, true, qRgb(255, 255, 255)));
    ASSERT_TRUE(
        trim.set_thumb_images(skin::kTrimThumb, skin::kTrimThumb, true, qRgb(255, 255, 255)));
    trim.set_margins(0, 2, 0, 0);
    trim.set_range(0, 200);
    std::vector<Signal> moved;
    QObject::connect(&trim, &BitmapFader::moved, [&](int id, int p) { moved.emplace_back(id, p); });
    synthetic::press(&trim, {50, 10});  // thumb centre at 5, travel 86 pixels
    EXPECT_EQ(trim.position(), 104);    // trunc(45 / 86 * 200)
    EXPECT_EQ(moved, (std::vector<Signal>{{1013, 104}}));
}

TEST(BitmapFader, ColourKeyMakesTheKeyedPixelsTransparent) {
    BitmapFader trim;
    ASSERT_TRUE(trim.set_channel_images(skin::kTrimTrack, 0, true, qRgb(255, 255, 255)));
    QImage out(trim.size(), QImage::Format_ARGB32);
    out.fill(qRgb(200, 0, 200));
    trim.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(out.pixel(1, 1), qRgb(200, 0, 200));    // white background keyed out
    EXPECT_NE(out.pixel(48, 10), qRgb(200, 0, 200));  // the groove stays
}

TEST(BitmapFader, LabelTextFollowsItsModes) {
    BitmapFader fader;
    fader.set_range(0, 70);
    fader.set_position(0);
    EXPECT_EQ(fader.label_text(), QStringLiteral("10"));
    fader.set_position(70);
    EXPECT_EQ(fader.label_text(), QStringLiteral("-50"));
    fader.set_position(35);
    fader.options.label_divisor = 4.0;  // v = -50 + 60 * 35 / 70 = -20
    EXPECT_EQ(fader.label_text(), QStringLiteral("-5"));
    fader.options.label_divisor = 8.0;
    EXPECT_EQ(fader.label_text(), QStringLiteral("-2.50"));
    fader.options.label_mode = 2;
    fader.options.label_divisor = 3.0;
    EXPECT_EQ(fader.label_text(), QStringLiteral("3"));
}

TEST(BitmapFader, DetentModeShowsTheActiveThumbOnlyAtTheDetent) {
    BitmapFader fader;
    fader.options.vertical = true;
    ASSERT_TRUE(fader.set_thumb_images(skin::kInputFaderThumb, skin::kFaderThumbActive));
    fader.set_range(0, 70);
    fader.options.thumb_image_mode = 2;
    fader.options.detent_position = 10;
    fader.set_position(10);
    EXPECT_TRUE(fader.thumb_active());
    fader.set_position(11);
    EXPECT_FALSE(fader.thumb_active());
}

}  // namespace
}  // namespace kestra
