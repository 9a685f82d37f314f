// Everything that asks the user something goes through a Prompter: the program's one shows
// the system's boxes and requesters; tests install a scripted one that records each question
// and gives the answer the test chose. Portable: the listing and extraction logic asks
// through it in both builds.
#ifndef MARLOX_RUNTIME_PROMPT_H
#define MARLOX_RUNTIME_PROMPT_H

#include <string>

enum class BoxIcon { kNone, kError, kWarning, kInformation, kQuestion };
enum class BoxButtons { kOk, kYesNo };

// The answers, with the values of IDOK, IDYES and IDNO.
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

struct MessageBoxRequest {
    void* owner = nullptr;  // the owner window (HWND), or none
    std::string title;
    std::string text;
    BoxIcon icon = BoxIcon::kInformation;
    BoxButtons buttons = BoxButtons::kOk;
};

// An open-file requester for one existing file.
struct OpenFileRequest {
    void* owner = nullptr;
    std::string title;
    // Pairs of description and pattern list, every piece followed by "|" but the last:
    // "ZIP-Dateien (*.zip)|*.zip|Alle Dateien (*.*)|*.*".
    std::string filters;
    int filter_index = 1;  // the preselected pair, counted from 1
};

// A save-file requester for a new file; the requester itself neither checks nor asks about an
// existing file of the chosen name.
struct SaveFileRequest {
    void* owner = nullptr;
    std::string title;
    std::string filters;  // as OpenFileRequest::filters
    std::string initial;  // the name the requester starts with
};

// A folder requester: the user picks an existing folder.
struct FolderRequest {
    void* owner = nullptr;
    std::string prompt;  // the text above the folders
};

// A one-line input requester.
struct InputRequest {
    void* owner = nullptr;
    std::string title;
    std::string prompt;
    std::string initial;            // the text the field starts with
    std::string cancel = "Cancel";  // the text of the cancel button
    bool secret = false;            // the field shows stars: a password
};

class Prompter {
  public:
    virtual ~Prompter() = default;
    // A box with one OK button, for what only informs.
    void show(const std::string& title, const std::string& text, BoxIcon icon,
              void* owner = nullptr) {
        message_box({owner, title, text, icon, BoxButtons::kOk});
    }
    // A question with Yes and No; true on Yes.
    bool ask(const std::string& title, const std::string& text, BoxIcon icon) {
        return message_box({nullptr, title, text, icon, BoxButtons::kYesNo}) == kAnswerYes;
    }
    // Shows a box and waits; kAnswerOk, kAnswerYes or kAnswerNo.
    virtual int message_box(const MessageBoxRequest& request) = 0;
    // The chosen file's full path; empty when cancelled. A prompter that cannot ask cancels.
    virtual std::string open_file(const OpenFileRequest&) { return std::string(); }
    // The chosen file's full path; empty when cancelled. A prompter that cannot ask cancels.
    virtual std::string save_file(const SaveFileRequest&) { return std::string(); }
    // The entered line; empty when cancelled. A prompter that cannot ask cancels.
    virtual std::string input_line(const InputRequest&) { return std::string(); }
    // The chosen folder with a trailing "\"; empty when cancelled. A prompter that cannot ask
    // cancels.
    virtual std::string choose_folder(const FolderRequest&) { return std::string(); }
};

#endif
