fernwold_fuzz_target(text_file_lines ${CMAKE_CURRENT_SOURCE_DIR}/targets/text_file_lines.cpp LIBS qrncore)
