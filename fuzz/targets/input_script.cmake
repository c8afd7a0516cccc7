# The input script the input plug-in plays (FERNWOLD_INPUT_SCRIPT): its reader alone,
# with a small table of trigger names standing for the kernel's.
fernwold_fuzz_target(input_script ${CMAKE_CURRENT_SOURCE_DIR}/targets/input_script.cpp LIBS qrncore
  SOURCES ${PROJECT_SOURCE_DIR}/src/plugins/inpdev/input_script.cpp)
