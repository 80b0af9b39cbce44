#include "shell/shell_controller.h"

namespace kestra {

namespace {

CommandContext names_for(const ControllerSession& session, const GlyphRasterizer& glyphs) {
    CommandContext names;
    names.codec = &session.codec();
    names.glyphs = &glyphs;
    return names;
}

}  // namespace

ShellController::ShellController(SessionSettings settings, Post post, NoticeSink& notices,
                                 QuestionSink& questions)
    : session_(settings, std::move(post), notices),
      surface_(session_.state(), session_.changes(), session_.sink(), notices, questions,
               session_.clock(), names_for(session_, glyphs_)) {
    session_.track_transfers(&surface_.full_state);
}

}  // namespace kestra
