#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>

#include "skin/app_icon.h"

namespace kestra {
namespace {

using skin::AppIcon;

bool lit(QRgb c) {
    return qAlpha(c) == 255 && qGreen(c) > 150 && qBlue(c) > 150 && qRed(c) < 100;
}

// Mean row of the lit pixels in one third of the width, or -1 when there are none.
double lit_row(const QImage& image, int third) {
    const int w = image.width() / 3;
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = third * w; x < (third + 1) * w; ++x) {
            if (lit(image.pixel(x, y))) {
                sum += y;
                ++count;
            }
        }
    }
    return count == 0 ? -1 : sum / count;
}

TEST(AppIcon, EveryThemeSizeIsASquarePanelTransparentAtTheCorners) {
    for (int pixels : {48, 128, 256}) {
        const QImage image = AppIcon::image(pixels);
        ASSERT_EQ(image.size(), QSize(pixels, pixels));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << pixels;
        EXPECT_EQ(qAlpha(image.pixel(pixels - 1, pixels - 1)), 0) << pixels;
        EXPECT_EQ(qAlpha(image.pixel(pixels / 2, pixels / 10)), 255) << pixels;
        EXPECT_EQ(qAlpha(image.pixel(pixels / 10, pixels / 2)), 255) << pixels;
    }
}

TEST(AppIcon, TheLitThumbsStandInAV) {
    for (int pixels : {48, 256}) {
        const QImage image = AppIcon::image(pixels);
        const double left = lit_row(image, 0), middle = lit_row(image, 1),
                     right = lit_row(image, 2);
        ASSERT_GE(left, 0) << pixels;
        ASSERT_GE(middle, 0) << pixels;
        ASSERT_GE(right, 0) << pixels;
        EXPECT_NEAR(left, right, 1.0) << pixels;
        EXPECT_GT(middle - left, pixels * 0.2) << pixels;
    }
}

TEST(AppIcon, TheSmallSizeShowsTheSamePictureAsTheLargeOneScaledDown) {
    const QImage small = AppIcon::image(48);
    const QImage scaled =
        AppIcon::image(256).scaled(48, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double difference = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const QRgb a = small.pixel(x, y), b = scaled.pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
        }
    }
    EXPECT_LT(difference / (48 * 48 * 4), 12.0);
}

}  // namespace
}  // namespace kestra
