// Builds maps in the fst format, version 3, byte-identical to the reference library's output.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt::fst {

/// Where the builder writes its bytes as it goes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  [[nodiscard]] virtual Result<void> write(Bytes bytes) = 0;
};

/// Collects the bytes in memory.
class VectorSink final : public ByteSink {
 public:
  explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) {}
  [[nodiscard]] Result<void> write(Bytes bytes) override;

 private:
  std::vector<std::uint8_t>& out_;
};

/// Writes to an open stdio file (not closed by the sink).
class FileSink final : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  [[nodiscard]] Result<void> write(Bytes bytes) override;

 private:
  std::FILE* file_;
};

/// Takes keys in strictly increasing byte order with their values and writes the map to the
/// sink while it goes; memory stays bounded by the longest key and a fixed-size node cache.
/// After an error (out-of-order or duplicate key, a failed write) the builder is unusable.
class MapBuilder {
 public:
  explicit MapBuilder(ByteSink& sink);
  ~MapBuilder();
  MapBuilder(const MapBuilder&) = delete;
  MapBuilder& operator=(const MapBuilder&) = delete;

  /// Fails with "duplicate key" or "out of order key" when the key is not greater than the last.
  [[nodiscard]] Result<void> insert(Bytes key, std::uint64_t value);
  [[nodiscard]] Result<void> insert(std::string_view key, std::uint64_t value) {
    return insert(as_bytes(key), value);
  }

  /// Writes the remaining nodes, the footer and the checksum.
  [[nodiscard]] Result<void> finish();

  [[nodiscard]] std::uint64_t len() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

/// Builds a whole map in memory from sorted pairs (a convenience for tests and tools).
template <class Pairs>
[[nodiscard]] Result<std::vector<std::uint8_t>> build_map(const Pairs& pairs) {
  std::vector<std::uint8_t> out;
  VectorSink sink(out);
  MapBuilder builder(sink);
  for (const auto& [key, value] : pairs) {
    if (auto r = builder.insert(key, value); !r) {
      return fail(std::move(r.error()));
    }
  }
  if (auto r = builder.finish(); !r) {
    return fail(std::move(r.error()));
  }
  return out;
}

}  // namespace pnt::fst
