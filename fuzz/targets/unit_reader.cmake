fernwold_fuzz_target(unit_reader ${CMAKE_CURRENT_SOURCE_DIR}/targets/unit_reader.cpp LIBS qrncore)
