// A small lexicon written as a readable table, turned into the data blobs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/error.h"

namespace pnt::synth {

/// One part-of-speech group of a headword: its name and its meanings in order.
struct TableGroup {
  std::string pos;
  std::vector<std::string> meanings;
};

struct HeadwordRow {
  std::string word;
  std::vector<TableGroup> groups;
  std::uint64_t count = 0;  ///< how often the word was counted in running text
};

/// An inflected form and the headwords it belongs to, in stored order. One headword makes a
/// single target; any other number (none, or the same one twice) makes a list target.
struct FormRow {
  std::string form;
  std::vector<std::string> headwords;
};

/// The part-of-speech names of the shipped data set, by POS index.
[[nodiscard]] const std::vector<std::string>& data_set_pos_names();

/// Rows in any order; the writer sorts them by bytes. POS names a group uses that are not in
/// `pos_names` are appended to the table in order of first use.
struct LexiconTable {
  std::vector<HeadwordRow> headwords;
  std::vector<FormRow> forms;
  /// The English index: lower-cased English words and phrases (in `form`) and the headwords
  /// they lead to, in order; written like the forms.
  std::vector<FormRow> english = {};
  std::vector<std::string> pos_names = data_set_pos_names();
};

/// The embedded blobs, as the program reads them.
struct LexiconBlobs {
  std::vector<std::uint8_t> inflections_fst;
  std::vector<std::uint8_t> inflections_multi;
  std::vector<std::uint8_t> glosses_bin;
  std::vector<std::uint8_t> glosses_fst;
  std::vector<std::uint8_t> english_fst;
  std::vector<std::uint8_t> english_multi;
  std::vector<std::uint8_t> frequencies_bin;
};

/// Writes the blobs: headword i (in byte order) gets EntryId i and record i, records lie back
/// to back from offset 0, and list targets are numbered in form order (English keys likewise).
/// Fails on a duplicate headword, form or English key, a form or key naming an unknown
/// headword, or a value that does not fit its field.
[[nodiscard]] Result<LexiconBlobs> write_lexicon(const LexiconTable& table, int zstd_level = 3);

/// Writes the blobs into `dir` under their file names ("glosses.fst", ...).
[[nodiscard]] Result<void> write_blob_files(const LexiconBlobs& blobs,
                                            const std::filesystem::path& dir);

/// Writes one file whole.
[[nodiscard]] Result<void> write_file(const std::filesystem::path& path,
                                      const std::vector<std::uint8_t>& bytes);

}  // namespace pnt::synth
