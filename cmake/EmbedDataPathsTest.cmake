# Checks that data folders with awkward names reach the assembler intact: for each folder name
# below, writes every data file, generates the paths header as the build does, and assembles
# libs/embedded/blobs.S over it. Made at test time, so the build's own folders keep plain names.
#
#   cmake -DCOMPILER=<cc> -DSOURCE_DIR=<project> -DWORK=<scratch folder> -P EmbedDataPathsTest.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/EmbedDataPaths.cmake")

file(REMOVE_RECURSE "${WORK}")
set(index 0)
# A backslash cannot be tried in a folder name (CMake turns it into a slash), only as text.
pnt_assembler_string(literal [[a\b"c]])
if(NOT literal STREQUAL [["a\\b\"c"]])
  message(FATAL_ERROR "pnt_assembler_string gave ${literal}")
endif()

foreach(folder "plain" "a space" "a \"quote\"" "\" lead" "semi;colon")
  math(EXPR index "${index} + 1")
  set(case "${WORK}/${index}")
  set(dir "${case}/${folder}")
  file(MAKE_DIRECTORY "${dir}")
  foreach(name IN LISTS PNT_DATA_FILES)
    file(WRITE "${dir}/${name}" "${name}")
  endforeach()
  pnt_embedded_paths_header(defines "${dir}" ${PNT_DATA_FILES})
  file(WRITE "${case}/embedded_paths.h" "${defines}")
  execute_process(COMMAND "${COMPILER}" -c -I "${case}" "${SOURCE_DIR}/libs/embedded/blobs.S"
                          -o "${case}/blobs.o"
                  RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "folder [${folder}]: the assembler failed (${status}):\n${defines}\n${err}")
  endif()
  # The blobs are the files' bytes back to back: their names, in order.
  file(READ "${case}/blobs.o" object HEX)
  string(CONCAT all ${PNT_DATA_FILES})
  string(HEX "${all}" blobs)
  string(TOLOWER "${blobs}" blobs)
  string(FIND "${object}" "${blobs}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "folder [${folder}]: the object does not hold the data files")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
