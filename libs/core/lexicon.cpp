#include "core/lexicon.h"

#include <new>
#include <utility>

namespace pnt {
namespace {

[[nodiscard]] std::vector<std::string_view> views_of(const std::vector<std::string>& names) {
  return {names.begin(), names.end()};
}

}  // namespace

Result<GlossStore> GlossStore::load(Bytes blob) {
  Result<GlossHeader> header = parse_gloss_header(blob);
  if (!header) {
    return fail(std::move(header.error()).context("parsing glosses.bin header"));
  }

  GlossStore store;
  store.payload_size_ = header->raw_size;
  // The size comes from the data: on a small machine an absurd one must fail, not throw.
  store.payload_.reset(new (std::nothrow) std::uint8_t[store.payload_size_]);
  if (!store.payload_) {
    return fail(
        Error("cannot allocate " + std::to_string(header->raw_size) + " bytes for the record area")
            .context("decompressing glosses.bin"));
  }
  if (Result<void> ok =
          decompress_record_area(*header, {store.payload_.get(), store.payload_size_});
      !ok) {
    return fail(std::move(ok.error()));
  }

  store.pos_names_.assign(header->pos_names.begin(), header->pos_names.end());
  store.pos_views_ = views_of(store.pos_names_);
  return store;
}

std::optional<Entry> GlossStore::entry_at(EntryOffset offset) const {
  if (offset > payload_size_) {
    return std::nullopt;
  }
  Result<Entry> entry = decode_entry(payload().subspan(offset), pos_views_);
  // A record that does not decode is shown like a headword without an entry.
  if (!entry) {
    return std::nullopt;
  }
  return std::move(*entry);
}

Result<Lexicon> Lexicon::open(Bytes glosses_fst, Bytes glosses_bin) {
  Result<fst::Map> index = fst::Map::open(glosses_fst);
  if (!index) {
    return fail("invalid fst: " + index.error().message());
  }
  Result<GlossStore> store = GlossStore::load(glosses_bin);
  if (!store) {
    return fail(std::move(store.error()));
  }
  return Lexicon(*index, std::move(*store));
}

std::optional<Entry> Lexicon::entry(std::string_view headword) const {
  const std::optional<std::uint64_t> value = index_.get(headword);
  if (!value) {
    return std::nullopt;
  }
  return store_.entry_at(static_cast<EntryOffset>(*value & 0xFFFF'FFFFU));
}

}  // namespace pnt
