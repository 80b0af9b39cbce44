#pragma once

#include "controls/tiled_background.h"

namespace kestra {

// One page with every skinned control in each of its states: buttons normal, lit, hovered
// and disabled; faders at minimum, middle and maximum; meters at 0, 45, 60 and 70; an open
// selector list; the context menus and the NAME dialog.
class GalleryPage : public TiledBackground {
public:
    explicit GalleryPage(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {1200, 700}; }
};

}  // namespace kestra
