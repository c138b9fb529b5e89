# The header that hands the data files' paths to libs/embedded/blobs.S, kept apart from
# EmbedData.cmake (which enables the assembler) so that a cmake -P script can test it.
#
#   pnt_embedded_paths_header(<out-var> <folder> <name>...)
#
# sets <out-var> to one "#define PNT_FILE_<NAME> "<folder>/<name>"" line per name, each path an
# assembler string literal.
include_guard(GLOBAL)

# The data files, in the order libs/embedded/blobs.S embeds them.
set(PNT_DATA_FILES inflections.fst inflections-multi.bin glosses.bin glosses.fst english.fst
    english-multi.bin mor.vfst)

# The path as an assembler string literal: a quote or backslash in a folder name must neither
# end the string early nor start an escape.
function(pnt_assembler_string out path)
  string(REPLACE "\\" "\\\\" quoted "${path}")
  string(REPLACE "\"" "\\\"" quoted "${quoted}")
  set(${out} "\"${quoted}\"" PARENT_SCOPE)
endfunction()

function(pnt_embedded_paths_header out dir)
  if(dir MATCHES "\n")
    message(FATAL_ERROR "pnt_embed_data: the data folder's path holds a line break: ${dir}")
  endif()
  set(defines "")
  foreach(name IN LISTS ARGN)
    string(TOUPPER "${name}" macro)
    string(REGEX REPLACE "[^A-Z0-9]" "_" macro "${macro}")
    pnt_assembler_string(literal "${dir}/${name}")
    string(APPEND defines "#define PNT_FILE_${macro} ${literal}\n")
  endforeach()
  set(${out} "${defines}" PARENT_SCOPE)
endfunction()
