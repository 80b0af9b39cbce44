#pragma once

#include <string>
#include <vector>

#include "actions/action_context.h"

namespace kestra::testing {

// Answers every question with `answer` and keeps the questions' texts; a choice is kept
// whole as well (its options and details), and `answer` takes its first option or cancels it.
class ScriptedAnswers : public QuestionSink {
public:
    bool ask(const std::string& text, const std::string& caption) override;
    int choose(const OperatorChoice& choice) override;

    bool answer = true;
    std::vector<std::string> asked;
    std::vector<OperatorChoice> choices;
};

}  // namespace kestra::testing
