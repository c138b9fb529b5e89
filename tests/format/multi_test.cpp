#include "format/multi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pnt {
namespace {

using Blob = std::vector<std::uint8_t>;
using Ids = std::vector<EntryId>;

template <class T>
std::string error_of(const Result<T>& result) {
  return result ? "ok" : format_report(result.error());
}

Blob header(std::uint32_t count, std::uint8_t version = 1) {
  return {'P',
          'N',
          'T',
          'M',
          version,
          static_cast<std::uint8_t>(count & 0xFF),
          static_cast<std::uint8_t>((count >> 8) & 0xFF),
          static_cast<std::uint8_t>(count >> 16),
          static_cast<std::uint8_t>(count >> 24)};
}

TEST(ParseMulti, WorkedExample) {
  Blob blob = header(2);
  for (std::uint8_t b : {2, 6, 0, 0, 0, 7, 0, 0, 0, 0}) {
    blob.push_back(b);
  }
  blob.push_back(0xEE);  // after the last list: not looked at
  Result<MultiTable> table = parse_multi(blob);
  ASSERT_TRUE(table) << error_of(table);
  EXPECT_EQ(table->offsets, (std::vector<std::uint32_t>{0, 9}));
  EXPECT_EQ(table->body.size(), blob.size() - 9);
  EXPECT_EQ(multi_ids(table->body, table->offsets, 0), (Ids{6, 7}));
  EXPECT_EQ(multi_ids(table->body, table->offsets, 1), Ids{});
  EXPECT_EQ(error_of(multi_ids(table->body, table->offsets, 2)),
            "Error: multi index 2 out of range\n");
}

TEST(ParseMulti, EmptyTable) {
  Result<MultiTable> table = parse_multi(header(0));
  ASSERT_TRUE(table) << error_of(table);
  EXPECT_TRUE(table->offsets.empty());
  EXPECT_TRUE(table->body.empty());
  EXPECT_EQ(error_of(multi_ids(table->body, table->offsets, 0)),
            "Error: multi index 0 out of range\n");
}

TEST(ParseMulti, ChecksInOrder) {
  Blob eight = header(0);
  eight.pop_back();
  eight[0] = 'X';
  EXPECT_EQ(error_of(parse_multi(eight)), "Error: truncated multi header\n");
  Blob wrong = header(0, 2);
  wrong[3] = 'B';
  EXPECT_EQ(error_of(parse_multi(wrong)), "Error: bad multi magic\n");
  EXPECT_EQ(error_of(parse_multi(header(0, 2))), "Error: unsupported multi version 2\n");
  EXPECT_EQ(error_of(parse_multi(header(1))), "Error: truncated multi entry header\n");

  Blob more = header(3);
  for (std::uint8_t b : {0, 1, 5, 0, 0, 0}) {
    more.push_back(b);
  }
  EXPECT_EQ(error_of(parse_multi(more)), "Error: truncated multi entry header\n");
  more.back() = 0;
  more.pop_back();
  Blob short_ids = header(2);
  for (std::uint8_t b : {0, 2, 5, 0, 0, 0, 6, 0, 0}) {
    short_ids.push_back(b);
  }
  EXPECT_EQ(error_of(parse_multi(short_ids)), "Error: truncated multi entry body\n");
  // An absurd count fails on the body, without reserving for it.
  EXPECT_EQ(error_of(parse_multi(header(0xFFFF'FFFF))), "Error: truncated multi entry header\n");
}

TEST(MultiIds, ChecksOffsetsAgainstTheBody) {
  const Blob body = {2, 1, 0, 0, 0, 2, 0, 0};
  const std::vector<std::uint32_t> offsets = {0, 8, 100};
  EXPECT_EQ(error_of(multi_ids(body, offsets, 0)), "Error: truncated multi ids\n");
  EXPECT_EQ(error_of(multi_ids(body, offsets, 1)), "Error: truncated multi entry\n");
  EXPECT_EQ(error_of(multi_ids(body, offsets, 2)), "Error: truncated multi entry\n");
  EXPECT_EQ(error_of(multi_ids(body, offsets, 0xFFFF'FFFF)),
            "Error: multi index 4294967295 out of range\n");
}

TEST(WriteMulti, RoundTrips) {
  const std::vector<Ids> lists = {{6, 7}, {}, {3, 3}, {0xFFFF'FFFF}};
  Result<Blob> blob = write_multi(lists);
  ASSERT_TRUE(blob);
  Result<MultiTable> table = parse_multi(*blob);
  ASSERT_TRUE(table) << error_of(table);
  ASSERT_EQ(table->offsets.size(), lists.size());
  for (std::uint32_t i = 0; i < lists.size(); ++i) {
    EXPECT_EQ(multi_ids(table->body, table->offsets, i), lists[i]);
  }
  EXPECT_FALSE(write_multi(std::vector<Ids>{Ids(256)}));
}

}  // namespace
}  // namespace pnt
