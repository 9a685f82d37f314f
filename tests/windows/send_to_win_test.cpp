#include "system/send_to.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

// The special folders themselves are the opening and end-to-end tests' (members open from the
// temporary folder, the program's shortcut lies in the Send To folder).
TEST(CreateShortcut, WritesItsPropertiesAndRewritesInPlace) {
    const std::string link = special_folder(kTempFolder) + "marlox-test.lnk";
    ShortcutSpec spec;
    spec.target = "C:\\windows\\notepad.exe";
    spec.link_file = link;
    spec.arguments = "-x";
    spec.description = "Marlox";
    spec.working_folder = "C:\\windows";
    spec.icon_path = "C:\\windows\\notepad.exe";
    spec.icon_index = 2;
    ASSERT_EQ(create_shortcut(spec), 1);
    spec.description = "second";
    ASSERT_EQ(create_shortcut(spec), 1);

    CoInitialize(nullptr);
    IShellLinkA* shell_link = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shell_link))));
    IPersistFile* file = nullptr;
    shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    ASSERT_TRUE(SUCCEEDED(file->Load(wide, STGM_READ)));
    char text[MAX_PATH];
    int number = 0;
    shell_link->GetDescription(text, MAX_PATH);
    EXPECT_STREQ(text, "second");
    shell_link->GetArguments(text, MAX_PATH);
    EXPECT_STREQ(text, "-x");
    shell_link->GetIconLocation(text, MAX_PATH, &number);
    EXPECT_EQ(number, 2);
    file->Release();
    shell_link->Release();
    CoUninitialize();
    DeleteFileA(link.c_str());

    spec.link_file = "C:\\no\\such\\folder\\x.lnk";
    EXPECT_EQ(create_shortcut(spec), 0);
}
