// Splits 8-bit text into lines the way the program's text files are read: CR LF, a lone CR, a
// lone LF and a NUL byte each end one line; the line end is not part of the line.
#ifndef MARLOX_RUNTIME_TEXT_LINES_H
#define MARLOX_RUNTIME_TEXT_LINES_H

#include <string>

class LineReader {
  public:
    explicit LineReader(const std::string& text) : text_(text) {}

    bool at_end() const { return pos_ >= text_.size(); }
    // The next line; past the end of the text, empty lines.
    std::string next() {
        const size_t start = pos_;
        while (pos_ < text_.size() && !ends_line(text_[pos_])) ++pos_;
        std::string line = text_.substr(start, pos_ - start);
        if (pos_ < text_.size()) pos_ += text_.compare(pos_, 2, "\r\n") == 0 ? 2 : 1;
        return line;
    }

  private:
    static bool ends_line(char c) { return c == '\r' || c == '\n' || c == '\0'; }

    const std::string& text_;
    size_t pos_ = 0;
};

#endif
