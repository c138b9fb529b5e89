// The places a reader has been, for going back and forward as in a browser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/search.h"

namespace pnt {

/// What going back to a place restores: the search that made it and where the reader stood.
struct Place {
  bool english_mode = false;
  std::string query;
  Focus focus = Focus::Matches;
  std::uint32_t match_sel = 0;
  std::uint32_t infl_sel = 0;
  std::uint16_t entry_scroll = 0;
  friend bool operator==(const Place&, const Place&) = default;
};

/// The places behind and ahead of the current one, at most MAX_PLACES in all.
class History {
 public:
  static constexpr std::size_t MAX_PLACES = 100;

  /// Records the place being left; drops the places ahead, and the oldest one past the bound.
  /// The same place twice in a row is kept once.
  void record(Place place);
  /// The place before the current one, which is kept for going forward; nothing at the start.
  [[nodiscard]] std::optional<Place> back(Place current);
  /// The place that back() left, the current one kept behind it; nothing when none is ahead.
  [[nodiscard]] std::optional<Place> forward(Place current);

  [[nodiscard]] std::size_t behind() const { return behind_.size(); }
  [[nodiscard]] std::size_t ahead() const { return ahead_.size(); }

 private:
  void push_behind(Place place);

  std::deque<Place> behind_;  // oldest first
  std::vector<Place> ahead_;  // nearest last
};

}  // namespace pnt
