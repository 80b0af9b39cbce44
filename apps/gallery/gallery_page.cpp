#include "gallery_page.h"

#include "gallery_sections.h"
#include "skin/skin_ids.h"

namespace kestra {

GalleryPage::GalleryPage(QWidget* parent) : TiledBackground(parent, skin::kPageBackground) {
    setWindowTitle(QStringLiteral("KESTRA-V control gallery"));
    GallerySections::buttons(this, {24, 20});
    GallerySections::selectors(this, {24, 330});
    GallerySections::labels(this, {24, 610});
    GallerySections::faders(this, {450, 330});
    GallerySections::meters(this, {870, 330});
    GallerySections::menus(this, {740, 20});
    GallerySections::frames(this, {1010, 20});
    resize(sizeHint());
}

}  // namespace kestra
