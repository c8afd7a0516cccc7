fernwold_fuzz_target(zml_markup ${CMAKE_CURRENT_SOURCE_DIR}/targets/zml_markup.cpp LIBS qrnshared)
