#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/gloss.h"
#include "tests/support/report.h"

namespace pnt {
namespace {

using testing::report;

TEST(DecompressRecordArea, FillsTheBufferOrSaysWhyNot) {
  const std::vector<std::uint8_t> raw = {1, 0, 1, 3, 0, 'c', 'a', 't'};
  const std::vector<std::string> names = {"noun"};
  Result<std::vector<std::uint8_t>> bin = write_glosses_bin(names, raw, 1);
  ASSERT_TRUE(bin.has_value());
  Result<GlossHeader> parsed = parse_gloss_header(*bin);
  ASSERT_TRUE(parsed.has_value());

  struct Case {
    std::uint32_t raw_size;  // as the header declares it
    std::size_t buffer;
    bool spoil_frame;
    std::string expected;
  };
  const std::size_t n = raw.size();
  const std::string context = "Error: decompressing glosses.bin\n\nCaused by:\n    ";
  const Case cases[] = {
      {static_cast<std::uint32_t>(n), n, false, "ok"},
      {static_cast<std::uint32_t>(n - 1), n - 1, false,
       context + "zstd: Destination buffer is too small\n"},
      {static_cast<std::uint32_t>(n + 5), n + 5, false,
       "Error: plain size mismatch: expected 13, got 8\n"},
      {static_cast<std::uint32_t>(n), n + 1, false, context + "buffer of 9 bytes for 8\n"},
      {static_cast<std::uint32_t>(n), n, true, context + "zstd: Unknown frame descriptor\n"},
  };
  for (const Case& c : cases) {
    GlossHeader header = *parsed;
    header.raw_size = c.raw_size;
    std::vector<std::uint8_t> frame(header.frame.begin(), header.frame.end());
    if (c.spoil_frame) {
      frame[0] ^= 0xFF;  // the frame's magic
    }
    header.frame = frame;
    std::vector<std::uint8_t> out(c.buffer);
    EXPECT_EQ(report(decompress_record_area(header, out)), c.expected) << c.raw_size;
    if (c.expected == "ok") {
      EXPECT_EQ(out, raw);
    }
  }
}

}  // namespace
}  // namespace pnt
