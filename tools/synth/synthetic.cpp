#include "tools/synth/synthetic.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/gloss.h"
#include "format/multi.h"
#include "fstmap/builder.h"
#include "tools/synth/lexicon_table.h"

namespace pnt::synth {
namespace {

// The shape of the shipped data set.
constexpr std::size_t HEADWORDS = 242'109;
constexpr std::size_t PHRASE_HEADWORDS = 5'202;    // keys with a space
constexpr std::size_t CAPITAL_HEADWORDS = 10'982;  // keys starting with a capital letter
constexpr std::size_t FORMS = 24'527'395;
constexpr std::size_t LIST_TARGETS = 235'203;
constexpr std::size_t TWO_ID_LISTS = 222'599;
constexpr std::size_t RECORD_AREA = 11'057'562;  // aimed at, not met exactly
constexpr std::size_t ENGLISH_KEYS = 150'000;    // an estimate of the English index's size

// splitmix64: deterministic on every platform, unlike the standard distributions.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E37'79B9'7F4A'7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBULL;
    return z ^ (z >> 31);
  }
  /// Uniform in [0, n).
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  /// Skewed towards 0, like word frequencies.
  std::size_t skewed(std::size_t n) {
    const std::size_t a = below(n);
    return a == 0 ? 0 : below(a);
  }

 private:
  std::uint64_t state_;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Of `total` items numbered 0.., whether item i is one of `picked` spread evenly among them.
bool evenly_picked(std::size_t i, std::size_t picked, std::size_t total) {
  return (i + 1) * picked / total != i * picked / total;
}

std::string finnish_word(Rng& rng) {
  static constexpr std::string_view ONSETS[] = {"",   "k",  "t",  "p",  "s",  "h",  "l", "m",
                                                "n",  "r",  "v",  "j",  "k",  "t",  "s", "kk",
                                                "tt", "pp", "ss", "ll", "nn", "mm", "rr"};
  static constexpr std::string_view VOWELS[] = {
      "a",  "e",  "i",  "o",  "u",  "y",  "ä",  "ö",  "a",  "i",  "e",  "aa", "ee",
      "ii", "oo", "uu", "ää", "ai", "ei", "oi", "ui", "au", "ie", "uo", "yö", "äi"};
  static constexpr std::string_view CODAS[] = {"", "", "", "", "n", "s", "t", "l", "r", "k"};
  std::string word;
  const std::size_t syllables = 2 + rng.below(3);
  for (std::size_t s = 0; s < syllables; ++s) {
    word += ONSETS[rng.below(std::size(ONSETS))];
    word += VOWELS[rng.below(std::size(VOWELS))];
    if (s + 1 < syllables) {
      word += CODAS[rng.below(std::size(CODAS))];
    }
  }
  return word;
}

// Sorted, distinct, and no headword is a prefix of another: then the forms of each headword
// (headword + ending) fill one contiguous stretch of the sorted form keys, and the forms can
// be written headword by headword without sorting them all.
std::vector<std::string> make_headwords(Rng& rng) {
  std::vector<std::string> words;
  while (true) {
    while (words.size() < HEADWORDS * 11 / 10) {
      std::string word = finnish_word(rng);
      if (rng.below(HEADWORDS) < PHRASE_HEADWORDS) {
        word += ' ';
        word += finnish_word(rng);
      }
      if (rng.below(HEADWORDS) < CAPITAL_HEADWORDS && word[0] >= 'a' && word[0] <= 'z') {
        word[0] = static_cast<char>(word[0] - 'a' + 'A');
      }
      words.push_back(std::move(word));
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (i + 1 < words.size() && words[i + 1].starts_with(words[i])) {
        continue;
      }
      kept.push_back(std::move(words[i]));
    }
    words = std::move(kept);
    if (words.size() >= HEADWORDS) {
      break;
    }
  }
  // Drop a deterministic selection of the surplus; a subset stays sorted and prefix-free.
  std::vector<bool> dropped(words.size());
  for (std::size_t surplus = words.size() - HEADWORDS; surplus > 0;) {
    const std::size_t j = rng.below(words.size());
    if (!dropped[j]) {
      dropped[j] = true;
      --surplus;
    }
  }
  std::size_t out = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (dropped[i]) {
      continue;
    }
    if (out != i) {
      words[out] = std::move(words[i]);
    }
    ++out;
  }
  words.resize(out);
  return words;
}

