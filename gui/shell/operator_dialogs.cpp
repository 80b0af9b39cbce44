#include "shell/operator_dialogs.h"

#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <vector>

#include "controls/skinned_box.h"

namespace kestra {

namespace {

QString kind_or_default(const std::string& caption) {
    return QString::fromStdString(caption.empty() ? NoticeSink::kCaption : caption);
}

}  // namespace

void OperatorDialogs::divert(NoticeSink& notices, QuestionSink& questions) {
    diverted_notices_ = &notices;
    diverted_questions_ = &questions;
}

int OperatorDialogs::choose(const OperatorChoice& choice) {
    if (diverted_questions_) {
        return diverted_questions_->choose(choice);
    }
    const std::unique_ptr<QMessageBox> shown(
        SkinnedBox::make(QMessageBox::Question, kind_or_default(choice.caption),
                         QString::fromStdString(choice.text), QMessageBox::NoButton, parent_));
    QMessageBox& box = *shown;
    box.setObjectName(QStringLiteral("question"));
    std::vector<QAbstractButton*> options;
    for (const std::string& option : choice.options) {
        options.push_back(box.addButton(QString::fromStdString(option), QMessageBox::AcceptRole));
    }
    box.addButton(QMessageBox::Cancel);
    if (!options.empty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(options.front()));
    }
    if (!choice.details.empty()) {
        box.setDetailedText(QString::fromStdString(choice.details));
    }
    box.exec();
    const auto chosen = std::find(options.begin(), options.end(), box.clickedButton());
    return chosen == options.end() ? -1 : static_cast<int>(chosen - options.begin());
}

void OperatorDialogs::notice(const std::string& text, const std::string& caption) {
    if (diverted_notices_) {
        diverted_notices_->notice(text, caption);
        return;
    }
    // Not modal in place: a notice may come from inside a tick, and a nested event loop there
    // would run the tick again.
    QMessageBox* box = SkinnedBox::make(QMessageBox::Information, kind_or_default(caption),
                                        QString::fromStdString(text), QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool OperatorDialogs::ask(const std::string& text, const std::string& caption) {
    if (diverted_questions_) {
        return diverted_questions_->ask(text, caption);
    }
    // Every question guards a step that cannot be taken back, so Enter alone declines.
    const std::unique_ptr<QMessageBox> box(SkinnedBox::make(
        QMessageBox::Question, kind_or_default(caption), QString::fromStdString(text),
        QMessageBox::Ok | QMessageBox::Cancel, parent_));
    box->setDefaultButton(QMessageBox::Cancel);
    return box->exec() == QMessageBox::Ok;
}

}  // namespace kestra
