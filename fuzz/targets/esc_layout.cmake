fernwold_fuzz_target(esc_layout ${CMAKE_CURRENT_SOURCE_DIR}/targets/esc_layout.cpp LIBS qrnshared)
