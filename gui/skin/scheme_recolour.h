#pragma once

#include <QImage>

namespace kestra::skin {

// Recolours the strip frame art by the strip's scheme letter: 'g' swaps green and blue, 'r'
// swaps red and blue, 'b' (and any other letter) leaves the image as drawn. Images are always
// recoloured as 32-bit ARGB, so the display's depth does not matter.
class SchemeRecolour {
public:
    static QImage apply(const QImage& image, char scheme);
};

}  // namespace kestra::skin
