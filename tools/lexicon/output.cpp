#include "lexicon/output.h"

#include <map>
#include <string>

#include "format/gloss.h"
#include "fstmap/builder.h"

namespace pnt::lexicon {

Result<GlossFiles> build_gloss_files(std::span<const MergedEntry> entries, int zstd_level) {
  GlossFiles files;
  std::vector<std::uint8_t> area;
  fst::VectorSink sink(files.fst);
  fst::MapBuilder index(sink);
  std::vector<RecordGroup> groups;
  for (const MergedEntry& entry : entries) {
    auto offset = static_cast<std::uint64_t>(area.size());
    if (offset > 0xFFFFFFFFu) {
      return fail("record area exceeds 4 GiB");
    }
    groups.clear();
    for (const MergedGroup& g : entry.groups) {
      groups.push_back(RecordGroup{g.pos, g.meanings});
      files.meanings += g.meanings.size();
    }
    if (auto ok = encode_entry(groups, area); !ok) {
      return fail(std::move(ok.error()).context("encoding \"" + entry.headword + "\""));
    }
    if (auto ok = index.insert(entry.headword, offset); !ok) {
      return fail(std::move(ok.error()).context("indexing \"" + entry.headword + "\""));
    }
  }
  if (auto ok = index.finish(); !ok) {
    return fail(std::move(ok.error()).context("finishing glosses.fst"));
  }
  std::vector<std::string> names(POS_NAMES.begin(), POS_NAMES.end());
  auto bin = write_glosses_bin(names, area, zstd_level);
  if (!bin) {
    return fail(std::move(bin.error()).context("writing glosses.bin"));
  }
  files.bin = std::move(*bin);
  return files;
}

Result<InflectionStats> write_target_index(const KeySource& keys, fst::ByteSink& sink,
                                           const IndexNames& names,
                                           std::vector<std::uint8_t>& multi) {
  InflectionStats stats;
  fst::MapBuilder builder(sink);
  std::map<std::vector<EntryId>, std::uint32_t> list_index;
  std::vector<std::vector<EntryId>> lists;
  std::optional<Error> error;
  keys([&](std::string_view key, std::span<const EntryId> ids) {
    if (error) {
      return;
    }
    std::uint32_t target = 0;
    if (ids.size() == 1) {
      target = ids[0];
    } else {
      std::vector<EntryId> list(ids.begin(), ids.end());
      if (list.size() > 255) {
        list.resize(255);
        ++stats.truncated_lists;
      }
      auto [it, added] = list_index.emplace(list, static_cast<std::uint32_t>(lists.size()));
      if (added) {
        lists.push_back(std::move(list));
      }
      target = MULTI_FLAG | it->second;
      ++stats.list_targets;
    }
    if (auto ok = builder.insert(key, target); !ok) {
      error = std::move(ok.error())
                  .context("indexing " + std::string(names.key) + " \"" + std::string(key) + "\"");
      return;
    }
    ++stats.forms;
  });
  if (error) {
    return fail(std::move(*error));
  }
  if (auto ok = builder.finish(); !ok) {
    return fail(std::move(ok.error()).context("finishing " + std::string(names.fst)));
  }
  auto bytes = write_multi(lists);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("writing " + std::string(names.multi)));
  }
  multi = std::move(*bytes);
  stats.lists = lists.size();
  return stats;
}

Result<InflectionStats> write_inflection_files(const FormPairs& pairs, std::FILE* fst,
                                               std::vector<std::uint8_t>& multi) {
  fst::FileSink sink(fst);
  return write_target_index([&](const KeyVisitor& visit) { pairs.for_each_form(visit); }, sink,
                            {"inflections.fst", "inflections-multi.bin", "form"}, multi);
}

}  // namespace pnt::lexicon
