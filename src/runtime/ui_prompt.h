// The system's prompter: the Win32 boxes and requesters behind the Prompter interface.
#ifndef MARLOX_RUNTIME_UI_PROMPT_H
#define MARLOX_RUNTIME_UI_PROMPT_H

#include "runtime/prompt.h"

Prompter& system_prompter();

// Passes every question on to `inner`, giving one that names no owner the window the user works
// in: this thread's active window while it takes input, otherwise the fallback window. An owned
// box or requester disables its owner, so nothing else can be started there while it is up.
class OwnedPrompter : public Prompter {
  public:
    explicit OwnedPrompter(Prompter& inner) : inner_(inner) {}
    void set_fallback(void* window) { fallback_ = window; }

    int message_box(const MessageBoxRequest& request) override;
    std::string open_file(const OpenFileRequest& request) override;
    std::string save_file(const SaveFileRequest& request) override;
    std::string input_line(const InputRequest& request) override;
    std::string choose_folder(const FolderRequest& request) override;

  private:
    template <typename Request>
    Request owned(const Request& request) const {
        Request copy = request;
        if (!copy.owner) copy.owner = owner();
        return copy;
    }
    void* owner() const;

    Prompter& inner_;
    void* fallback_ = nullptr;
};

#endif
