#include "app/settings_dialog.h"

#include <iterator>

#include "runtime/file_meta.h"
#include "runtime/paths.h"
#include "runtime/ui_balloon.h"
#include "system/associations.h"

namespace {

constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kField = ES_AUTOHSCROLL | WS_TABSTOP;

const DialogControl kSettingsControls[] = {
    {kSettingsZip, "BUTTON", kCheckBox, 10, 10, 180, 15, 30},
    {kSettingsRar, "BUTTON", kCheckBox, 10, 30, 180, 15, 31},
    {kSettingsCab, "BUTTON", kCheckBox, 10, 50, 180, 15, 32},
    {kSettingsLanguageLabel, "STATIC", SS_LEFT, 10, 77, 70, 20, 79},
    {kSettingsLanguage, "EDIT", kField, 80, 75, 40, 18, -1, "", true},
    {kSettingsSafe, "BUTTON", kCheckBox, 200, 10, 180, 15, 168},
    {kSettingsPosition, "BUTTON", kCheckBox, 200, 30, 180, 15, 169},
    {kSettingsSize, "BUTTON", kCheckBox, 200, 50, 180, 15, 13},
    {kSettingsSort, "BUTTON", kCheckBox, 200, 70, 180, 15, -1, "Beim öffnen sortieren"},
    {kSettingsViewersLabel, "STATIC", SS_LEFT, 10, 100, 250, 15, 114},
    {kSettingsViewerField, "EDIT", kField, 10, 120, 280, 20, -1, "", true},
    {kSettingsAdd, "BUTTON", kButton, 310, 120, 70, 20, 112},
    {kSettingsViewers, "LISTBOX", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, 10, 155, 280, 100, -1, "",
     true},
    {kSettingsRemove, "BUTTON", kButton, 310, 155, 70, 20, 111},
    {kSettingsUp, "BUTTON", kButton, 310, 200, 70, 20, 166},
    {kSettingsDown, "BUTTON", kButton, 310, 225, 70, 20, 167},
    {kSettingsCancel, "BUTTON", kButton, 10, 265, 70, 20, 34},
    {kSettingsHelp, "BUTTON", kButton, 165, 265, 70, 20, 40},
    {kSettingsOk, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 310, 265, 70, 20, 35},
};

// The association check boxes, their extensions and the descriptions registered with them.
struct AssociationBox {
    int id;
    const char* extension;
    const char* description;
};
const AssociationBox kAssociationBoxes[] = {
    {kSettingsZip, "zip", "Zip-Compressed File"},
    {kSettingsRar, "rar", "Rar-Compressed File"},
    {kSettingsCab, "cab", "Cabinet-Compressed File"},
};

std::string list_text(HWND list, int row) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length < 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

SettingsDialog::SettingsDialog(const SettingsSubject& subject)
    : Dialog("MarloxSettingsDialog", 390, 295, kSettingsControls, std::size(kSettingsControls),
             DialogFrame::kCaptionOnly),
      subject_(subject) {}

void SettingsDialog::run(HWND owner) {
    if (!subject_.config_existed) centre_on_screen();
    Dialog::run(owner, message(33));
    // A new language speaks from the next start on.
    if (lower_case(language_at_start_) != lower_case(subject_.settings.language))
        show_box(83, message(84), BoxIcon::kInformation);
}

void SettingsDialog::on_init() {
    const ConfigReader file = ConfigReader::from_file(subject_.config_path);
    set_checked(kSettingsZip, file.integer("zip", 0) == 1);
    set_checked(kSettingsRar, file.integer("rar", 0) == 1);
    set_checked(kSettingsCab, file.integer("cab", 0) == 1);
    set_checked(kSettingsSafe, file.integer("safe", 1) == 1);
    set_checked(kSettingsPosition, file.integer("pos", 0) == 1);
    set_checked(kSettingsSize, file.integer("size", 0) == 1);
    subject_.settings.sort = file.integer("sort", 0);
    set_checked(kSettingsSort, subject_.settings.sort == 1);
    SetWindowTextA(control(kSettingsLanguage), subject_.settings.language.c_str());
    const int count = file.integer("count", 0);
    if (count > 0) {
        for (const std::string& viewer : file.numbered(count)) {
            if (!viewer.empty())
                SendMessageA(control(kSettingsViewers), LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(viewer.c_str()));
        }
    }
    for (size_t k = 0; k < std::size(kAssociationBoxes); ++k)
        boxes_at_start_[k] = checked(kAssociationBoxes[k].id);
    language_at_start_ = subject_.settings.language;

    add_balloon_tip(hwnd_, control(kSettingsLanguage), message(81), message(82),
                    kBalloonInformation);
    add_balloon_tip(hwnd_, control(kSettingsSort),
                    "Sortiert ein Archiv bei öffnen aufsteigend nach Namen", "Sorierung",
                    kBalloonInformation);
    SetFocus(control(kSettingsOk));
}

void SettingsDialog::on_click(int id) {
    HWND list = control(kSettingsViewers);
    switch (id) {
        case kSettingsCancel:
            end(false);
            break;
        case kSettingsOk:
            confirm();
            break;
        case kSettingsAdd:
            add_viewer();
            break;
        case kSettingsRemove: {
            const LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
            if (row != LB_ERR) SendMessageA(list, LB_DELETESTRING, row, 0);
            break;
        }
        case kSettingsUp:
            move_viewer(-1);
            break;
        case kSettingsDown:
            move_viewer(1);
            break;
        case kSettingsHelp: {
            // Messages 126 to 146 in paragraphs.
            static const int kParagraphEnds[] = {127, 129, 133, 138, 141, 143, 146};
            std::string text;
            int number = 126;
            for (int last : kParagraphEnds) {
                if (number > 126) text += "\n";
                for (; number <= last; ++number) text += message(number) + "\n";
            }
            show_box(4, text, BoxIcon::kInformation);
            break;
        }
        default:
            break;
    }
}

void SettingsDialog::add_viewer() {
    std::string program = control_text(kSettingsViewerField);
    const bool typed = !program.empty();
    if (!typed) {
        OpenFileRequest request;
        request.owner = hwnd_;
        request.title = "Programm";
        request.filters = "All Files(*.*)|*.*";
        program = subject_.prompter.open_file(request);
        if (program.empty()) return;
    }
    HWND list = control(kSettingsViewers);
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) >= kMaxViewers) {
        show_box(124, message(125), BoxIcon::kWarning);
        return;
    }
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(program.c_str()));
    if (typed) SetWindowTextA(control(kSettingsViewerField), "");
}

