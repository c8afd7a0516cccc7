fernwold_fuzz_target(text_parser ${CMAKE_CURRENT_SOURCE_DIR}/targets/text_parser.cpp LIBS qrncore)
