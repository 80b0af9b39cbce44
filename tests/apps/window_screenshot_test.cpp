#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "run_process.h"

namespace kestra {
namespace {

namespace fs = std::filesystem;

// The share of the sampled pixels taken by the commonest colour: a blank or a one-colour
// window comes out near 1.
double commonest_colour_share(const QImage& image) {
    std::map<QRgb, int> counts;
    int samples = 0;
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) {
            ++counts[image.pixel(x, y)];
            ++samples;
        }
    }
    int most = 0;
    for (const auto& [colour, n] : counts) {
        most = std::max(most, n);
    }
    return samples == 0 ? 1.0 : static_cast<double>(most) / samples;
}

TEST(WindowScreenshot, TheStartedWindowIsDrawnAtScaleOneAndTwo) {
    const fs::path dir =
        fs::temp_directory_path() / ("kestra-window-shot-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ::setenv("KESTRA_DATA_DIR", dir.c_str(), 1);  // the profile stays out of the user's folder
    for (const int scale : {1, 2}) {
        const fs::path file = dir / ("window-" + std::to_string(scale) + ".png");
        const auto r = testing::run_process(
            KESTRA_PATH, {"--size", "1600x1000", "--scale", std::to_string(scale), "--screenshot",
                          file.string(), "--device", "127.0.0.9:43999"});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        QImage image(QString::fromStdString(file.string()));
        ASSERT_FALSE(image.isNull()) << "scale " << scale;
        EXPECT_EQ(image.width(), 1600 * scale);
        EXPECT_EQ(image.height(), 1000 * scale);
        EXPECT_LT(commonest_colour_share(image), 0.6) << "scale " << scale;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kestra
