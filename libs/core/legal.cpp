#include "core/legal.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.h"
#include "core/text.h"
#include "core/wrap.h"

namespace pnt {
namespace {

constexpr std::string_view LICENSE_BODY = R"(Pohjantuulikko License Agreement
================================

Pohjantuulikko is an offline Finnish-English dictionary for the text
terminal. This agreement says on which terms you may use, copy, change and
pass on the program and the dictionary data compiled into it.

1. The program

The program's own code is free software: you can redistribute it and/or
modify it under the terms of the GNU General Public License as published by
the Free Software Foundation, either version 3 of the License, or (at your
option) any later version (GPL-3.0-or-later). The full text of that licence
comes with the source code in the file LICENSE.

2. The dictionary data

The dictionary data inside the program is not the project's own work. It
keeps the licences of the works it was derived from:

  - The headwords and their English meanings (the glosses) come from the
    FreeDict Finnish-English and English-Finnish dictionaries, which are
    licensed under Creative Commons Attribution-ShareAlike 3.0 Unported
    (CC BY-SA 3.0).
  - The index of inflected word forms was derived from voikko-fi, which is
    licensed under the GNU General Public License version 2 or (at your
    option) any later version (GPL-2.0-or-later).
  - The morphology transducer (mor.vfst) that gives each word form its
    reading and each headword its inflection table is voikko-fi's own,
    carried unchanged, under the same GPL-2.0-or-later. Its source is
    Debian's voikko-fi source package, version 2.5-1.

The document "Attribution and Data Sources", also shown in this overlay,
names the authors and says what was derived from what.

3. Redistribution

You may give copies of the program to others, changed or unchanged, as long
as you keep to all of these licences:

  - Offer the complete corresponding source code with the program, as the
    GNU GPL version 3 requires. The form index is used under the "any later
    version" option of its licence, so version 3 covers it as well.
  - Keep the attribution of the dictionary data, and state that the glosses
    are available under CC BY-SA 3.0. If you change them and share the
    result, share your changes under the same licence.
  - Keep this agreement and the other documents of this overlay in the
    program.

4. No warranty

The program and its data are provided "as is", without warranty of any
kind, express or implied, including the implied warranties of
merchantability and fitness for a particular purpose. The meanings come
from community-made dictionaries and may be incomplete or wrong. The authors
and copyright holders are not liable for any damages arising from the use
of the program or the inability to use it, as sections 15 and 16 of the
GNU GPL version 3 set out in full.
)";

constexpr std::string_view PRIVACY_BODY = R"(Privacy Policy
==============

Pohjantuulikko works entirely on your own computer. This policy lists
everything the program reads and writes.

What the program stores

The only file the program writes is its layout file, "pohjantuulikko.toml".
It holds two numbers: the width of the left column and the height of the
matches list, both in percent, as you set them by dragging the pane borders
with the mouse. The file is written when you release the mouse button after
such a drag, and at no other time. It is kept in one of two places:

  - beside the program file, when you may write to that directory, unless
    the program is installed under /usr or /bin (as its Debian package
    installs it);
  - otherwise in your home directory, under .config/pohjantuulikko.

At start the program reads the layout file from the same places, in the
same order. You may delete the file at any time; the program then uses its
default layout.

What the program does not do

  - It opens no network connection of any kind.
  - It sends no telemetry, usage statistics or error reports.
  - It keeps no history. What you type stays in memory only while the
    program runs and is gone when it ends.
  - It reads no data files. The dictionary is compiled into the program
    itself, so no data files are looked for or opened.
  - It writes no other files: no logs, no caches, no temporary files
    beyond the one it renames into place when it saves the layout.

What else the program reads

Besides the layout file, the program reads only:

