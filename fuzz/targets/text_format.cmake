fernwold_fuzz_target(text_format ${CMAKE_CURRENT_SOURCE_DIR}/targets/text_format.cpp LIBS qrnshared)
