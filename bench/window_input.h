#pragma once

// What the window benchmarks share: their environment, a mouse event delivered straight to a
// widget, as the window system would after hit-testing, and the percentile of a set of timings.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kestra::bench {

// Loopback sockets only, and no display needed unless one is asked for; before QApplication.
inline void bench_environment() {
    ::setenv("KESTRA_NET_SANDBOX", "loopback", 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

inline void mouse(QWidget* w, QEvent::Type type, QPointF at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

inline double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

}  // namespace kestra::bench
