fernwold_fuzz_target(tga_decompress ${CMAKE_CURRENT_SOURCE_DIR}/targets/tga_decompress.cpp LIBS qrncore)
