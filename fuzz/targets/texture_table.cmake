# The texture table's reader over the core's substance list; compiled in directly.
fernwold_fuzz_target(texture_table ${CMAKE_CURRENT_SOURCE_DIR}/targets/texture_table.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/world/texture_substance.cpp
  LIBS qrncore)
