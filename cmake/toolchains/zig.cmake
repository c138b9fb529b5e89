# Cross toolchain: Zig's clang with musl and libc++, static. PNT_SYSROOT holds the wrappers
# (bin/cc, bin/c++, bin/ar, bin/ranlib), the cross-built libraries and their pkg-config files.
set(CMAKE_SYSTEM_NAME Linux)
# try_compile projects see the sysroot through this list.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PNT_SYSROOT)
if(NOT PNT_SYSROOT)
  message(FATAL_ERROR "set PNT_SYSROOT to the sysroot made by scripts/build-release")
endif()
set(CMAKE_C_COMPILER "${PNT_SYSROOT}/bin/cc")
set(CMAKE_CXX_COMPILER "${PNT_SYSROOT}/bin/c++")
set(CMAKE_AR "${PNT_SYSROOT}/bin/ar" CACHE FILEPATH "")
set(CMAKE_RANLIB "${PNT_SYSROOT}/bin/ranlib" CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH "${PNT_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "${PNT_SYSROOT}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
# -fno-lto: the toolchain crashes while building libc++ with LTO for ARM.
set(CMAKE_C_FLAGS_INIT "-fno-lto")
set(CMAKE_CXX_FLAGS_INIT "-fno-lto -isystem ${PNT_SYSROOT}/include")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -fno-lto")
