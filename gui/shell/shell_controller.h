#pragma once

#include <functional>
#include <optional>
#include <string>

#include "control/control_surface.h"
#include "glyph/qt_glyph_rasterizer.h"
#include "session/controller_session.h"

namespace kestra {

// The controller behind the window: the session on the window thread and every operator
// action on its state. I/O threads reach the window thread through `post`.
class ShellController {
public:
    using Post = ControllerSession::Post;

    ShellController(SessionSettings settings, Post post, NoticeSink& notices,
                    QuestionSink& questions);
    ShellController(const ShellController&) = delete;
    ShellController& operator=(const ShellController&) = delete;

    ControllerSession& session() { return session_; }
    ControlSurface& surface() { return surface_; }
    DeviceState& state() { return session_.state(); }
    // The window's 50 ms tick.
    void tick() { session_.tick(); }

private:
    QtGlyphRasterizer glyphs_;
    ControllerSession session_;
    ControlSurface surface_;
};

}  // namespace kestra