  - the description of your terminal type, named by the TERM environment
    variable, from the terminal database (the system's, or your own in
    ~/.terminfo) when there is one. When it finds none, it uses the
    description of xterm-256color; the release builds carry that one and a
    few other common ones built in;
  - when built with the system's libraries (as the Debian build is), the
    system's locale data, to handle text in UTF-8. The release builds need
    none.

It also looks at the terminal it runs in, at its own location on disk (to
find the layout file beside it), and at the HOME, TERM and NO_COLOR
environment variables.

Changes

If a later version of the program changes any of this, its Privacy Policy
will say so.
)";

constexpr std::string_view SOURCES_BODY = R"(Attribution and Data Sources
============================

Pohjantuulikko carries a Finnish-English dictionary compiled into the
program. It was built from the works below, and we thank their authors.
Each keeps its own licence, and what was derived from it carries that
licence on.

FreeDict Finnish-English and English-Finnish dictionaries

  Debian packages dict-freedict-fin-eng and dict-freedict-eng-fin,
  version 2022.12.07-2.
  Copyright 2000-2022 FreeDict contributors.
  License: Creative Commons Attribution-ShareAlike 3.0 Unported
  (CC-BY-SA-3.0).
  Created automatically by WikDict; base data from Wiktionary.org via
  DBnary. Maintainer and publisher: Karl Bartel.

voikko-fi, the Finnish morphology of the Voikko project

  Debian package voikko-fi, version 2.5-1.
  Copyright (C) 2005-2008 Hannu Väisänen, Harri Pitkänen and contributors.
  Copyright 2006-2022 Hannu Väisänen, Harri Pitkänen, Teemu Likonen and
  others. Contributors include Harri Järvi, Tero Kuparinen, Kalle Lampila,
  Teemu Likonen, Harri Pitkänen, Reijo Tomperi and Hannu Väisänen.
  License: GNU General Public License version 2 or (at your option) any
  later version (GPL-2.0-or-later).
  Its vocabulary draws on Hunspell-fi, Finnish ispell and Finnish myspell
  (GPL) and on the Kotus list of words in modern Finnish, version 1 (LGPL).
  The program carries its morphology transducer (mor.vfst) unchanged; the
  transducer's source is Debian's voikko-fi source package, version 2.5-1.

Word frequencies: libreoffice-help-fi and manpages-fi

  Debian packages libreoffice-help-fi, version 4:7.4.7-1+deb12u14
  (Copyright 2000, 2010 Oracle and/or its affiliates; LibreOffice
  contributors; License: Mozilla Public License 2.0), and manpages-fi,
  version 4.18.1-1 (the manpages-l10n project; Copyright 2010-2023 Tobias
  Quathamer, Helge Kreutzmann and the translators; License: GNU General
  Public License version 3 or later). Only word counts were taken from
  them: how often each headword occurs in the Finnish help pages and in
  every second manual page. No text of theirs is in the program.

libvoikko

  Used only while the data was built; it is not part of the program.
  License: GNU General Public License version 2 or later.

What was derived from what

  - Headwords and their meanings come from the FreeDict dictionaries: the
    Finnish-English entries, merged with the English-Finnish entries
    turned around so that their Finnish words become headwords. The
    entries were cleaned (sense numbers, wiki markup, duplicates) and
    merged by part of speech.
  - The Finnish-English lines of an entry come first. A meaning taken
    from a turned-around English-Finnish entry is left out when voikko-fi
    says the Finnish word cannot be that part of speech, when the Finnish
    word is only a part of the compound or phrase that translates the
    English one, or when its sense is obsolete, archaic or of a special
    field while the word has Finnish-English lines; a slang or colloquial
    sense keeps its label in parentheses. The rest are ordered by how
    early and in how many of its senses the English word names the
    Finnish one, and beside Finnish-English lines only the two strongest
    are kept.
  - The inflected forms, and the notes saying which form of a headword a
    word is, were generated with voikko-fi's morphology and confirmed with
    libvoikko.
  - The readings of word forms and the inflection tables are read from
    voikko-fi's transducer itself, inside the program.
  - The English index, which English mode (Ctrl+E) searches, comes from
    the same FreeDict dictionaries: every English-Finnish entry leads from
    its English headword to its Finnish translations, and every English
    meaning of a Finnish-English entry that is a word or a short phrase
    leads back to that entry.
  - The frequency rank of each headword, which orders the suggestions
    for words typed without dots or with a typo, counts its forms in the
    libreoffice-help-fi and manpages-fi texts.

