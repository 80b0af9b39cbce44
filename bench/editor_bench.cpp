// The editors in the real window (offscreen): a PEQ marker drag, mouse move to the repainted
// curve, and the opening of the PEQ editor, click on the strip's graph to the painted editor.
// Wall-clock figures of the window thread, so a plain program.
//
//   kestra_editor_bench [moves=500] [openings=50]

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "controller/console.h"
#include "editors/response_graph.h"
#include "shell/main_window.h"
#include "shell/operator_dialogs.h"
#include "shell/profile.h"
#include "stderr_notices.h"
#include "window_input.h"

namespace {

using kestra::bench::mouse;
using kestra::bench::percentile;

void print(const char* what, const std::vector<double>& ms, const char* goal) {
    std::printf("%s: median %.2f ms  p95 %.2f ms  max %.2f ms  (%zu runs; goal: %s)\n", what,
                percentile(ms, 0.5), percentile(ms, 0.95), percentile(ms, 1.0), ms.size(), goal);
}

template <class T>
T* child(QWidget& root, const char* name) {
    return root.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

int main(int argc, char** argv) {
    kestra::bench::bench_environment();
    const int moves = argc > 1 ? std::atoi(argv[1]) : 500;
    const int openings = argc > 2 ? std::atoi(argv[2]) : 50;
    if (moves < 1 || openings < 1) {
        std::fprintf(stderr, "usage: %s [moves>=1] [openings>=1]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const auto folder = std::filesystem::temp_directory_path() / "kestra-editor-bench";
    std::filesystem::create_directories(folder);
    kestra::Profile profile(folder.string());
    kestra::OperatorDialogs dialogs;
    kestra::bench::StderrNotices notices;
    kestra::AlwaysOk answers;
    dialogs.divert(notices, answers);
    kestra::ConsoleSettings settings;
    settings.session.device = *kestra::DeviceEndpoint::parse("127.0.0.9:43999");
    settings.data_dir = folder.string();
    kestra::Console controller(
        settings, [](std::function<void()> f) { f(); }, dialogs, dialogs);
    kestra::MainWindow window(controller, profile, dialogs, std::nullopt);
    window.resize(1600, 1000);
    window.show();
    app.processEvents();

    auto* strip_graph = child<QWidget>(window, "strip.in1.graph");
    auto* editor = child<QWidget>(window, "editor.peq");
    auto* bank = child<QWidget>(window, "bank.1");
    auto* detail = child<QWidget>(window, "detail.in");
    if (strip_graph == nullptr || editor == nullptr || bank == nullptr || detail == nullptr) {
        std::fprintf(stderr, "the window has no PEQ path\n");
        return 1;
    }
    std::vector<double> open_ms;
    for (int k = 0; k < openings; ++k) {
        mouse(bank, QEvent::MouseButtonPress, {10, 10});
        mouse(bank, QEvent::MouseButtonRelease, {10, 10});
        app.processEvents();
        QElapsedTimer t;
        t.start();
        mouse(strip_graph, QEvent::MouseButtonPress, {20, 20});
        mouse(strip_graph, QEvent::MouseButtonRelease, {20, 20});
        // What the click made visible, painted now: the editor and the detail strip beside it.
        editor->repaint();
        detail->repaint();
        open_ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        if (!editor->isVisible() || !detail->isVisible()) {
            std::fprintf(stderr, "the click did not open the editor\n");
            return 1;
        }
        app.processEvents();
    }

    auto* graph = child<kestra::ResponseGraph>(window, "editor.peq.graph");
    const kestra::GraphPoint start = graph->marker_pixels().at(1);
    mouse(graph, QEvent::MouseButtonPress, {start.x, start.y});
    std::vector<double> move_ms;
    for (int k = 0; k < moves; ++k) {
        const double x = start.x + 200 * ((k % 100) / 100.0);
        const double y = start.y - 80 * ((k % 50) / 50.0);
        QElapsedTimer t;
        t.start();
        mouse(graph, QEvent::MouseMove, {x, y});
        graph->repaint();
        move_ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    mouse(graph, QEvent::MouseButtonRelease, {start.x, start.y});
    print("PEQ marker drag, move to repainted curve", move_ms, "p95 < 4 ms");
    print("PEQ editor opening, click to painted editor", open_ms, "< 50 ms");
    std::filesystem::remove_all(folder);
    return 0;
}
