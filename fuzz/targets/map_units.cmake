# Unit text read into the game's map unit classes (the weather preset with its sun,
# fog, wind and temperature, the rain, the snow, the sky box, the map objects and the
# grass): their load checks are parsers of outside data too. The classes live in the
# game module, so the target links all of it like the game does.
fernwold_fuzz_target(map_units ${CMAKE_CURRENT_SOURCE_DIR}/targets/map_units.cpp
  LIBS fernwold_kernel ${FERNWOLD_GAME_OBJECTS})
fernwold_embed_archive(fuzz_map_units)
target_include_directories(fuzz_map_units PRIVATE ${PROJECT_SOURCE_DIR}/tests)