So the glosses shown in the entry pane and the English index are licensed
under CC BY-SA 3.0, and the index of inflected forms under
GPL-2.0-or-later, as is the morphology transducer. The "Pohjantuulikko
License Agreement" explains what this means when you pass the program on.
)";

constexpr std::string_view VERIFY_BODY = R"(Verifying Your Download
=======================

Every release of Pohjantuulikko is published together with a list of
SHA-256 checksums, the file SHA256SUMS. It covers the two program files and
the two Debian packages (pohjantuulikko_VERSION-1_armhf.deb and
pohjantuulikko_VERSION-1_amd64.deb). Checking your download against it
shows that the file arrived complete and unchanged.

1. Download the program file or the package, and SHA256SUMS, from the
   project's release page into the same directory.

2. In that directory, run:

     sha256sum -c SHA256SUMS --ignore-missing

   This checks every file named in SHA256SUMS that you have downloaded and
   prints its name followed by "OK" when it matches.

3. Or compute the checksum of one file yourself:

     sha256sum FILE

   and compare the 64 hexadecimal characters it prints, by eye, with the
   line for that file in SHA256SUMS. Every character must be the same.

4. Check a package before you install it. Once installed, the command

     dpkg --verify pohjantuulikko

   prints nothing as long as the installed files are the ones the package
   brought.

If the checksums do not match

  - Do not run the program.
  - Delete the file and download it again from the project's release page,
    not from a mirror or from a copy someone passed on to you.
  - If the new copy does not match either, report it through the project's
    release page, naming the file, where you got it and the checksum you
    computed.

A checksum shows only that your copy matches the published list, so take
SHA256SUMS itself from the project's release page and nowhere else.
)";

void wrap_line(std::string_view line, std::size_t width, std::vector<std::string>& out) {
  const std::size_t indent_bytes = white_space_prefix(line);
  const std::string_view rest = line.substr(indent_bytes);
  if (rest.empty()) {
    out.emplace_back();
    return;
  }
  std::string_view indent = line.substr(0, indent_bytes);
  // An indent that leaves no room for a character beside it is dropped for this line.
  if (char_count(indent) + 1 >= width) {
    indent = {};
  }
  std::string current(indent);
  const WrapRule rule{.indent = char_count(indent), .width = width, .long_word = LongWord::Cut};
  wrap_words(rest, rule, [&](const Token&, std::string_view piece, std::size_t, Gap gap) {
    if (gap == Gap::Break) {
      out.push_back(std::move(current));
      current.assign(indent);
    } else if (gap == Gap::Space) {
      current += ' ';
    }
    current += piece;
  });
  out.push_back(std::move(current));
}

}  // namespace

const std::array<Document, 4> DOCUMENTS = {{
    {.label = "License", .title = "Pohjantuulikko License Agreement", .body = LICENSE_BODY},
    {.label = "Privacy", .title = "Privacy Policy", .body = PRIVACY_BODY},
    {.label = "Sources", .title = "Attribution and Data Sources", .body = SOURCES_BODY},
    {.label = "Verify", .title = "Verifying Your Download", .body = VERIFY_BODY},
}};

std::vector<std::string> wrap_document(std::string_view text, std::size_t width) {
  const std::size_t w = width < 1 ? 1 : width;
  std::vector<std::string> out;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (end != std::string_view::npos && line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    wrap_line(line, w, out);
  }
  return out;
}

}  // namespace pnt
