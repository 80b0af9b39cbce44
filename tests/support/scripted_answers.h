#pragma once

#include <string>
#include <vector>

#include "actions/action_context.h"

namespace kestra::testing {

// Answers every question with `answer` and keeps the questions' texts.
class ScriptedAnswers : public QuestionSink {
public:
    bool ask(const std::string& text, const std::string& caption) override;

    bool answer = true;
    std::vector<std::string> asked;
};

}  // namespace kestra::testing
