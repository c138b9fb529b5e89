#include "base/error.h"

#include <gtest/gtest.h>

#include "base/bytes.h"
#include "base/utf8.h"

namespace pnt {
namespace {

TEST(ErrorReport, MessageAlone) {
  EXPECT_EQ(format_report(Error("bad magic")), "Error: bad magic\n");
}

TEST(ErrorReport, ContextOverOneCauseIsNotNumbered) {
  Error error = Error("bad magic").context("parsing glosses.bin header");
  EXPECT_EQ(format_report(error),
            "Error: parsing glosses.bin header\n"
            "\n"
            "Caused by:\n"
            "    bad magic\n");
}

TEST(ErrorReport, SeveralLowerTextsAreNumberedFromZero) {
  auto utf8 = check_utf8(as_bytes("abc\xff"));
  ASSERT_FALSE(utf8.has_value());
  Error error = Error("bad utf8 in pos table", utf8.error()).context("parsing glosses.bin header");
  EXPECT_EQ(format_report(error),
            "Error: parsing glosses.bin header\n"
            "\n"
            "Caused by:\n"
            "    0: bad utf8 in pos table\n"
            "    1: invalid utf-8 sequence of 1 bytes from index 3\n");
}

TEST(ErrorReport, ContextsAreOutermostFirstAndCausesKeepTheirOwnContexts) {
  Error cause = Error("inner").context("inner context");
  Error error = Error("middle", cause).context("first added").context("outermost");
  EXPECT_EQ(error.texts(), (std::vector<std::string>{"outermost", "first added", "middle",
                                                     "inner context", "inner"}));
}

TEST(ErrorValue, CopiesAreDeep) {
  Error original("top", Error("cause"));
  Error copy = original;
  copy.add_context("ctx");
  ASSERT_NE(original.cause(), nullptr);
  EXPECT_EQ(original.cause()->message(), "cause");
  EXPECT_NE(copy.cause(), original.cause());
  EXPECT_TRUE(original.contexts().empty());
}

TEST(ByteReader, ReadsLittleEndianAndStopsAtTheEnd) {
  const std::uint8_t raw[] = {0x9A, 0xB9, 0xA8, 0x00, 0x01, 0x02, 0x03};
  ByteReader reader{Bytes(raw)};
  EXPECT_EQ(reader.u32_le(), 11057562U);
  EXPECT_EQ(reader.u16_le(), 0x0201);
  EXPECT_EQ(reader.u16_le(), std::nullopt);  // one byte left
  EXPECT_EQ(reader.position(), 6U);
  EXPECT_EQ(reader.u8(), 3);
  EXPECT_EQ(reader.u8(), std::nullopt);
  EXPECT_EQ(reader.take(0)->size(), 0U);
  EXPECT_EQ(read_uint_le(Bytes(raw), 5, 3), std::nullopt);
  EXPECT_EQ(read_uint_le(Bytes(raw), 100, 1), std::nullopt);
  EXPECT_EQ(read_uint_le(Bytes(raw), 7, 0), 0U);
}

}  // namespace
}  // namespace pnt
