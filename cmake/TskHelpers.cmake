# SPDX-License-Identifier: GPL-3.0-or-later
# add_engine(NAME <engine> SOURCES <library sources...> BUILDS <program>:<capacity>...
#            [MIN_GROUPS <n>] [SAMPLES <least> <most>] [PARAMETERS <file>] [RANDOM])
# Declares the engine library tsk_engine_<engine> and one program per capacity
# build, all from the same sources; the capacity reaches main.cpp as TSK_CAPACITY.
# What the front end needs to know of each program is collected in
# TSK_ENGINE_LIMITS: its capacity, least number of groups per sample (default
# 1), least and most samples (default 1 1; 0 as most: any number), the
# parameter file it reads and whether it seeds random numbers from the clock.
function(add_engine)
  cmake_parse_arguments(E "RANDOM" "NAME;MIN_GROUPS;PARAMETERS" "SOURCES;BUILDS;LIBS;SAMPLES"
                        ${ARGN})
  if(NOT E_MIN_GROUPS)
    set(E_MIN_GROUPS 1)
  endif()
  if(NOT E_SAMPLES)
    set(E_SAMPLES 1 1)
  endif()
  list(GET E_SAMPLES 0 least_samples)
  list(GET E_SAMPLES 1 most_samples)
  if(E_RANDOM)
    set(random true)
  else()
    set(random false)
  endif()
  add_library(tsk_engine_${E_NAME} STATIC ${E_SOURCES})
  target_include_directories(tsk_engine_${E_NAME} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(tsk_engine_${E_NAME} PUBLIC tsk::runtime ${E_LIBS})
  add_library(tsk::engine_${E_NAME} ALIAS tsk_engine_${E_NAME})
  foreach(build IN LISTS E_BUILDS)
    string(REPLACE ":" ";" parts ${build})
    list(GET parts 0 program)
    list(GET parts 1 capacity)
    add_executable(${program} ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
    target_compile_definitions(${program} PRIVATE TSK_CAPACITY=${capacity})
    target_link_libraries(${program} PRIVATE tsk_engine_${E_NAME})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set_property(GLOBAL APPEND PROPERTY TSK_ENGINE_PROGRAMS ${program})
    set_property(GLOBAL APPEND PROPERTY TSK_ENGINE_LIMITS
                 "{\"${program}\", \"${E_NAME}\", ${capacity}, ${E_MIN_GROUPS}, \
${least_samples}, ${most_samples}, \"${E_PARAMETERS}\", ${random}}")
  endforeach()
endfunction()

# tsk_add_test(<name> SOURCES <files...> LIBS <libs...>)
# A GoogleTest program registered with CTest; its tests run in a temporary
# directory of their own when they ask for one (see tests/support). Each test
# carries the program's name as its label, for `ctest -L`.
function(tsk_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE tsk_test_support ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${name})
  # The environment is set from a file of its own that CTest reads after the
  # discovered tests: passed through PROPERTIES, a list value loses all but
  # its first element on its way into the generated test file.
  set(_tsk_env_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${_tsk_env_file}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"LC_ALL=C;QT_QPA_PLATFORM=offscreen;TSK_BIN_DIR=${CMAKE_BINARY_DIR}/bin;TSK_DATA_DIR=${CMAKE_SOURCE_DIR}/data\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_tsk_env_file})
endfunction()
