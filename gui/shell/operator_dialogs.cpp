#include "shell/operator_dialogs.h"

#include <QMessageBox>

namespace kestra {

namespace {

QString caption_or_default(const std::string& caption) {
    return QString::fromStdString(caption.empty() ? OperatorDialogs::kDefaultCaption : caption);
}

}  // namespace

void OperatorDialogs::divert(NoticeHandler notices, QuestionHandler questions) {
    notice_handler_ = std::move(notices);
    question_handler_ = std::move(questions);
}

void OperatorDialogs::notice(const std::string& text, const std::string& caption) {
    if (notice_handler_) {
        notice_handler_(text);
        return;
    }
    // Not modal in place: a notice may come from inside a tick, and a nested event loop there
    // would run the tick again.
    auto* box = new QMessageBox(QMessageBox::Information, caption_or_default(caption),
                                QString::fromStdString(text), QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool OperatorDialogs::ask(const std::string& text, const std::string& caption) {
    if (question_handler_) {
        return question_handler_(text);
    }
    return QMessageBox::question(parent_, caption_or_default(caption), QString::fromStdString(text),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace kestra
