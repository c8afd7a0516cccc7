fernwold_fuzz_target(cmd_block ${CMAKE_CURRENT_SOURCE_DIR}/targets/cmd_block.cpp LIBS fernwold_kernel)
