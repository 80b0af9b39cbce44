#pragma once

#include <QPointer>
#include <QWidget>

#include "actions/action_context.h"

namespace kestra {

// The operator's notices and OK/Cancel questions: message boxes over the window, or, while a
// script runs, the script's handlers (which log them and answer from its queue).
class OperatorDialogs final : public NoticeSink, public QuestionSink {
public:
    void set_parent(QWidget* parent) { parent_ = parent; }
    // From now on `notices` and `questions` are told instead of boxes being shown; both must
    // outlive this.
    void divert(NoticeSink& notices, QuestionSink& questions);

    void notice(const std::string& text, const std::string& caption) override;
    bool ask(const std::string& text, const std::string& caption) override;
    // A message box with a button for each option besides Cancel, and the details behind
    // "Show Details...".
    int choose(const OperatorChoice& choice) override;

private:
    QPointer<QWidget> parent_;
    NoticeSink* diverted_notices_ = nullptr;
    QuestionSink* diverted_questions_ = nullptr;
};

}  // namespace kestra
