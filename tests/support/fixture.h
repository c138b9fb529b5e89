// A small lexicon for tests, built in memory with the project's own writers.
#pragma once

#include <memory>
#include <string_view>

#include "core/dictionary.h"
#include "core/layout.h"
#include "core/view.h"
#include "tools/synth/fixture_table.h"
#include "tools/synth/lexicon_table.h"

namespace pnt::testing {

using FixtureTable = synth::LexiconTable;
using FixtureBlobs = synth::LexiconBlobs;
using synth::FormRow;
using synth::HeadwordRow;
using synth::TableGroup;

/// The default test lexicon: the dictionary's worked examples ("'", "talo" and its forms,
/// "Suomi"/"suomi", "olla", "hyvä"/"parempi", "juosta"/"juko", over a hundred "kissa…"
/// headwords, ...). Every headword is also its own inflected form unless a row says otherwise.
[[nodiscard]] const FixtureTable& default_table();

/// The blobs of the default table, written once and kept for the whole test run.
[[nodiscard]] const FixtureBlobs& default_blobs();

/// Writes the blobs of `table`; aborts the test program with the error report on failure.
[[nodiscard]] FixtureBlobs make_blobs(const FixtureTable& table);

/// Views of the written blobs, for open_dictionary; they are valid while `blobs` lives.
[[nodiscard]] DataBlobs data_blobs(const FixtureBlobs& blobs);

/// Opens the default lexicon afresh over default_blobs(), which outlive every caller.
[[nodiscard]] Dictionary fixture_dictionary();

/// A View over fixture_dictionary().
[[nodiscard]] View fixture_view(LayoutConfig layout = {});

/// Types `text` into the view, one InsertChar per code point.
void type(View& view, std::string_view text);

/// A dictionary built from a custom table; the blobs live on the heap, so moving the fixture
/// (or moving the dictionary out of it) keeps every view into them valid as long as `blobs`
/// lives.
struct Fixture {
  std::unique_ptr<const FixtureBlobs> blobs;
  Dictionary dictionary;
};

/// Writes and opens `table`; aborts the test program with the error report when that fails,
/// since a table a test wrote is then wrong.
[[nodiscard]] Fixture make_fixture(const FixtureTable& table);

}  // namespace pnt::testing
