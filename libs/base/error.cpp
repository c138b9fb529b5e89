#include "base/error.h"

#include <utility>

namespace pnt {

Error::Error(std::string message, Error cause)
    : message_(std::move(message)), cause_(std::make_unique<Error>(std::move(cause))) {}

Error::Error(const Error& other)
    : message_(other.message_),
      contexts_(other.contexts_),
      cause_(other.cause_ ? std::make_unique<Error>(*other.cause_) : nullptr) {}

Error& Error::operator=(const Error& other) {
  if (this != &other) {
    Error copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Error&& Error::context(std::string message) && {
  add_context(std::move(message));
  return std::move(*this);
}

void Error::add_context(std::string message) {
  contexts_.insert(contexts_.begin(), std::move(message));
}

std::vector<std::string> Error::texts() const {
  std::vector<std::string> out;
  for (const Error* e = this; e != nullptr; e = e->cause()) {
    out.insert(out.end(), e->contexts_.begin(), e->contexts_.end());
    out.push_back(e->message_);
  }
  return out;
}

std::string format_report(const Error& error) {
  const std::vector<std::string> texts = error.texts();
  std::string out = "Error: " + texts.front() + "\n";
  if (texts.size() == 1) {
    return out;
  }
  out += "\nCaused by:\n";
  const bool numbered = texts.size() > 2;
  for (std::size_t i = 1; i < texts.size(); ++i) {
    out += "    ";
    if (numbered) {
      out += std::to_string(i - 1) + ": ";
    }
    out += texts[i] + "\n";
  }
  return out;
}

}  // namespace pnt
