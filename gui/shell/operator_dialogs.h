#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "actions/action_context.h"

namespace kestra {

// The operator's notices and OK/Cancel questions: message boxes over the window, or, while a
// script runs, the script's handlers (which log them and answer from its queue).
class OperatorDialogs final : public NoticeSink, public QuestionSink {
public:
    static constexpr const char* kDefaultCaption = NoticeSink::kCaption;

    using NoticeHandler = std::function<void(const std::string& text)>;
    using QuestionHandler = std::function<bool(const std::string& text)>;
    using ChoiceHandler = std::function<int(const OperatorChoice& choice)>;

    void set_parent(QWidget* parent) { parent_ = parent; }
    void divert(NoticeHandler notices, QuestionHandler questions, ChoiceHandler choices = {});

    void notice(const std::string& text, const std::string& caption) override;
    bool ask(const std::string& text, const std::string& caption) override;
    // A message box with a button for each option besides Cancel, and the details behind
    // "Show Details...".
    int choose(const OperatorChoice& choice) override;

private:
    QPointer<QWidget> parent_;
    NoticeHandler notice_handler_;
    QuestionHandler question_handler_;
    ChoiceHandler choice_handler_;
};

}  // namespace kestra
