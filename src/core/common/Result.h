// The outcome of an operation on a file: success, or a message that says what failed and why,
// such as "cannot write /home/me/siteurl: No space left on device".
#pragma once

#include <string>
#include <system_error>
#include <utility>

namespace wexfold {

class [[nodiscard]] Result {
  public:
    Result() = default;  // success

    static Result Failure(std::string message) {
        Result result;
        result.failed_ = true;
        result.message_ = std::move(message);
        return result;
    }
    // What was tried, then the system's text for the error number.
    static Result Failure(const std::string& what, int error) {
        return Failure(what + ": " + std::generic_category().message(error));
    }

    explicit operator bool() const { return !failed_; }
    // Empty for a success.
    const std::string& Message() const { return message_; }

  private:
    bool failed_ = false;
    std::string message_;
};

}  // namespace wexfold
