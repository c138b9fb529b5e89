#include "base/bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace pnt {
namespace {

TEST(AppendUintLe, WritesTheLowBytesLeastSignificantFirst) {
  const struct {
    std::uint64_t value;
    std::size_t width;
    std::vector<std::uint8_t> want;
  } rows[] = {
      {0x1234, 0, {}},
      {0x1234, 2, {0x34, 0x12}},
      // Bytes above the width are dropped, as a cast to the field's type would.
      {0xAABB'CCDD, 2, {0xDD, 0xCC}},
      {0x4254'4E50, 4, {'P', 'N', 'T', 'B'}},
      {0x0102'0304'0506'0708, 8, {8, 7, 6, 5, 4, 3, 2, 1}},
      {5, 3, {5, 0, 0}},
  };
  for (const auto& row : rows) {
    std::vector<std::uint8_t> out = {0xEE};
    append_uint_le(out, row.value, row.width);
    std::vector<std::uint8_t> want = {0xEE};
    want.insert(want.end(), row.want.begin(), row.want.end());
    EXPECT_EQ(out, want) << row.value << " in " << row.width;
    EXPECT_EQ(read_uint_le(out, 1, row.width),
              row.width == 8 ? row.value : row.value & ((std::uint64_t{1} << (8 * row.width)) - 1));
  }
}

}  // namespace
}  // namespace pnt
