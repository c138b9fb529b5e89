// The small lexicon of the tests, also the stand-in data set of a fresh checkout.
#pragma once

#include "tools/synth/lexicon_table.h"

namespace pnt::synth {

/// The lexicon's worked examples ("'", "talo" and its forms, "Suomi"/"suomi", "olla",
/// "hyvä"/"parempi", "juosta"/"juko", over a hundred "kissa…" headwords, ...). Every headword
/// is also its own inflected form, except the proverb starting with "talo ". A dozen English
/// keys ("building", "cat", "feline", "house", ...) lead to Finnish headwords.
[[nodiscard]] const LexiconTable& fixture_table();

}  // namespace pnt::synth
