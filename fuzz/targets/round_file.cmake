# Unit text read as a round file ("/script/round/rounds.unit" and the round files it
# includes) and as the voice's hookup file: the load checks, the spawn schedule built
# from what was read, a round run on it and voice tables asked for lines. The classes
# live in the game module, so the target links all of it like the game does.
fernwold_fuzz_target(round_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/round_file.cpp
  LIBS fernwold_kernel ${FERNWOLD_GAME_OBJECTS})
fernwold_embed_archive(fuzz_round_file)
target_include_directories(fuzz_round_file PRIVATE ${PROJECT_SOURCE_DIR}/tests)
