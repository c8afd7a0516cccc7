# A species kind's "species_interaction" text read as the live animals read it.
fernwold_fuzz_target(species_interaction ${CMAKE_CURRENT_SOURCE_DIR}/targets/species_interaction.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/ai/animals/species_interaction.cpp
  LIBS qrncore)
