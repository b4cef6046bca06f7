#pragma once
// An error with a message text in the ANSI code page, as the user will read it.
#include <stdexcept>
#include <string>

namespace zv {

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

// printf-style formatting of one message with one argument, e.g. "ファイル %s は開けません".
std::string FormatMessageText(const char* pattern, const std::string& arg);
std::string FormatMessageText(const char* pattern, int arg);

}  // namespace zv
