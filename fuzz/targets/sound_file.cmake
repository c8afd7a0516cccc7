fernwold_fuzz_target(sound_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/sound_file.cpp LIBS sonbase qrncore)
