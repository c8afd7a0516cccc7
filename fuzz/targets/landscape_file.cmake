# The landscape file's reader: the view is compiled in directly (it needs the core
# library only, not the rest of the game module).
fernwold_fuzz_target(landscape_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/landscape_file.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/world/landscape_file.cpp
  LIBS qrncore)
