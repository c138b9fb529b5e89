// The error chain: the one error type of every fallible path in the program.
#pragma once

#include <expected>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pnt {

/// An error value: a message, the context messages added on the way up (outermost first)
/// and optionally the lower-level error that caused it.
class Error {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  Error(std::string message, Error cause);

  Error(const Error& other);
  Error& operator=(const Error& other);
  Error(Error&&) noexcept = default;
  Error& operator=(Error&&) noexcept = default;
  ~Error() = default;

  /// Wraps the error in one more context message, which becomes the outermost one.
  [[nodiscard]] Error&& context(std::string message) &&;
  void add_context(std::string message);

  [[nodiscard]] const std::string& message() const { return message_; }
  [[nodiscard]] const std::vector<std::string>& contexts() const { return contexts_; }
  [[nodiscard]] const Error* cause() const { return cause_.get(); }

  /// Every text of the chain in order: contexts (outermost first), the message, then the
  /// texts of the cause.
  [[nodiscard]] std::vector<std::string> texts() const;

 private:
  std::string message_;
  std::vector<std::string> contexts_;  // outermost first
  std::unique_ptr<Error> cause_;
};

template <class T>
using Result = std::expected<T, Error>;

/// Shorthand for returning a failure from a function that returns a Result.
[[nodiscard]] inline std::unexpected<Error> fail(std::string message) {
  return std::unexpected<Error>(Error(std::move(message)));
}
[[nodiscard]] inline std::unexpected<Error> fail(std::string message, Error cause) {
  return std::unexpected<Error>(Error(std::move(message), std::move(cause)));
}
[[nodiscard]] inline std::unexpected<Error> fail(Error error) {
  return std::unexpected<Error>(std::move(error));
}

/// Renders the fatal report: "Error: " and the outermost text; when anything lies beneath it,
/// an empty line, "Caused by:" and one indented line per lower text, numbered from 0 when
/// there are two or more. Ends with a newline.
[[nodiscard]] std::string format_report(const Error& error);

}  // namespace pnt
