#include "fuzz/format_seeds.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "format/gloss.h"
#include "format/multi.h"

namespace pnt::fuzzing {
namespace {

using Blob = std::vector<std::uint8_t>;

bool write_file(const std::string& path, const Blob& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

Blob record_area(const std::vector<std::vector<RecordGroup>>& records) {
  Blob area;
  for (const std::vector<RecordGroup>& groups : records) {
    (void)encode_entry(groups, area);
  }
  return area;
}

}  // namespace

bool write_gloss_seeds(const std::string& dir) {
  const std::vector<std::string> names = {"noun", "verb", "adj", "", "proverb"};
  const Blob area = record_area({
      {{0, {"inessive plural of talo"}}},
      {{1, {"to be", "Synonym of olla olemassa (“to exist”)"}}, {0, {}}},
      {},
      {{2, {"", "good"}}, {4, {"hyvä"}}},
  });
  std::vector<std::pair<std::string, Blob>> seeds;
  for (const auto& [name, table] :
       {std::pair{"glosses", names}, std::pair{"no_names", std::vector<std::string>{}}}) {
    Result<Blob> bin = write_glosses_bin(table, area, 3);
    if (bin) {
      seeds.emplace_back(std::string(name) + ".bin", std::move(*bin));
    }
  }
  Result<Blob> empty = write_glosses_bin(names, {}, 3);
  if (empty) {
    seeds.emplace_back("empty_area.bin", std::move(*empty));
  }
  // Bare records, for the decoder's own paths.
  seeds.emplace_back("records.bin", area);
  seeds.emplace_back("utf8_meaning.bin", record_area({{{0, {"näin ääneen"}}}}));
  for (const auto& [name, bytes] : seeds) {
    if (!write_file(dir + "/" + name, bytes)) {
      return false;
    }
  }
  return true;
}

bool write_multi_seeds(const std::string& dir) {
  const std::vector<std::pair<std::string, std::vector<std::vector<EntryId>>>> shapes = {
      {"empty.bin", {}},
      {"pairs.bin", {{6, 7}, {201641, 201654}, {0, 1}}},
      {"mixed.bin", {{}, {3, 3}, {1, 2, 3, 4, 5}, {0xFFFF'FFFF}, {9}}},
  };
  for (const auto& [name, lists] : shapes) {
    Result<Blob> bytes = write_multi(lists);
    if (!bytes || !write_file(dir + "/" + name, *bytes)) {
      return false;
    }
  }
  return true;
}

}  // namespace pnt::fuzzing
