# SPDX-License-Identifier: GPL-3.0-or-later
# tsk_add_subdirectories(): adds every direct subdirectory that holds a
# CMakeLists.txt, so that a new engine, test or benchmark folder needs no
# edit of a shared list.
macro(tsk_add_subdirectories)
  file(GLOB _tsk_children LIST_DIRECTORIES true CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  list(SORT _tsk_children)
  foreach(_tsk_child IN LISTS _tsk_children)
    get_filename_component(_tsk_dir ${_tsk_child} DIRECTORY)
    add_subdirectory(${_tsk_dir})
  endforeach()
endmacro()
