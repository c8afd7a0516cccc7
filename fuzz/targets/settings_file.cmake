fernwold_fuzz_target(settings_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/settings_file.cpp LIBS kickup)
