# The savegame and the high-score table as the game reads them: arbitrary bytes as the
# plain text of "/home/savegame" (scrambled as the game writes it) and as
# "/home/scores.unit". Links the kernel and the game module, as the game does.
fernwold_fuzz_target(savegame_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/savegame_file.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/tests/support/served_files.h
  LIBS fernwold_kernel ${FERNWOLD_GAME_OBJECTS})
set_target_properties(fuzz_savegame_file PROPERTIES ENABLE_EXPORTS ON)
fernwold_embed_archive(fuzz_savegame_file)
