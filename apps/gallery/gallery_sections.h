#pragma once

#include <QPoint>
#include <QString>

class QWidget;

namespace kestra {

// Builders of the gallery's sections; each places its controls on `page` from `origin` on.
class GallerySections {
public:
    static void title(QWidget* page, QPoint at, const QString& text);
    static void buttons(QWidget* page, QPoint origin);
    static void selectors(QWidget* page, QPoint origin);
    static void faders(QWidget* page, QPoint origin);
    static void meters(QWidget* page, QPoint origin);
    static void labels(QWidget* page, QPoint origin);
    static void menus(QWidget* page, QPoint origin);
    static void frames(QWidget* page, QPoint origin);
};

}  // namespace kestra
