#include "system/send_to.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "runtime/os.h"
#include "runtime/paths.h"

std::string special_folder(int id) {
    std::string path;
    if (id == kTempFolder) {
        char buffer[MAX_PATH];
        const DWORD n = GetTempPathA(sizeof buffer, buffer);
        if (n > 0 && n < sizeof buffer) path.assign(buffer, n);
    } else {
        LPITEMIDLIST list = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, id, &list))) {
            char buffer[MAX_PATH];
            if (SHGetPathFromIDListA(list, buffer)) path = buffer;
            CoTaskMemFree(list);
        }
    }
    return as_folder(path);
}

int create_shortcut(const ShortcutSpec& spec) {
    const HRESULT init = CoInitialize(nullptr);
    int result = 0;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(spec.target.c_str());
        link->SetArguments(spec.arguments.c_str());
        link->SetWorkingDirectory(spec.working_folder.c_str());
        link->SetDescription(spec.description.c_str());
        link->SetShowCmd(spec.show_command);
        link->SetHotkey(static_cast<WORD>(spec.hotkey));
        link->SetIconLocation(spec.icon_path.c_str(), spec.icon_index);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH];
            if (MultiByteToWideChar(CP_ACP, 0, spec.link_file.c_str(), -1, wide, MAX_PATH) > 0 &&
                SUCCEEDED(file->Save(wide, TRUE)))
                result = 1;
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}

void create_send_to_shortcut() {
    const std::string folder = special_folder(kSendToFolder);
    if (folder.empty()) return;  // a bare "Marlox.lnk" would land in whatever folder is current
    ShortcutSpec spec;
    spec.target = os::program_path();
    spec.link_file = folder + "Marlox.lnk";
    spec.description = "Marlox";
    spec.icon_path = spec.target;
    create_shortcut(spec);
}
