#include "embedded/blobs.h"

#include <cstdint>

// Defined in blobs.S. The blobs are byte arrays at any address; only the size words
// are aligned.
extern "C" {
extern const std::uint8_t pnt_inflections_fst_start[];
extern const std::uint8_t pnt_inflections_multi_start[];
extern const std::uint8_t pnt_glosses_bin_start[];
extern const std::uint8_t pnt_glosses_fst_start[];
extern const std::uint8_t pnt_english_fst_start[];
extern const std::uint8_t pnt_english_multi_start[];
extern const std::uint8_t pnt_mor_vfst_start[];
extern const std::uint32_t pnt_inflections_fst_size;
extern const std::uint32_t pnt_inflections_multi_size;
extern const std::uint32_t pnt_glosses_bin_size;
extern const std::uint32_t pnt_glosses_fst_size;
extern const std::uint32_t pnt_english_fst_size;
extern const std::uint32_t pnt_english_multi_size;
extern const std::uint32_t pnt_mor_vfst_size;
}

namespace pnt::embedded {

DataBlobs blobs() {
  return {
      .inflections_fst = {pnt_inflections_fst_start, pnt_inflections_fst_size},
      .inflections_multi = {pnt_inflections_multi_start, pnt_inflections_multi_size},
      .glosses_bin = {pnt_glosses_bin_start, pnt_glosses_bin_size},
      .glosses_fst = {pnt_glosses_fst_start, pnt_glosses_fst_size},
      .english_fst = {pnt_english_fst_start, pnt_english_fst_size},
      .english_multi = {pnt_english_multi_start, pnt_english_multi_size},
      .mor_vfst = {pnt_mor_vfst_start, pnt_mor_vfst_size},
  };
}

}  // namespace pnt::embedded
