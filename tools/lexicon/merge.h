// Turning the two dictd dictionaries into headword entries: cleaning the translation lines,
// inverting eng-fin, merging by part of speech.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/dictd.h"

namespace pnt::lexicon {

/// The data set's part-of-speech table; a name's position is its POS index.
inline constexpr std::array<std::string_view, 24> POS_NAMES = {
    "noun", "verb",    "adj",      "name",     "adv",    "pron",  "phrase",    "num",
    "intj", "proverb", "suffix",   "postp",    "prefix", "conj",  "character", "contraction",
    "prep", "det",     "particle", "interfix", "symbol", "punct", "abbrev",    "devlog"};

/// At most this many meanings are kept in one part-of-speech group.
inline constexpr std::size_t MAX_MEANINGS = 12;

/// The POS index of a name of POS_NAMES.
[[nodiscard]] std::optional<std::uint8_t> pos_index(std::string_view name);

/// The POS index for a dictionary tag such as "n", "pn" or "phraseologicalUnit"; nothing for
/// an empty or unknown tag.
[[nodiscard]] std::optional<std::uint8_t> pos_for_tag(std::string_view tag);

/// Removes a leading "N. " and a trailing " N." sense number and surrounding blanks. A line
/// that is only a number becomes empty (it repeats the previous translation).
[[nodiscard]] std::string strip_sense_numbers(std::string_view line);

/// Replaces wiki links: "[[a|b]]" by "b", "[[a]]" by "a".
[[nodiscard]] std::string resolve_wiki_links(std::string_view text);

/// The text without its parenthesised parts (nested ones too; an unmatched ")" is dropped).
[[nodiscard]] std::string remove_parenthesised(std::string_view text);

/// Collapses runs of blanks to one space and trims both ends.
[[nodiscard]] std::string collapse_spaces(std::string_view text);

/// Cleans one fin-eng translation line (English): sense numbers, wiki links, "X#Englanti"
/// tails; a line that is only "#Englanti" means the headword itself. Empty when nothing is left.
[[nodiscard]] std::string clean_translation(std::string_view line, std::string_view headword);

/// Splits at commas that are not inside parentheses or brackets; parts are trimmed.
[[nodiscard]] std::vector<std::string> split_top_level_commas(std::string_view text);

/// Cleans one Finnish term of an eng-fin translation line; nothing when the term is a
/// placeholder or a grammar note rather than a word.
[[nodiscard]] std::optional<std::string> clean_finnish_term(std::string_view term);

/// The distinct Finnish terms of one eng-fin translation line (sense numbers already stripped),
/// each cleaned by clean_finnish_term, in order of first appearance.
[[nodiscard]] std::vector<std::string> finnish_terms(std::string_view line);

/// Shortens an English definition to a parenthesis-sized hint.
[[nodiscard]] std::string short_hint(std::string_view definition);

/// One part-of-speech group of a finished entry.
struct MergedGroup {
  std::uint8_t pos = 0;
  std::vector<std::string> meanings;
  std::size_t direct = 0;  ///< leading meanings that are fin-eng's own; the rest are inverted
};

/// A finished headword: its real spelling and its groups (fin-eng groups first).
struct MergedEntry {
  std::string headword;
  std::vector<MergedGroup> groups;
};

/// Guesses a POS index for a Finnish term whose source entry has no tag.
using PosGuess = std::function<std::uint8_t(std::string_view term)>;

/// What voikko says of a Finnish word: the POS indexes its analyses give (empty when it does
/// not know the word) and whether one of them reads it as a compound.
struct WordClasses {
  std::vector<std::uint8_t> pos;
  bool compound = false;
  bool nonverb_form = false;  ///< also a form of a pronoun or particle ("siitä" of se)
};
using ClassLookup = std::function<WordClasses(std::string_view word)>;

/// The register or field label that starts an English sense line ("slang: semen",
/// "(archaic) used to …"); empty when there is none or it only describes grammar.
[[nodiscard]] std::string sense_label(std::string_view definition);

/// True when a word voikko reads as `classes` can carry a meaning of part of speech `pos`
/// (as an English word's sense, when `inverted`, else as a fin-eng group). Unknown words can.
[[nodiscard]] bool pos_fits(std::uint8_t pos, const WordClasses& classes, bool inverted);

/// How the inverted meanings fared, for data/MANIFEST.
struct MergeStats {
  std::uint64_t kept = 0;             ///< inverted meanings written
  std::uint64_t covered = 0;          ///< already a meaning of the group (fin-eng's, or E's)
  std::uint64_t other_class = 0;      ///< a class neither fin-eng nor voikko gives a fin-eng word
  std::uint64_t wrong_pos = 0;        ///< a part of speech the Finnish word cannot have
  std::uint64_t compound = 0;         ///< the Finnish word stands for it only inside a compound
  std::uint64_t obscure = 0;          ///< an obsolete, archaic or field sense beside fin-eng's
  std::uint64_t weak = 0;             ///< too weak a translation beside fin-eng's lines
  std::uint64_t cap = 0;              ///< over the cap of meanings per group
  std::uint64_t labelled = 0;         ///< kept with their label in parentheses
  std::uint64_t unchecked_words = 0;  ///< words kept unchecked, as every meaning failed a check
  std::vector<std::string> dropped_groups;  ///< fin-eng groups of a wrong class, "mennä adj: last"
  void add(const MergeStats& other);
};

/// Collects both dictionaries and produces the merged entries.
class Merger {
 public:
  explicit Merger(PosGuess guess) : guess_(std::move(guess)) {}

  /// Lets finish() check parts of speech against what voikko says of each headword.
  void use_classes(ClassLookup classes) { classes_ = std::move(classes); }

  /// fin-eng entries: each translation line becomes one meaning of the headword.
  void add_fin_eng(const std::vector<RawEntry>& entries);

  /// eng-fin entries: each Finnish term of a translation line gets the English headword.
  /// A suffix gets a leading "-" unless fin-eng has it bare; call after add_fin_eng.
  void add_eng_fin(const std::vector<RawEntry>& entries);

  /// Headwords in byte order, each with at least one group of at least one meaning; the
  /// groups with the most fin-eng lines first, then those of a class voikko gives the word.
  [[nodiscard]] std::vector<MergedEntry> finish(MergeStats* stats = nullptr) const;

 private:
  /// One sense of an English word that names the Finnish word, with the evidence for it.
  struct Inverted {
    std::string english;
    std::string definition;
    std::string label;              // sense_label of the definition
    std::uint32_t strength = 0;     // per mille: share of the senses over (1 + place among terms)
    std::uint32_t terms = 0;        // distinct Finnish terms of the English entry
    std::uint32_t sense = 0;        // the sense's index in the English entry
    bool checked_pos = false;       // the English entry's tag names the part of speech
    bool compound_english = false;  // the English word is a compound noun or adjective
    bool hyphenated = false;        // its translations also have the term as a word part
  };
  struct GroupState {
    std::uint8_t pos = 0;
    std::vector<std::string> direct;
    std::vector<Inverted> inverted;
  };
  GroupState& group(const std::string& headword, std::uint8_t pos);
  MergedEntry merge_word(const std::string& headword, const std::vector<GroupState>& groups,
                         const WordClasses& classes, MergeStats& st, bool checked) const;
  std::string inverted_headword(const std::string& term, std::uint8_t pos) const;

  PosGuess guess_;
  ClassLookup classes_;
  std::map<std::string, std::vector<GroupState>> words_;
};

}  // namespace pnt::lexicon
