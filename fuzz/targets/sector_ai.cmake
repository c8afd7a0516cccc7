# The navigation sector reader and the queries over what it accepts. The navigation
# sources are compiled in directly: they need the core library only, not the rest of
# the game module.
set(nav_dir ${PROJECT_SOURCE_DIR}/src/game/ai)
fernwold_fuzz_target(sector_ai ${CMAKE_CURRENT_SOURCE_DIR}/targets/sector_ai.cpp
  SOURCES ${nav_dir}/nav/ai_sector.cpp ${nav_dir}/nav/ai_nav_path.cpp ${nav_dir}/nav/ai_navigation.cpp ${nav_dir}/nav/ai_nav_search.cpp
  LIBS qrncore)
