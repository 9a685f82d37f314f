#include "state/messages.h"

#include "runtime/os.h"

namespace {

// Splits catalog text into lines: CR LF, CR, LF and NUL each end one.
class LineReader {
  public:
    explicit LineReader(const std::string& text) : text_(text) {}

    // The next line; past the end of the text, empty lines.
    std::string next() {
        const size_t start = pos_;
        while (pos_ < text_.size() && !ends_line(text_[pos_])) ++pos_;
        std::string line = text_.substr(start, pos_ - start);
        if (pos_ < text_.size()) {
            const bool crlf =
                text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
            pos_ += crlf ? 2 : 1;
        }
        return line;
    }

  private:
    static bool ends_line(char c) { return c == '\r' || c == '\n' || c == '\0'; }

    const std::string& text_;
    size_t pos_ = 0;
};

}  // namespace

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
