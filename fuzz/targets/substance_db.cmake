fernwold_fuzz_target(substance_db ${CMAKE_CURRENT_SOURCE_DIR}/targets/substance_db.cpp LIBS qrncore)
