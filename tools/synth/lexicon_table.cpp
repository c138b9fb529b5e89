#include "tools/synth/lexicon_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <utility>

#include "format/frequency.h"
#include "format/gloss.h"
#include "format/multi.h"
#include "fstmap/builder.h"

namespace pnt::synth {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

[[nodiscard]] Result<std::uint8_t> pos_index(std::vector<std::string>& names,
                                             const std::string& name) {
  auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) {
    names.push_back(name);
    it = names.end() - 1;
  }
  const auto index = static_cast<std::size_t>(it - names.begin());
  if (index > 0xFF) {
    return fail("too many pos names");
  }
  return static_cast<std::uint8_t>(index);
}

// The map and multi table of an index from keys to headwords: a single target for one
// headword, a list for any other number. `what` names a key in errors ("form").
struct IndexBlobs {
  std::vector<std::uint8_t> map;
  std::vector<std::uint8_t> multi;
};

[[nodiscard]] Result<IndexBlobs> write_index(const std::vector<FormRow>& rows,
                                             const std::map<std::string_view, EntryId>& ids,
                                             const std::string& what) {
  std::vector<const FormRow*> sorted;
  sorted.reserve(rows.size());
  for (const FormRow& row : rows) {
    sorted.push_back(&row);
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const FormRow* a, const FormRow* b) { return a->form < b->form; });
  std::vector<std::pair<std::string_view, std::uint64_t>> targets;
  std::vector<std::vector<EntryId>> lists;
  for (const FormRow* row : sorted) {
    if (!targets.empty() && targets.back().first == row->form) {
      return fail("duplicate " + what + " " + row->form);
    }
    std::vector<EntryId> list;
    for (const std::string& word : row->headwords) {
      const auto it = ids.find(word);
      if (it == ids.end()) {
        return fail(what + " " + row->form + " names unknown headword " + word);
      }
      list.push_back(it->second);
    }
    if (list.size() == 1) {
      targets.emplace_back(row->form, list.front());
      continue;
    }
    targets.emplace_back(row->form, MULTI_FLAG | static_cast<std::uint32_t>(lists.size()));
    lists.push_back(std::move(list));
  }
  IndexBlobs blobs;
  Result<std::vector<std::uint8_t>> bytes = fst::build_map(targets);
  if (!bytes) {
    return fail(std::move(bytes.error()));
  }
  blobs.map = std::move(*bytes);
  bytes = write_multi(lists);
  if (!bytes) {
    return fail(std::move(bytes.error()));
  }
  blobs.multi = std::move(*bytes);
  return blobs;
}

}  // namespace

const std::vector<std::string>& data_set_pos_names() {
  static const std::vector<std::string> names = {
      "noun", "verb",    "adj",      "name",     "adv",    "pron",  "phrase",    "num",
      "intj", "proverb", "suffix",   "postp",    "prefix", "conj",  "character", "contraction",
      "prep", "det",     "particle", "interfix", "symbol", "punct", "abbrev",    "devlog"};
  return names;
}

Result<LexiconBlobs> write_lexicon(const LexiconTable& table, int zstd_level) {
  std::vector<const HeadwordRow*> headwords;
  headwords.reserve(table.headwords.size());
  for (const HeadwordRow& row : table.headwords) {
    headwords.push_back(&row);
  }
  std::sort(headwords.begin(), headwords.end(),
            [](const HeadwordRow* a, const HeadwordRow* b) { return a->word < b->word; });

  std::vector<std::string> pos_names = table.pos_names;
  std::vector<std::uint8_t> records;
  std::vector<std::pair<std::string_view, std::uint64_t>> offsets;
  std::map<std::string_view, EntryId> ids;
  std::vector<std::uint64_t> counts;
  for (const HeadwordRow* row : headwords) {
    counts.push_back(row->count);
    if (!ids.emplace(row->word, static_cast<EntryId>(ids.size())).second) {
      return fail("duplicate headword " + row->word);
    }
    std::vector<RecordGroup> groups;
    for (const TableGroup& group : row->groups) {
      Result<std::uint8_t> idx = pos_index(pos_names, group.pos);
      if (!idx) {
        return fail(std::move(idx.error()));
      }
      groups.push_back(RecordGroup{*idx, group.meanings});
    }
    offsets.emplace_back(row->word, records.size());
    if (Result<void> r = encode_entry(groups, records); !r) {
      return fail(std::move(r.error()).context("headword " + row->word));
    }
  }

  Result<IndexBlobs> inflections = write_index(table.forms, ids, "form");
  if (!inflections) {
    return fail(std::move(inflections.error()).context("writing the inflection index"));
  }
  Result<IndexBlobs> english = write_index(table.english, ids, "english key");
  if (!english) {
    return fail(std::move(english.error()).context("writing the english index"));
  }

  LexiconBlobs blobs;
  Result<std::vector<std::uint8_t>> bytes = fst::build_map(offsets);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("building glosses.fst"));
  }
  blobs.glosses_fst = std::move(*bytes);
  bytes = write_glosses_bin(pos_names, records, zstd_level);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("writing glosses.bin"));
  }
  blobs.glosses_bin = std::move(*bytes);
  blobs.inflections_fst = std::move(inflections->map);
  blobs.inflections_multi = std::move(inflections->multi);
  blobs.english_fst = std::move(english->map);
  blobs.english_multi = std::move(english->multi);
  blobs.frequencies_bin = write_frequencies(counts);
  return blobs;
}

Result<void> write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    return fail("cannot create " + path.string() + ": " + std::strerror(errno));
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    return fail("cannot write " + path.string() + ": " + std::strerror(errno));
  }
  if (std::fflush(file.get()) != 0) {
    return fail("cannot write " + path.string() + ": " + std::strerror(errno));
  }
  return {};
}

Result<void> write_blob_files(const LexiconBlobs& blobs, const std::filesystem::path& dir) {
  const std::pair<const char*, const std::vector<std::uint8_t>*> files[] = {
      {"inflections.fst", &blobs.inflections_fst},
      {"inflections-multi.bin", &blobs.inflections_multi},
      {"glosses.bin", &blobs.glosses_bin},
      {"glosses.fst", &blobs.glosses_fst},
      {"english.fst", &blobs.english_fst},
      {"english-multi.bin", &blobs.english_multi},
      {"frequencies.bin", &blobs.frequencies_bin},
  };
  for (const auto& [name, bytes] : files) {
    if (Result<void> r = write_file(dir / name, *bytes); !r) {
      return r;
    }
  }
  return {};
}

}  // namespace pnt::synth
