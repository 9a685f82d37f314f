#include "state/messages.h"

#include "runtime/os.h"
#include "runtime/text_lines.h"

const std::string& MessageTable::message(int number) const {
    static const std::string empty;
    return number >= 0 && number < kMessageCount ? texts[number] : empty;
}

bool load_catalog(MessageTable& table, const std::string& path) {
    std::string text;
    if (!os::read_whole_file(path, text)) return false;
    LineReader lines(text);
    const bool is_catalog = lines.next() == "Catalog";
    for (std::string& entry : table.texts) entry = is_catalog ? lines.next() : std::string();
    return true;
}

void load_messages_for_language(MessageTable& table, const std::string& program_folder,
                                const std::string& language) {
    if (language.empty() || !load_catalog(table, program_folder + "Common.catalog_" + language))
        load_default_messages(table);
}
