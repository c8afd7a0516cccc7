# Definition text read as the draws of a spawned animal read a species' gender: the
# score and weight ranges and the scoring type; and as the herd writer reads a species'
# day curves. The draw source is compiled in; the
# kernel's random sequence is a stand-in inside the target.
fernwold_fuzz_target(species_def ${CMAKE_CURRENT_SOURCE_DIR}/targets/species_def.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/ai/animals/species.cpp ${PROJECT_SOURCE_DIR}/src/game/scene/species_curve.cpp
  LIBS qrnshared)
