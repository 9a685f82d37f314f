#include "app/command_line.h"

#include <algorithm>

CommandLine::CommandLine(std::string full) : text_(std::move(full)) { next(); }

std::string CommandLine::next() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    std::string arg;
    if (pos_ < text_.size() && text_[pos_] == '"') {
        const size_t close = text_.find('"', pos_ + 1);
        const size_t end = close == std::string::npos ? text_.size() : close;
        arg = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = close == std::string::npos ? end : close + 1;
    } else {
        const size_t end = std::min(text_.find(' ', pos_), text_.size());
        arg = text_.substr(pos_, end - pos_);
        pos_ = end;
    }
    return arg;
}
