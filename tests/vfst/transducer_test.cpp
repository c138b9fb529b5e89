#include "vfst/transducer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/vfst/vfst_writer.h"

namespace pnt::vfst {
namespace {

// "kuu" (noun, and through an epsilon arc a verb), "kuut" with a flag that only the noun path
// sets, and a self-loop of epsilons that must not hold the lookup.
std::vector<TinyState> flags_and_epsilons() {
  std::vector<TinyState> s(10);
  s[0].arcs = {{"@P.NOUN.ON@", "", 1}, {"", "[Lt]", 5}};
  s[1].arcs = {{"k", "[Ln]k", 2}};
  s[2].arcs = {{"u", "u", 3}, {"", "", 2}};
  s[3].arcs = {{"u", "u", 4}};
  s[4].final = true;
  s[4].arcs = {{"@R.NOUN.ON@", "", 8}};
  s[5].arcs = {{"k", "k", 6}};
  s[6].arcs = {{"u", "u", 7}};
  s[7].arcs = {{"u", "u[Tn1]", 4}};
  s[8].arcs = {{"t", "[Nm]t", 9}};
  s[9].final = true;
  return s;
}

TEST(VfstLookup, FollowsEpsilonsAndFlagsToEveryPath) {
  const auto bytes = build_vfst(flags_and_epsilons());
  auto t = Transducer::open(bytes);
  ASSERT_TRUE(t) << t.error().message();
  struct Case {
    std::string word;
    std::vector<std::string> outputs;
  };
  const std::vector<Case> cases = {
      {"kuu", {"[Ln]kuu", "[Lt]kuu[Tn1]"}},
      {"kuut", {"[Ln]kuu[Nm]t"}},  // the verb path never set the flag
      {"kuutt", {}},
      {"ku", {}},
      {"", {}},
      {"kuux", {}},  // a letter the transducer does not know
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lookup(*t, c.word), c.outputs) << c.word;
  }
  EXPECT_EQ(lookup(*t, "kuu", LookupOptions{.max_results = 1}).size(), 1u);
}

TEST(VfstLookup, DamagedBytesFailToOpenOrYieldNothing) {
  const auto bytes = build_vfst(flags_and_epsilons());
  auto cut = [&](std::size_t n) {
    return std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n);
  };
  EXPECT_EQ(Transducer::open(cut(10)).error().message(), "truncated transducer header");
  EXPECT_EQ(Transducer::open(cut(20)).error().message(), "truncated symbol table");
  EXPECT_EQ(Transducer::open(cut(bytes.size() - 3)).error().message(),
            "transition table is not a whole number of cells");
  auto magic = bytes;
  magic[1] ^= 1;
  EXPECT_EQ(Transducer::open(magic).error().message(), "not a voikko transducer (bad magic)");
  auto weighted = bytes;
  weighted[8] = 1;
  EXPECT_EQ(Transducer::open(weighted).error().message(), "weighted transducers are not supported");
  // Every cell in turn pointing far outside, then claiming 255+ arcs: lookups stay in bounds.
  const std::size_t cells_at = bytes.size() - 8 * 14;
  for (std::size_t cell = cells_at; cell < bytes.size(); cell += 8) {
    for (std::uint8_t info : {std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
      auto damaged = bytes;
      damaged[cell + 6] = info;
      damaged[cell + 7] = info;
      auto t = Transducer::open(damaged);
      ASSERT_TRUE(t);
      for (const char* word : {"kuu", "kuut"}) {
        EXPECT_LE(lookup(*t, word).size(), 2u);
      }
    }
  }
}

}  // namespace
}  // namespace pnt::vfst
