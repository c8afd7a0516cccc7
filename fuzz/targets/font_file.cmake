fernwold_fuzz_target(font_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/font_file.cpp LIBS qrnshared)
