# Project-wide compile settings and small helpers for declaring targets.

set(FERNWOLD_WARNINGS -Wall -Wextra -Wformat=2)
# Single precision as written: no contraction into fused multiply-adds, no fast math,
# so schedules and edge cases reproduce.
set(FERNWOLD_FP_FLAGS -ffp-contract=off -fno-fast-math)

# The fuzz tree instruments every library for coverage, not only the targets' own
# files: libFuzzer can only explore the code it sees. The targets themselves add
# -fsanitize=fuzzer (the driver); everything else gets the hooks without it.
if(FERNWOLD_LIBFUZZER)
  set(FERNWOLD_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
if(FERNWOLD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Our code: warnings on, hidden visibility, sources under src/ included as "area/file.h".
function(fernwold_setup target)
  target_compile_options(${target} PRIVATE ${FERNWOLD_WARNINGS} ${FERNWOLD_FP_FLAGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# Collects the sources of a folder tree. Globbing keeps each new file from touching
# the CMake lists; CONFIGURE_DEPENDS re-runs the glob when files are added.
function(fernwold_sources out dir)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS
    ${dir}/*.cpp ${dir}/*.c ${dir}/*.S)
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# One GoogleTest executable per library or deliverable, built into build/tests.
# REPEAT n runs every case n times in the one process, which shows state a case
# leaves behind.
# SLOW: gtest filters of cases that run long (whole program runs), one a group; each
# group gets a CTest entry of its own ("<name>_slow", then "<name>_slow_2", ...), which
# runs beside the rest and beside the other groups.
function(fernwold_test name)
  cmake_parse_arguments(T "" "DIR;REPEAT" "LIBS;SLOW" ${ARGN})
  fernwold_sources(srcs ${T_DIR})
  add_executable(${name} ${srcs})
  fernwold_setup(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    BUILD_RPATH "${FERNWOLD_BIN}")
  # One CTest entry per executable: a process per test case would cost more in
  # sanitizer start-up than the cases themselves.
  if(NOT T_REPEAT)
    set(T_REPEAT 1)
  endif()
  set(entries ${name})
  set(filter_${name} "")
  set(slow_entries "")
  if(T_SLOW)
    # The rest: every case but the groups' (what a group itself leaves out with "-" is
    # another group's).
    set(positives "")
    foreach(group ${T_SLOW})
      string(REGEX REPLACE "-.*$" "" positive "${group}")
      list(APPEND positives ${positive})
    endforeach()
    list(JOIN positives ":" all_slow)
    set(filter_${name} "--gtest_filter=-${all_slow}")
    set(n 0)
    foreach(group ${T_SLOW})
      math(EXPR n "${n} + 1")
      if(n EQUAL 1)
        set(entry ${name}_slow)
      else()
        set(entry ${name}_slow_${n})
      endif()
      list(APPEND entries ${entry})
      list(APPEND slow_entries ${entry})
      set(filter_${entry} "--gtest_filter=${group}")
    endforeach()
  endif()
  foreach(entry ${entries})
    add_test(NAME ${entry} COMMAND ${name} --gtest_brief=1 --gtest_repeat=${T_REPEAT} ${filter_${entry}}
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${entry} PROPERTIES
      # The build's folders come at run time (tests/support/test_paths.h): compiled in,
      # they would make every clone miss the compiler cache.
      ENVIRONMENT "FERNWOLD_TEST_TMP=${CMAKE_BINARY_DIR}/tests/tmp;FERNWOLD_BIN_DIR=${FERNWOLD_BIN};FERNWOLD_SOURCE_DIR=${PROJECT_SOURCE_DIR};FERNWOLD_TEST_PLUGINS=${CMAKE_BINARY_DIR}/tests/plugins"
      TIMEOUT 900)
  endforeach()
  foreach(entry ${slow_entries})
    # Started first, so the others run beside them; whole games drawn in software under
    # the sanitizers take their time on a machine of two cores.
    set_tests_properties(${entry} PROPERTIES COST 1000 TIMEOUT 2400)
  endforeach()
endfunction()
