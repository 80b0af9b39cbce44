#pragma once

#include <QFont>

namespace kestra::skin {

// The console's sans face: the legacy face when installed, else a metric-compatible sans.
class SkinFont {
public:
    static QFont points(double size, int weight = QFont::Normal);
    static QFont pixels(int size, int weight = QFont::Normal);
};

}  // namespace kestra::skin
