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
# SLOW: a gtest filter of cases that run long (whole program runs); they get a CTest
# entry of their own, "<name>_slow", which runs beside the rest.
function(fernwold_test name)
  cmake_parse_arguments(T "" "DIR;REPEAT;SLOW" "LIBS" ${ARGN})
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
  if(T_SLOW)
    list(APPEND entries ${name}_slow)
    set(filter_${name} "--gtest_filter=-${T_SLOW}")
    set(filter_${name}_slow "--gtest_filter=${T_SLOW}")
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
  if(T_SLOW)
    # Started first, so the others run beside it.
    set_tests_properties(${name}_slow PROPERTIES COST 1000)
  endif()
endfunction()