void SettingsDialog::move_viewer(int step) {
    HWND list = control(kSettingsViewers);
    const LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    const LRESULT other = row + step;
    if (row == LB_ERR || other < 0 || other >= SendMessageA(list, LB_GETCOUNT, 0, 0)) return;
    const std::string moving = list_text(list, static_cast<int>(row));
    SendMessageA(list, LB_DELETESTRING, row, 0);
    SendMessageA(list, LB_INSERTSTRING, other, reinterpret_cast<LPARAM>(moving.c_str()));
    SendMessageA(list, LB_SETCURSEL, other, 0);
}

void SettingsDialog::show_box(int title, const std::string& text, BoxIcon icon) {
    subject_.prompter.show(message(title), text, icon, hwnd_);
}

void SettingsDialog::confirm() {
    const std::string language = control_text(kSettingsLanguage);
    if (language.size() != 2) {
        show_box(42, message(80), BoxIcon::kWarning);
        return;
    }
    Settings& settings = subject_.settings;
    settings.language = lower_case(language);
    ConfigValues values;
    values.zip = checked(kSettingsZip);
    values.rar = checked(kSettingsRar);
    values.cab = checked(kSettingsCab);
    settings.safe = values.safe = checked(kSettingsSafe);
    settings.pos = values.pos = checked(kSettingsPosition);
    settings.size = values.size = checked(kSettingsSize);
    values.winx = subject_.window.x;
    values.winy = subject_.window.y;
    values.sizex = subject_.window.width;
    values.sizey = subject_.window.height;
    settings.sort = values.sort = checked(kSettingsSort);
    values.language = settings.language;
    change_associations();
    HWND list = control(kSettingsViewers);
    const LRESULT rows = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int row = 0; row < rows; ++row) values.viewers.push_back(list_text(list, row));
    write_config(subject_.config_path, values);
    end(true);
}

void SettingsDialog::change_associations() {
    const std::string program_name = file_name_of(subject_.program_path);
    bool ticked[std::size(kAssociationBoxes)];
    for (size_t k = 0; k < std::size(kAssociationBoxes); ++k)
        ticked[k] = checked(kAssociationBoxes[k].id);
    for (size_t k = 0; k < std::size(kAssociationBoxes); ++k) {
        if (ticked[k] == boxes_at_start_[k]) continue;
        const AssociationBox& box = kAssociationBoxes[k];
        if (ticked[k]) {
            const Association association = {box.extension,
                                             box.description,
                                             subject_.program_path,
                                             subject_.program_path,
                                             program_name,
                                             "Marlox",
                                             "Marlox"};
            set_association(subject_.prompter, current_registry_layout(), association);
        } else {
            // The keys the extensions share stay while another extension is registered.
            bool others_remain = false;
            for (size_t other = 0; other < std::size(kAssociationBoxes); ++other)
                others_remain = others_remain || (other != k && ticked[other]);
            remove_association(current_registry_layout(), box.extension, program_name,
                               others_remain);
        }
    }
}
