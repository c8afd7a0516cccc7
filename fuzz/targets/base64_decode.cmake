fernwold_fuzz_target(base64_decode ${CMAKE_CURRENT_SOURCE_DIR}/targets/base64_decode.cpp LIBS qrncore)
