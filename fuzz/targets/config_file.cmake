fernwold_fuzz_target(config_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/config_file.cpp LIBS kickup)
