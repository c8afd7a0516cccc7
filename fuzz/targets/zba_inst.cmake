# A behaviour file loaded as the ".zba" resource and played through an animation
# instance by a tape of operations: transition planning over arbitrary features and
# transitions, and a listener that acts from inside its notices. The instance lives in
# the game module, so the target links all of it like the game does.
fernwold_fuzz_target(zba_inst ${CMAKE_CURRENT_SOURCE_DIR}/targets/zba_inst.cpp
  LIBS fernwold_kernel ${FERNWOLD_GAME_OBJECTS})
fernwold_embed_archive(fuzz_zba_inst)
target_include_directories(fuzz_zba_inst PRIVATE ${PROJECT_SOURCE_DIR}/tests)