// Case endings with possessive suffixes; the first is the empty one (the headword itself).
std::vector<std::string> make_endings(std::size_t count) {
  static constexpr std::string_view CASES[] = {"",   "n",    "a",    "na",   "ksi",  "ssa", "sta",
                                               "an", "lla",  "lta",  "lle",  "tta",  "t",   "ine",
                                               "in", "ihin", "issa", "ista", "illa", "ilta"};
  static constexpr std::string_view POSSESSIVES[] = {"",    "ni",  "si",  "mme",
                                                     "nne", "nsa", "kin", "han"};
  std::vector<std::string> endings;
  for (std::string_view possessive : POSSESSIVES) {
    for (std::string_view ending : CASES) {
      std::string text = std::string(ending) + std::string(possessive);
      if (std::find(endings.begin(), endings.end(), text) == endings.end()) {
        endings.push_back(std::move(text));
      }
      if (endings.size() == count) {
        std::sort(endings.begin(), endings.end());
        return endings;
      }
    }
  }
  std::sort(endings.begin(), endings.end());
  return endings;
}

std::vector<std::string> make_vocabulary(Rng& rng) {
  static constexpr std::string_view CONSONANTS = "bcdfghlmnprstvwy";
  static constexpr std::string_view VOWELS = "aeiou";
  std::vector<std::string> words = {"of",   "the", "a", "to",     "in",      "singular", "plural",
                                    "form", "(",   ")", "person", "present", "past",     "or"};
  while (words.size() < 4000) {
    std::string word;
    const std::size_t length = 2 + rng.below(4);
    for (std::size_t i = 0; i < length; ++i) {
      word += CONSONANTS[rng.below(CONSONANTS.size())];
      if (i + 1 < length || rng.below(2) == 0) {
        word += VOWELS[rng.below(VOWELS.size())];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::size_t group_count(Rng& rng) {
  const std::size_t r = rng.below(100);
  return r < 85 ? 1 : r < 95 ? 2 : r < 99 ? 3 : 4 + rng.below(2);
}

std::size_t meaning_count(Rng& rng) {
  const std::size_t r = rng.below(100);
  return r < 70 ? 1 : r < 90 ? 2 : r < 97 ? 3 : 4 + rng.skewed(22);
}

std::string meaning(Rng& rng, const std::vector<std::string>& vocabulary) {
  std::string text;
  const std::size_t words = 1 + rng.below(5);
  for (std::size_t i = 0; i < words; ++i) {
    if (i > 0) {
      text += ' ';
    }
    text += vocabulary[rng.skewed(rng.skewed(vocabulary.size()) + 1)];
  }
  return text;
}

Result<void> write_forms(const std::filesystem::path& path,
                         const std::vector<std::string>& headwords,
                         std::vector<std::vector<EntryId>>& lists, Rng& rng) {
  // Phrases have only their own form; the other headwords share the rest, some getting one
  // ending more than others.
  std::size_t phrases = 0;
  for (const std::string& word : headwords) {
    phrases += word.find(' ') != std::string::npos ? 1 : 0;
  }
  const std::size_t words = headwords.size() - phrases;
  const std::size_t base = (FORMS - phrases) / words;
  const std::size_t extra = (FORMS - phrases) - base * words;
  const std::size_t ending_count = base + (extra > 0 ? 1 : 0);
  const std::vector<std::string> endings = make_endings(ending_count);
  if (endings.size() != ending_count) {
    return fail("not enough distinct endings");
  }
  const std::string_view skipped = extra == 0 ? std::string_view() : endings.back();

  File file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    return fail("cannot create " + path.string() + ": " + std::strerror(errno));
  }
  fst::FileSink sink(file.get());
  fst::MapBuilder builder(sink);
  std::string key;
  std::size_t form = 0;
  std::size_t word_index = 0;  // among the non-phrase headwords
  for (std::size_t id = 0; id < headwords.size(); ++id) {
    const std::string& headword = headwords[id];
    const bool phrase = headword.find(' ') != std::string::npos;
    const bool one_more = !phrase && evenly_picked(word_index, extra, words);
    word_index += phrase ? 0 : 1;
    for (const std::string& ending : endings) {
      if (phrase ? !ending.empty() : (!one_more && ending == skipped && !ending.empty())) {
        continue;
      }
      key.assign(headword).append(ending);
      std::uint64_t value = id;
      if (evenly_picked(form, LIST_TARGETS, FORMS)) {
        const std::size_t size =
            lists.size() < TWO_ID_LISTS ? 2 : 3 + (rng.below(40) == 0 ? rng.below(33) : 0);
        std::vector<EntryId> ids = {static_cast<EntryId>(id)};
        while (ids.size() < size) {
          const auto other = static_cast<EntryId>(rng.below(headwords.size()));
          if (std::find(ids.begin(), ids.end(), other) == ids.end()) {
            ids.push_back(other);
          }
        }
        std::sort(ids.begin(), ids.end());
        value = MULTI_FLAG | static_cast<std::uint32_t>(lists.size());
        lists.push_back(std::move(ids));
      }
      if (Result<void> r = builder.insert(key, value); !r) {
        return fail(std::move(r.error()).context("inserting " + key));
      }
      ++form;
    }
  }
  if (Result<void> r = builder.finish(); !r) {
    return r;
  }
  if (form != FORMS) {
    return fail("wrote " + std::to_string(form) + " forms");
  }
  if (std::fflush(file.get()) != 0) {
    return fail("cannot write " + path.string() + ": " + std::strerror(errno));
  }
  return {};
}

// The English index: the vocabulary's words and phrases of two or three of them, each leading
// to one headword or, for about a third of them, to a list of up to 12.
Result<void> write_english(const std::filesystem::path& dir, std::size_t headword_count,
                           const std::vector<std::string>& vocabulary, Rng& rng) {
  std::vector<std::string> keys(vocabulary.begin(), vocabulary.end());
  keys.reserve(ENGLISH_KEYS + ENGLISH_KEYS / 10);
  while (keys.size() < ENGLISH_KEYS + ENGLISH_KEYS / 10) {
    std::string phrase = vocabulary[rng.skewed(vocabulary.size())];
    for (std::size_t n = 1 + rng.below(2); n > 0; --n) {
      phrase += ' ';
      phrase += vocabulary[rng.skewed(vocabulary.size())];
    }
    keys.push_back(std::move(phrase));
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  keys.resize(std::min(keys.size(), ENGLISH_KEYS));
  std::vector<std::pair<std::string_view, std::uint64_t>> targets;
  targets.reserve(keys.size());
  std::vector<std::vector<EntryId>> lists;
  for (const std::string& key : keys) {
    const std::size_t size = rng.below(3) == 0 ? 2 + rng.skewed(11) : 1;
    std::vector<EntryId> ids;
    while (ids.size() < size) {
      const auto id = static_cast<EntryId>(rng.below(headword_count));
      if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
        ids.push_back(id);
      }
    }
    if (size == 1) {
      targets.emplace_back(key, ids.front());
      continue;
    }
    targets.emplace_back(key, MULTI_FLAG | static_cast<std::uint32_t>(lists.size()));
    lists.push_back(std::move(ids));
  }
  Result<std::vector<std::uint8_t>> bytes = fst::build_map(targets);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("building english.fst"));
  }
  if (Result<void> r = write_file(dir / "english.fst", *bytes); !r) {
    return r;
  }
  bytes = write_multi(lists);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("writing english-multi.bin"));
  }
  return write_file(dir / "english-multi.bin", *bytes);
}

}  // namespace

