// Binding the mail and cabinet libraries at start-up, against Wine's real DLLs, and the texts the
// Windows build carries.
#include <gtest/gtest.h>

#include "formats/cab.h"
#include "protect/mail_library.h"
#include "scripted_prompter.h"
#include "state/messages.h"

// A missing library names itself in an error box, a library without the entry points names the
// first one missing. (Every start binds the system's library.)
TEST(MailLibrary, ShowsWhatIsMissing) {
    ScriptedPrompter prompter;
    MailLibrary mail;
    EXPECT_FALSE(bind_mail_library(mail, prompter, "nosuchmapi.dll", "mapi32.dll"));
    EXPECT_FALSE(bind_mail_library(mail, prompter, "mapi32.dll", "nosuchmapi2.dll"));
    EXPECT_FALSE(bind_mail_library(mail, prompter, "kernel32.dll", "kernel32.dll"));
    ASSERT_EQ(prompter.boxes.size(), 3u);
    EXPECT_EQ(prompter.boxes[0].title, "nosuchmapi.dll");
    EXPECT_EQ(prompter.boxes[0].text, "Cant load dynamic link library !");
    EXPECT_EQ(prompter.boxes[0].icon, BoxIcon::kError);
    EXPECT_EQ(prompter.boxes[0].owner, nullptr);
    EXPECT_EQ(prompter.boxes[1].title, "nosuchmapi2.dll");
    EXPECT_EQ(prompter.boxes[2].title, "kernel32.dll");
    EXPECT_EQ(prompter.boxes[2].text, "MAPILogon");
    EXPECT_EQ(mail.first, nullptr);
}

// A missing setup library is explained with message 43, one without the function means no
// cabinets, silently. (The cabinet tests bind the system's library.)
TEST(CabLibrary, ExplainsAMissingLibraryWithMessage43) {
    MessageTable messages;
    load_default_messages(messages);
    ScriptedPrompter prompter;
    CabLibrary cab;
    bind_cab_library(cab, prompter, messages, "nosuchsetupapi.dll");
    EXPECT_FALSE(cab.available());
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, messages.message(42));
    EXPECT_EQ(prompter.boxes[0].text, messages.message(43));
    EXPECT_EQ(prompter.boxes[0].icon, BoxIcon::kError);
    bind_cab_library(cab, prompter, messages, "kernel32.dll");
    EXPECT_FALSE(cab.available());
    EXPECT_EQ(prompter.boxes.size(), 1u);
    release_cab_library(cab);
}

// The catalog is read by every end-to-end test, which find the windows by its texts.
TEST(Messages, WindowsBuildCarriesWindows1252Bytes) {
    MessageTable table;
    load_default_messages(table);
    EXPECT_EQ(table.message(10), "\x47\x72\xF6\xDF\x65");
}
