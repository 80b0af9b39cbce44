#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

#include "gallery_page.h"

namespace kestra {
namespace {

TEST(GalleryPage, RendersEveryControlNotABlankPage) {
    GalleryPage page;
    QImage shot = page.grab().toImage();
    ASSERT_EQ(shot.size(), page.sizeHint() * shot.devicePixelRatio());
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 500);
    // the lit meters of the meter row and the lit teal of a lit key are on the page
    auto has = [&](QRgb colour) {
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) == colour)
                    return true;
        return false;
    };
    EXPECT_TRUE(has(qRgb(255, 35, 35)));
    EXPECT_TRUE(has(qRgb(219, 254, 36)));
}

}  // namespace
}  // namespace kestra
