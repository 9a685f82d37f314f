#include "runtime/ui_prompt.h"

#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "runtime/paths.h"

namespace {

constexpr int kInputField = 100;
constexpr int kInputPrompt = 101;

// The requester's filter form: every piece ends in a NUL and one more NUL ends the list.
std::string requester_filter(const std::string& bar_separated) {
    std::string out = bar_separated;
    for (char& c : out) {
        if (c == '|') c = '\0';
    }
    out.append(2, '\0');
    return out;
}

// An in-memory dialog template, built in the layout DialogBoxIndirect reads: WORD units, items
// aligned to DWORDs, texts as UTF-16.
class DialogTemplate {
  public:
    DialogTemplate(const std::string& title, short width, short height, WORD items) {
        DLGTEMPLATE head = {};
        head.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        head.cdit = items;
        head.cx = width;
        head.cy = height;
        append(&head, sizeof head);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        text(title);
        words_.push_back(8);
        text("MS Shell Dlg");
    }

    void item(WORD atom, int id, DWORD style, short x, short y, short cx, short cy,
              const std::string& caption) {
        if (words_.size() % 2) words_.push_back(0);
        DLGITEMTEMPLATE entry = {};
        entry.style = style | WS_CHILD | WS_VISIBLE;
        entry.x = x;
        entry.y = y;
        entry.cx = cx;
        entry.cy = cy;
        entry.id = static_cast<WORD>(id);
        append(&entry, sizeof entry);
        words_.push_back(0xFFFF);
        words_.push_back(atom);
        text(caption);
        words_.push_back(0);  // no creation data
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void append(const void* data, size_t size) {
        const auto* from = static_cast<const WORD*>(data);
        words_.insert(words_.end(), from, from + size / sizeof(WORD));
    }
    void text(const std::string& value) {
        const int length = MultiByteToWideChar(CP_ACP, 0, value.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(static_cast<size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, value.c_str(), -1, wide.data(), length);
        for (wchar_t c : wide) words_.push_back(static_cast<WORD>(c));
    }

    std::vector<WORD> words_;
};

struct InputRun {
    const InputRequest* request;
    std::string answer;
};

INT_PTR CALLBACK input_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lp);
            const auto* run = reinterpret_cast<const InputRun*>(lp);
            SetDlgItemTextA(dialog, kInputPrompt, run->request->prompt.c_str());
            SetDlgItemTextA(dialog, kInputField, run->request->initial.c_str());
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                auto* run = reinterpret_cast<InputRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
                const int length = GetWindowTextLengthA(GetDlgItem(dialog, kInputField));
                std::string text(static_cast<size_t>(length) + 1, '\0');
                GetDlgItemTextA(dialog, kInputField, &text[0], length + 1);
                text.resize(static_cast<size_t>(length));
                run->answer = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

class SystemPrompter : public Prompter {
  public:
    int message_box(const MessageBoxRequest& r) override {
        UINT style = r.buttons == BoxButtons::kYesNo ? MB_YESNO : MB_OK;
        switch (r.icon) {
            case BoxIcon::kNone:
                break;
            case BoxIcon::kError:
                style |= MB_ICONERROR;
                break;
            case BoxIcon::kWarning:
                style |= MB_ICONWARNING;
                break;
            case BoxIcon::kInformation:
                style |= MB_ICONINFORMATION;
                break;
            case BoxIcon::kQuestion:
                style |= MB_ICONQUESTION;
                break;
        }
        return MessageBoxA(static_cast<HWND>(r.owner), r.text.c_str(), r.title.c_str(), style);
    }

    std::string open_file(const OpenFileRequest& r) override {
        const std::string filter = requester_filter(r.filters);
        char path[MAX_PATH] = "";
        OPENFILENAMEA request = {};
        request.lStructSize = sizeof request;
        request.hwndOwner = static_cast<HWND>(r.owner);
        request.lpstrFilter = filter.c_str();
        request.nFilterIndex = static_cast<DWORD>(r.filter_index);
        request.lpstrFile = path;
        request.nMaxFile = sizeof path;
        request.lpstrTitle = r.title.c_str();
        request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
        return GetOpenFileNameA(&request) ? std::string(path) : std::string();
    }

    std::string save_file(const SaveFileRequest& r) override {
        const std::string filter = requester_filter(r.filters);
        char path[MAX_PATH] = "";
        r.initial.copy(path, sizeof path - 1);
        OPENFILENAMEA request = {};
        request.lStructSize = sizeof request;
        request.hwndOwner = static_cast<HWND>(r.owner);
        request.lpstrFilter = filter.c_str();
        request.nFilterIndex = 1;
        request.lpstrFile = path;
        request.nMaxFile = sizeof path;
        request.lpstrTitle = r.title.c_str();
        request.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
        return GetSaveFileNameA(&request) ? std::string(path) : std::string();
    }

    std::string input_line(const InputRequest& r) override {
        DialogTemplate layout(r.title, 220, 64, 4);
        layout.item(0x0082, kInputPrompt, SS_LEFT, 7, 7, 206, 10, "");
        const DWORD field = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | (r.secret ? ES_PASSWORD : 0);
        layout.item(0x0081, kInputField, field, 7, 20, 206, 12, "");
        layout.item(0x0080, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 106, 42, 50, 14, "OK");
        layout.item(0x0080, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 163, 42, 50, 14, r.cancel);
        InputRun run = {&r, std::string()};
        const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), layout.get(),
                                                       static_cast<HWND>(r.owner), input_proc,
                                                       reinterpret_cast<LPARAM>(&run));
        return result == IDOK ? run.answer : std::string();
    }

    std::string choose_folder(const FolderRequest& r) override {
        char name[MAX_PATH] = "";
        BROWSEINFOA browse = {};
        browse.hwndOwner = static_cast<HWND>(r.owner);
        browse.pszDisplayName = name;
        browse.lpszTitle = r.prompt.c_str();
        browse.ulFlags = BIF_RETURNONLYFSDIRS;
        LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
        if (!chosen) return std::string();
        char path[MAX_PATH] = "";
        const bool found = SHGetPathFromIDListA(chosen, path) != FALSE;
        CoTaskMemFree(chosen);
        const std::string folder = found ? path : "";
        return as_folder(folder);
    }
};

}  // namespace

Prompter& system_prompter() {
    static SystemPrompter prompter;
    return prompter;
}

void* OwnedPrompter::owner() const {
    HWND active = GetActiveWindow();
    if (active && IsWindowEnabled(active)) return active;
    // The fallback window may be gone already (questions at exit).
    return fallback_ && IsWindow(static_cast<HWND>(fallback_)) ? fallback_ : nullptr;
}

int OwnedPrompter::message_box(const MessageBoxRequest& request) {
    return inner_.message_box(owned(request));
}

std::string OwnedPrompter::open_file(const OpenFileRequest& request) {
    return inner_.open_file(owned(request));
}

std::string OwnedPrompter::save_file(const SaveFileRequest& request) {
    return inner_.save_file(owned(request));
}

std::string OwnedPrompter::input_line(const InputRequest& request) {
    return inner_.input_line(owned(request));
}

std::string OwnedPrompter::choose_folder(const FolderRequest& request) {
    return inner_.choose_folder(owned(request));
}
