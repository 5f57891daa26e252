#pragma once
// The program's one error type: every failure that reaches the user's error box carries its
// exact message text.
#include <exception>
#include <string>

namespace morvane {

class Error : public std::exception {
public:
    explicit Error(std::wstring message);

    const std::wstring& Message() const noexcept { return message_; }
    // UTF-8 copy of the message, for code that only knows std::exception.
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::wstring message_;
    std::string narrow_;
};

// Misuse of a control (placing it where it cannot go, hiding what must stay): the fixed English
// text tells what was refused.
class InvalidOperation : public Error {
public:
    using Error::Error;
};

}  // namespace morvane
