// The message table: the 200 numbered texts of the user interface, Windows-1252 bytes.
// Filled once at start-up, from the built-in German texts or from a catalog file.
#ifndef MARLOX_STATE_MESSAGES_H
#define MARLOX_STATE_MESSAGES_H

#include <string>

constexpr int kMessageCount = 200;  // texts 0 to 199

struct MessageTable {
    std::string texts[kMessageCount];

    // The text of entry `number`; the empty text for a number outside 0-199.
    const std::string& message(int number) const;
};

// Fills `table` with the built-in texts.
void load_default_messages(MessageTable& table);

// Fills `table` from a catalog file: line 1 must be exactly "Catalog"; lines 2 to 201 are
// the texts of entries 0 to 199, bytes as they are. CR LF, a lone CR, a lone LF and a NUL
// byte each end a line; missing lines are empty texts. A first line other than "Catalog"
// leaves every entry empty. False, with the table as it was, when the file cannot be read.
bool load_catalog(MessageTable& table, const std::string& path);

// The start-up choice: the catalog "Common.catalog_" + `language` in `program_folder` when the
// code is not empty and that file can be read, the built-in texts otherwise.
void load_messages_for_language(MessageTable& table, const std::string& program_folder,
                                const std::string& language);

#endif
