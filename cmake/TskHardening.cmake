# SPDX-License-Identifier: GPL-3.0-or-later
# Programs hardened as Debian builds them: the preprocessor, compiler and
# linker flags that dpkg-buildflags gives with every hardening feature on
# (fortified functions, stack protector, format checks, full RELRO with
# immediate binding). Its optimisation and debug flags are left out: the
# build type chooses those. Fortified functions need an optimised build, so
# a Debug or sanitizer build goes without. The flags are GCC's for Linux: the
# analysis library built alone (with Clang, or MinGW-w64 for Windows) goes
# without them too.
find_program(TSK_DPKG_BUILDFLAGS dpkg-buildflags)
set(_tsk_harden_default OFF)
if(TSK_DPKG_BUILDFLAGS AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT CMAKE_CROSSCOMPILING
   AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT TSK_ANALYSES_ONLY AND NOT TSK_SANITIZE
   AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  set(_tsk_harden_default ON)
endif()
option(TSK_HARDEN "Build with the hardening flags of dpkg-buildflags" ${_tsk_harden_default})

set(TSK_HARDEN_COMPILE_OPTIONS)
set(TSK_HARDEN_LINK_OPTIONS)
if(TSK_HARDEN)
  if(NOT TSK_DPKG_BUILDFLAGS)
    message(FATAL_ERROR "TSK_HARDEN needs dpkg-buildflags (Debian package dpkg-dev)")
  endif()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${TSK_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE _tsk_flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(_tsk_flags UNIX_COMMAND "${_tsk_flags}")
    list(FILTER _tsk_flags EXCLUDE REGEX "^-O|^-g|-prefix-map=")
    if(kind STREQUAL "LDFLAGS")
      list(APPEND TSK_HARDEN_LINK_OPTIONS ${_tsk_flags})
    else()
      list(APPEND TSK_HARDEN_COMPILE_OPTIONS ${_tsk_flags})
    endif()
  endforeach()
endif()
# No build or source folder in any program (assertions and the like name
# their files): both read as "." there, so that two builds in different
# folders give the same programs.
list(APPEND TSK_HARDEN_COMPILE_OPTIONS -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
     -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)

# tsk_harden_here(): the flags above for every target of the calling folder
# and the folders below it, that is for what the package delivers; tests and
# benchmarks go without, so that they build as they always did.
macro(tsk_harden_here)
  add_compile_options(${TSK_HARDEN_COMPILE_OPTIONS})
  add_link_options(${TSK_HARDEN_LINK_OPTIONS})
endmacro()
