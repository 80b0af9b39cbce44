#pragma once

#include <QRect>
#include <QString>

#include "model/state_change.h"

class QWidget;

namespace kestra {

class DropListButton;
class PngButton;
class ValueLabel;

// The skinned controls the pages are made of, each named by its whole dot path and placed
// in the page's own pixels.
namespace page_controls {

PngButton* button(QWidget* page, const QString& path, const QString& caption, QRect at);
ValueLabel* label(QWidget* page, const QString& path, const QString& text, QRect at,
                  double size = 9);
DropListButton* selector(QWidget* page, const QString& path, int list_id, int normal, int hover,
                         QRect at);

// Whether a change may alter every view: a full-state read, a recall, the connect reply.
bool touches_everything(const StateChange& change);

}  // namespace page_controls

}  // namespace kestra
