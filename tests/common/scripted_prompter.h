// A prompter for tests of both tiers: records every question and answers from a script. A box
// whose answer is not scripted gets Yes when it asks Yes or No, OK otherwise; a requester whose
// answer is not scripted is cancelled.
#ifndef MARLOX_TESTS_COMMON_SCRIPTED_PROMPTER_H
#define MARLOX_TESTS_COMMON_SCRIPTED_PROMPTER_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "runtime/prompt.h"

class ScriptedPrompter : public Prompter {
  public:
    std::deque<int> answers;
    std::vector<MessageBoxRequest> boxes;
    // Called with each box before it is answered, while the program waits for the answer.
    std::function<void(const MessageBoxRequest&)> on_box;

    std::deque<std::string> files;
    std::deque<std::string> saves;
    std::deque<std::string> lines;
    std::deque<std::string> folders;
    std::vector<OpenFileRequest> file_requests;
    std::vector<SaveFileRequest> save_requests;
    std::vector<InputRequest> line_requests;
    std::vector<FolderRequest> folder_requests;

    int message_box(const MessageBoxRequest& request) override {
        boxes.push_back(request);
        if (on_box) on_box(request);
        if (answers.empty()) return request.buttons == BoxButtons::kYesNo ? kAnswerYes : kAnswerOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::string open_file(const OpenFileRequest& r) override {
        return next(file_requests, r, files);
    }
    std::string save_file(const SaveFileRequest& r) override {
        return next(save_requests, r, saves);
    }
    std::string input_line(const InputRequest& r) override { return next(line_requests, r, lines); }
    std::string choose_folder(const FolderRequest& r) override {
        return next(folder_requests, r, folders);
    }

  private:
    // Records `request` and gives the next answer of `queue`, none when it is empty.
    template <class Request>
    static std::string next(std::vector<Request>& requests, const Request& request,
                            std::deque<std::string>& queue) {
        requests.push_back(request);
        if (queue.empty()) return std::string();
        std::string answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

#endif
