#include "tests/support/fixture.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/error.h"
#include "base/utf8.h"

namespace pnt::testing {
namespace {

[[noreturn]] void die(const Error& error) {
  std::fputs(format_report(error).c_str(), stderr);
  std::abort();
}

Dictionary open_or_die(const FixtureBlobs& blobs) {
  Result<Dictionary> dictionary = open_dictionary(data_blobs(blobs));
  if (!dictionary) {
    die(dictionary.error());
  }
  return std::move(*dictionary);
}

}  // namespace

const FixtureTable& default_table() { return synth::fixture_table(); }

const FixtureBlobs& default_blobs() {
  static const FixtureBlobs blobs = make_blobs(default_table());
  return blobs;
}

FixtureBlobs make_blobs(const FixtureTable& table) {
  Result<FixtureBlobs> blobs = synth::write_lexicon(table);
  if (!blobs) {
    die(blobs.error());
  }
  return std::move(*blobs);
}

DataBlobs data_blobs(const FixtureBlobs& blobs) {
  return {.inflections_fst = blobs.inflections_fst,
          .inflections_multi = blobs.inflections_multi,
          .glosses_bin = blobs.glosses_bin,
          .glosses_fst = blobs.glosses_fst,
          .english_fst = blobs.english_fst,
          .english_multi = blobs.english_multi,
          .mor_vfst = {}};
}

Dictionary fixture_dictionary() { return open_or_die(default_blobs()); }

View fixture_view(LayoutConfig layout) { return View(fixture_dictionary(), layout); }

void type(View& view, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    view.update(InsertChar{decode_utf8(text, pos)});
  }
}

Fixture make_fixture(const FixtureTable& table) {
  auto blobs = std::make_unique<const FixtureBlobs>(make_blobs(table));
  Dictionary dictionary = open_or_die(*blobs);
  return Fixture{std::move(blobs), std::move(dictionary)};
}

}  // namespace pnt::testing
