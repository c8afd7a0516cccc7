fernwold_fuzz_target(string_text ${CMAKE_CURRENT_SOURCE_DIR}/targets/string_text.cpp LIBS qrncore)
