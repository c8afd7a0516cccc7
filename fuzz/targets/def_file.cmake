fernwold_fuzz_target(def_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/def_file.cpp LIBS qrnshared)
