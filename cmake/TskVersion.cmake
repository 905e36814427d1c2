# SPDX-License-Identifier: GPL-3.0-or-later
# The release's version (project()) and date (TSK_RELEASE_DATE) reach every
# place that shows them from here: the header TskVersion.h for --version
# (target tsk::version), the manual pages, the Debian changelog, the
# AppStream metainfo and the package.
configure_file(${CMAKE_CURRENT_LIST_DIR}/TskVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/TskVersion.h @ONLY)
add_library(tsk_version INTERFACE)
target_include_directories(tsk_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
add_library(tsk::version ALIAS tsk_version)

if(NOT TSK_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
  message(FATAL_ERROR "TSK_RELEASE_DATE must read YYYY-MM-DD, not '${TSK_RELEASE_DATE}'")
endif()
set(_tsk_year ${CMAKE_MATCH_1})
set(_tsk_day ${CMAKE_MATCH_3})
math(EXPR _tsk_y "${_tsk_year}")
math(EXPR _tsk_m "${CMAKE_MATCH_2}")
math(EXPR _tsk_d "${_tsk_day}")
math(EXPR _tsk_i "${_tsk_m} - 1")
set(_tsk_month_names January February March April May June July August September October
    November December)
list(GET _tsk_month_names ${_tsk_i} _tsk_month)
string(SUBSTRING ${_tsk_month} 0 3 _tsk_mon)

# Day of the week by Sakamoto's method, 0 = Sunday.
set(_tsk_month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
list(GET _tsk_month_offsets ${_tsk_i} _tsk_t)
if(_tsk_m LESS 3)
  math(EXPR _tsk_y "${_tsk_y} - 1")
endif()
math(EXPR _tsk_w "(${_tsk_y} + ${_tsk_y} / 4 - ${_tsk_y} / 100 + ${_tsk_y} / 400 + ${_tsk_t} + ${_tsk_d}) % 7")
set(_tsk_day_names Sun Mon Tue Wed Thu Fri Sat)
list(GET _tsk_day_names ${_tsk_w} _tsk_weekday)

# As a manual page's footer shows it, and as a Debian changelog wants it
# (RFC 2822, noon UTC).
set(TSK_RELEASE_MONTH "${_tsk_month} ${_tsk_year}")
set(TSK_RELEASE_DATE_RFC2822 "${_tsk_weekday}, ${_tsk_day} ${_tsk_mon} ${_tsk_year} 12:00:00 +0000")
