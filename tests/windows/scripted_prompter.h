// A prompter for tests: records every box and answers from a script.
#ifndef MARLOX_TESTS_WINDOWS_SCRIPTED_PROMPTER_H
#define MARLOX_TESTS_WINDOWS_SCRIPTED_PROMPTER_H

#include <deque>
#include <vector>

#include "runtime/prompt.h"

class ScriptedPrompter : public Prompter {
  public:
    // Answers given in order; kAnswerOk once they run out.
    std::deque<int> answers;
    std::vector<MessageBoxRequest> boxes;

    int message_box(const MessageBoxRequest& request) override {
        boxes.push_back(request);
        if (answers.empty()) return kAnswerOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

#endif
