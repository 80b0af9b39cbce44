#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

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

// The program itself: renders the page to a PNG at the asked ratio and exits with 0; a bad
// ratio is refused with status 2.
int run_gallery(const QStringList& arguments) {
    QProcess gallery;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    gallery.setProcessEnvironment(env);
    gallery.start(QStringLiteral(KESTRA_GALLERY_PROGRAM), arguments);
    if (!gallery.waitForFinished(60000)) {
        gallery.kill();
        gallery.waitForFinished(5000);
        return -1;
    }
    return gallery.exitCode();
}

TEST(GalleryProgram, ScreenshotIsWrittenAtBothRatios) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        QString file = dir.filePath(QStringLiteral("gallery%1.png").arg(scale));
        ASSERT_EQ(run_gallery({QStringLiteral("--screenshot"), file, QStringLiteral("--scale"),
                               QString::number(scale)}),
                  0);
        QImage shot(file);
        ASSERT_FALSE(shot.isNull());
        EXPECT_EQ(shot.size(), QSize(1200, 700) * scale);
        EXPECT_NE(shot.pixel(60, 60), shot.pixel(shot.width() / 2, shot.height() / 2));
    }
    EXPECT_EQ(run_gallery({QStringLiteral("--scale"), QStringLiteral("3"),
                           QStringLiteral("--screenshot"), dir.filePath(QStringLiteral("x.png"))}),
              2);
}

}  // namespace
}  // namespace kestra
