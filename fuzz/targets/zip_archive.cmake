fernwold_fuzz_target(zip_archive ${CMAKE_CURRENT_SOURCE_DIR}/targets/zip_archive.cpp LIBS qrncore)
