# Shared compile settings: every target of the project calls pnt_set_options().
include_guard(GLOBAL)

set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

function(pnt_set_options target)
  target_compile_features(${target} PUBLIC cxx_std_23)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(PNT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # g++ 12 at -O3 reports impossible sizes inside libstdc++'s string code (GCC bugs 105329,
    # 105651); these are false positives, not faults of ours.
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overread)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # clang 16 reports an older __cpp_concepts than libstdc++ 12 wants for <expected>,
    # although it implements everything std::expected needs.
    target_compile_options(${target} PUBLIC
      -U__cpp_concepts -D__cpp_concepts=202002L -Wno-builtin-macro-redefined)
  endif()
endfunction()

if(PNT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(PNT_BUILD_FUZZ)
  # Libraries get coverage instrumentation; fuzz executables add -fsanitize=fuzzer themselves.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds each listed subdirectory that holds a CMakeLists.txt.
function(pnt_add_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
