#include "support/scripted_answers.h"

namespace kestra::testing {

bool ScriptedAnswers::ask(const std::string& text, const std::string&) {
    asked.push_back(text);
    return answer;
}

int ScriptedAnswers::choose(const OperatorChoice& choice) {
    choices.push_back(choice);
    return QuestionSink::choose(choice);
}

}  // namespace kestra::testing
