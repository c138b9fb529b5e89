#include "core/history.h"

#include <utility>

namespace pnt {

void History::push_behind(Place place) {
  if (!behind_.empty() && behind_.back() == place) {
    return;
  }
  behind_.push_back(std::move(place));
  if (behind_.size() + ahead_.size() > MAX_PLACES) {
    behind_.pop_front();
  }
}

void History::record(Place place) {
  ahead_.clear();
  push_behind(std::move(place));
}

std::optional<Place> History::back(Place current) {
  if (behind_.empty()) {
    return std::nullopt;
  }
  Place previous = std::move(behind_.back());
  behind_.pop_back();
  ahead_.push_back(std::move(current));
  return previous;
}

std::optional<Place> History::forward(Place current) {
  if (ahead_.empty()) {
    return std::nullopt;
  }
  Place next = std::move(ahead_.back());
  ahead_.pop_back();
  push_behind(std::move(current));
  return next;
}

}  // namespace pnt
