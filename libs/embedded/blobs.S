// The seven data files, back to back in read-only data, in the order the program expects.
// No alignment: readers take every multi-byte field byte by byte. Each blob's length is
// computed by the assembler as end - start and stored as a 32-bit word.
#include "embedded_paths.h"

#define PNT_SIZE(name)            \
  .balign 4;                      \
  .global name##_size;            \
  .hidden name##_size;            \
  .type name##_size, %object;     \
  .size name##_size, 4;           \
name##_size:                      \
  .long name##_end - name##_start

#define PNT_BLOB(name, file)      \
  .global name##_start;           \
  .hidden name##_start;           \
  .type name##_start, %object;    \
name##_start:                     \
  .incbin file;                   \
name##_end:                       \
  .size name##_start, name##_end - name##_start

  .section .rodata
  PNT_SIZE(pnt_inflections_fst)
  PNT_SIZE(pnt_inflections_multi)
  PNT_SIZE(pnt_glosses_bin)
  PNT_SIZE(pnt_glosses_fst)
  PNT_SIZE(pnt_english_fst)
  PNT_SIZE(pnt_english_multi)
  PNT_SIZE(pnt_mor_vfst)

  .balign 1
  PNT_BLOB(pnt_inflections_fst, PNT_FILE_INFLECTIONS_FST)
  PNT_BLOB(pnt_inflections_multi, PNT_FILE_INFLECTIONS_MULTI_BIN)
  PNT_BLOB(pnt_glosses_bin, PNT_FILE_GLOSSES_BIN)
  PNT_BLOB(pnt_glosses_fst, PNT_FILE_GLOSSES_FST)
  PNT_BLOB(pnt_english_fst, PNT_FILE_ENGLISH_FST)
  PNT_BLOB(pnt_english_multi, PNT_FILE_ENGLISH_MULTI_BIN)
  PNT_BLOB(pnt_mor_vfst, PNT_FILE_MOR_VFST)

  .section .note.GNU-stack,"",%progbits
