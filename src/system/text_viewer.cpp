#include "system/text_viewer.h"

#include <richedit.h>

#include <iterator>

#include "runtime/ui_dialog.h"
#include "system/viewer_texts.h"

namespace {

const DialogControl kViewerControls[] = {
    {kViewerText, RICHEDIT_CLASSA,
     ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL |
         WS_TABSTOP,
     1, 10, 603, 315, -1, "", true},
    {kViewerVersion, "STATIC", SS_LEFT | SS_SUNKEN, 10, 330, 510, 20},
    {kViewerOk, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 535, 330, 70, 20, 35},
};

class TextViewer : public Dialog {
  public:
    TextViewer(const TextViewerSetting& setting, std::string text, int version_width)
        : Dialog("MarloxTextViewer", 610, 350, kViewerControls, std::size(kViewerControls),
                 DialogFrame::kCaptionOnly),
          setting_(setting),
          text_(std::move(text)),
          version_width_(version_width) {}
    ~TextViewer() override {
        if (font_) DeleteObject(font_);
    }

    void run(const std::string& title) { Dialog::run(setting_.owner, title); }

  private:
    std::string message(int number) const override { return setting_.messages.message(number); }

    void on_init() override {
        HWND text = control(kViewerText);
        font_ = create_arial_font(11);
        SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        // The control keeps 32K characters unless told otherwise: a long history is shown whole.
        SendMessageA(text, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        SetWindowTextA(text, "");
        SetWindowTextA(text, text_.c_str());
        HWND version = control(kViewerVersion);
        SetWindowPos(version, nullptr, 0, 0, version_width_, 20, SWP_NOMOVE | SWP_NOZORDER);
        SetWindowTextA(version, setting_.banner.c_str());
        SetFocus(control(kViewerOk));
    }
    // Only the OK button closes the window.
    void on_cancel() override {}

    const TextViewerSetting& setting_;
    std::string text_;
    int version_width_;
    HFONT font_ = nullptr;
};

// The rich-edit control's library stays loaded for the life of the program.
void load_rich_edit() {
    if (!GetModuleHandleA("riched20.dll")) LoadLibraryA("riched20.dll");
}

}  // namespace

void show_help_window(const TextViewerSetting& setting) {
    load_rich_edit();
    TextViewer(setting, help_text(setting.program_folder, setting.language), 510)
        .run(setting.messages.message(4));
}

void show_history_window(const TextViewerSetting& setting) {
    load_rich_edit();
    TextViewer(setting, history_text(setting.program_folder, setting.language), 520)
        .run("Historie/Credits/License");
}

void show_about_box(Prompter& prompter) {
    prompter.show("Author", about_text(), BoxIcon::kInformation);
}
