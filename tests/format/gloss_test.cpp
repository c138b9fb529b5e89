#include "format/gloss.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pnt {
namespace {

using Blob = std::vector<std::uint8_t>;

Blob blob_of(std::string_view text) { return {text.begin(), text.end()}; }

std::string error_of(const Result<GlossHeader>& header) {
  return header ? "ok" : format_report(header.error());
}
std::string error_of(const Result<Entry>& entry) {
  return entry ? "ok" : format_report(entry.error());
}

// A header with the given POS names, raw size 7 and a three-byte "frame".
Blob header_with(const std::vector<std::string>& names) {
  Blob out = blob_of("PNTB\x01");
  out.push_back(static_cast<std::uint8_t>(names.size()));
  for (const std::string& name : names) {
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
  }
  for (std::uint8_t b : {7, 0, 0, 0, 3, 0, 0, 0, 0xA, 0xB, 0xC}) {
    out.push_back(b);
  }
  return out;
}

TEST(ParseGlossHeader, ReadsTheFields) {
  Blob blob = header_with({"noun", "", "verb"});
  blob.push_back(0xEE);  // after the frame: not read
  Result<GlossHeader> header = parse_gloss_header(blob);
  ASSERT_TRUE(header) << error_of(header);
  EXPECT_EQ(header->pos_names, (std::vector<std::string_view>{"noun", "", "verb"}));
  EXPECT_EQ(header->raw_size, 7U);
  EXPECT_EQ(Blob(header->frame.begin(), header->frame.end()), (Blob{0xA, 0xB, 0xC}));
}

TEST(ParseGlossHeader, EveryPrefixIsTruncated) {
  const Blob blob = header_with({"noun", "verb"});
  for (std::size_t n = 0; n < blob.size(); ++n) {
    EXPECT_EQ(error_of(parse_gloss_header(Bytes(blob).first(n))), "Error: truncated header\n")
        << n << " bytes";
  }
}

TEST(ParseGlossHeader, ChecksInOrder) {
  EXPECT_EQ(error_of(parse_gloss_header(blob_of("PNTC"))), "Error: bad magic\n");
  EXPECT_EQ(error_of(parse_gloss_header(blob_of("BTNP\x01\x00"))), "Error: bad magic\n");
  EXPECT_EQ(error_of(parse_gloss_header(blob_of("PNTB\x02"))), "Error: unsupported version 2\n");
  EXPECT_EQ(error_of(parse_gloss_header(blob_of(std::string("PNTB\x00", 5)))),
            "Error: unsupported version 0\n");
  EXPECT_EQ(error_of(parse_gloss_header(header_with({"ok", "\xE2\x82"}))),
            "Error: bad utf8 in pos table\n\nCaused by:\n"
            "    incomplete utf-8 byte sequence from index 0\n");
  EXPECT_EQ(error_of(parse_gloss_header(header_with({"n\xFFun"}))),
            "Error: bad utf8 in pos table\n\nCaused by:\n"
            "    invalid utf-8 sequence of 1 bytes from index 1\n");
}

TEST(DecodeEntry, WorkedExample) {
  Blob record = {1, 0, 1, 23, 0};
  const std::string meaning = "inessive plural of talo";
  record.insert(record.end(), meaning.begin(), meaning.end());
  ASSERT_EQ(record.size(), 28U);
  record.push_back(9);  // the next record is not looked at
  const std::vector<std::string_view> names = {"noun", "verb"};
  EXPECT_EQ(decode_entry(record, names), (Entry{{{"noun", {meaning}}}}));
}

TEST(DecodeEntry, AcceptsEmptyParts) {
  const std::vector<std::string_view> names = {"noun", "verb"};
  EXPECT_EQ(decode_entry(Blob{0}, names), Entry{});
  EXPECT_EQ(decode_entry(Blob{2, 1, 0, 0, 1, 0, 0}, names),
            (Entry{{{"verb", {}}, {"noun", {""}}}}));
}

TEST(DecodeEntry, Errors) {
  const std::vector<std::string_view> names = {"noun"};
  const auto error = [&](Blob record) { return error_of(decode_entry(record, names)); };
  EXPECT_EQ(error({}), "Error: empty buffer\n");
  EXPECT_EQ(error({1}), "Error: truncated record\n");
  EXPECT_EQ(error({1, 0}), "Error: truncated record\n");
  EXPECT_EQ(error({2, 0, 0}), "Error: truncated record\n");
  EXPECT_EQ(error({1, 1, 0}), "Error: pos_idx 1 out of range\n");
  EXPECT_EQ(error({1, 0, 1}), "Error: truncated meaning length\n");
  EXPECT_EQ(error({1, 0, 1, 1}), "Error: truncated meaning length\n");
  EXPECT_EQ(error({1, 0, 1, 2, 0, 'x'}), "Error: truncated meaning bytes\n");
  EXPECT_EQ(error({1, 0, 1, 0, 1, 'x'}), "Error: truncated meaning bytes\n");
  EXPECT_EQ(error({1, 0, 2, 1, 0, 'x', 1, 0, 0xC0}),
            "Error: bad utf8 in meaning\n\nCaused by:\n"
            "    invalid utf-8 sequence of 1 bytes from index 0\n");
  // The index is checked before any meaning is read.
  EXPECT_EQ(error_of(decode_entry(Blob{1, 0, 1, 1, 0, 'x'}, {})),
            "Error: pos_idx 0 out of range\n");
}

TEST(EncodeEntry, RoundTripsAndRejectsOverlongFields) {
  const std::vector<RecordGroup> groups = {{1, {"to run", ""}}, {0, {}}};
  Blob out = {0xAA};
  ASSERT_TRUE(encode_entry(groups, out));
  const std::vector<std::string_view> names = {"noun", "verb"};
  EXPECT_EQ(decode_entry(Bytes(out).subspan(1), names),
            (Entry{{{"verb", {"to run", ""}}, {"noun", {}}}}));

  Blob untouched = {0xAA};
  const std::vector<RecordGroup> long_meaning = {{0, {std::string(65536, 'x')}}};
  EXPECT_FALSE(encode_entry(long_meaning, untouched));
  const std::vector<RecordGroup> many_meanings = {{0, std::vector<std::string>(256)}};
  EXPECT_FALSE(encode_entry(many_meanings, untouched));
  EXPECT_FALSE(encode_entry(std::vector<RecordGroup>(256), untouched));
  EXPECT_EQ(untouched, Blob{0xAA});
}

TEST(WriteGlossesBin, HeaderDescribesTheFrame) {
  const Blob raw(5000, 'a');
  Result<Blob> bin = write_glosses_bin(std::vector<std::string>{"noun", "verb"}, raw, 3);
  ASSERT_TRUE(bin);
  Result<GlossHeader> header = parse_gloss_header(*bin);
  ASSERT_TRUE(header) << error_of(header);
  EXPECT_EQ(header->raw_size, raw.size());
  // The frame ends the blob exactly.
  EXPECT_EQ(header->frame.data() + header->frame.size(), bin->data() + bin->size());
  // Content size declared, no checksum: frame header descriptor bit 2 clear, bits 6-7 or
  // bit 5 (single segment) giving a content size field.
  const std::uint8_t descriptor = header->frame[4];
  EXPECT_EQ(descriptor & 0x04, 0);
  EXPECT_TRUE((descriptor & 0xC0) != 0 || (descriptor & 0x20) != 0);
}

}  // namespace
}  // namespace pnt
