# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package (cpack -G DEB, or `make package` at the top): the
# programs in /usr/bin, the delivered data and the guide in /usr/share/toskarn,
# with dependencies worked out from the shared libraries the programs link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME toskarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Toskarn developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "statistics of animal group sizes and crowding")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TSK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TSK_PROJECT_URL}")
# The long description under the summary line; CPack indents it for the
# control file and marks the empty line as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Toskarn describes and compares samples of animal groups, each sample the
list of group sizes seen in one survey, from the group's point of view (mean
and median group size) and the animal's (mean and median crowding). It gives
exact and bootstrap (BCa) confidence limits, a bootstrap t-test, Mood's
median test with Fisher's exact test, and Wilcoxon-Mann-Whitney,
Brunner-Munzel and bootstrap tests of stochastic equality, and draws
histograms of group size and crowding.

The package holds the desktop program toskarn, the command-line runner
tskrun, the analysis engines, example samples and a user's guide.")

# A stripped installation (the package's) also drops the programs' .comment
# and .note sections, as Debian's own packages do: the compiler's name and
# version are of no use in an installed program. The programs are all
# installed by now: this file comes after the folders that install them.
find_program(TSK_OBJCOPY NAMES ${CMAKE_OBJCOPY} objcopy REQUIRED)
install(CODE "set(_tsk_objcopy \"${TSK_OBJCOPY}\")\nset(_tsk_bindir \"${CMAKE_INSTALL_BINDIR}\")")
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB _tsk_programs "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${_tsk_bindir}/*")
    foreach(_tsk_program IN LISTS _tsk_programs)
      execute_process(COMMAND "${_tsk_objcopy}" --remove-section=.comment --remove-section=.note
                              "${_tsk_program}" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
]])

include(CPack)