Result<void> write_synthetic(const std::filesystem::path& dir) {
  Rng rng(0x5EED'F1AA'2026ULL);
  const std::vector<std::string> headwords = make_headwords(rng);
  const std::vector<std::string> vocabulary = make_vocabulary(rng);

  // Records in key order, back to back; scaled so the area comes out near the real size.
  std::vector<std::uint8_t> records;
  records.reserve(RECORD_AREA + RECORD_AREA / 4);
  std::vector<std::pair<std::string_view, std::uint64_t>> offsets;
  offsets.reserve(headwords.size());
  const std::size_t pos_count = data_set_pos_names().size();
  for (const std::string& word : headwords) {
    offsets.emplace_back(word, records.size());
    std::vector<RecordGroup> groups(group_count(rng));
    for (RecordGroup& group : groups) {
      group.pos_idx = static_cast<std::uint8_t>(rng.skewed(pos_count));
      group.meanings.resize(meaning_count(rng));
      for (std::string& text : group.meanings) {
        text = meaning(rng, vocabulary);
      }
    }
    if (Result<void> r = encode_entry(groups, records); !r) {
      return r;
    }
  }

  Result<std::vector<std::uint8_t>> bytes = fst::build_map(offsets);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("building glosses.fst"));
  }
  if (Result<void> r = write_file(dir / "glosses.fst", *bytes); !r) {
    return r;
  }
  bytes = write_glosses_bin(data_set_pos_names(), records, 19);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("writing glosses.bin"));
  }
  if (Result<void> r = write_file(dir / "glosses.bin", *bytes); !r) {
    return r;
  }

  std::vector<std::vector<EntryId>> lists;
  lists.reserve(LIST_TARGETS);
  if (Result<void> r = write_forms(dir / "inflections.fst", headwords, lists, rng); !r) {
    return fail(std::move(r.error()).context("building inflections.fst"));
  }
  bytes = write_multi(lists);
  if (!bytes) {
    return fail(std::move(bytes.error()).context("writing inflections-multi.bin"));
  }
  if (Result<void> r = write_file(dir / "inflections-multi.bin", *bytes); !r) {
    return r;
  }
  return write_english(dir, headwords.size(), vocabulary, rng);
}

}  // namespace pnt::synth
