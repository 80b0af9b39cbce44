#pragma once

#include <QImage>

namespace kestra::skin {

// The program's icon, drawn in code like the rest of the skin: a graphite panel with three
// fader channels whose lit thumbs stand in a V. It is drawn on a 256-unit grid and scaled, so
// every size shows the same picture; outside the rounded panel the image is transparent.
class AppIcon {
public:
    // The icon name the desktop entry and the icon theme know it by.
    static constexpr const char* kName = "kestra-v-control";

    static QImage image(int pixels);
};

}  // namespace kestra::skin
