// Splits the process command line into arguments, one at a time.
#ifndef MARLOX_APP_COMMAND_LINE_H
#define MARLOX_APP_COMMAND_LINE_H

#include <string>

class CommandLine {
  public:
    // `full` is the whole command line, program name first; the program name is skipped.
    explicit CommandLine(std::string full);

    // The next argument: spaces separate arguments, and one that begins with a double quote
    // runs to the next double quote, the quotes not being part of it. An exhausted command
    // line gives the empty text.
    std::string next();

  private:
    std::string text_;
    size_t pos_ = 0;
};

#endif
