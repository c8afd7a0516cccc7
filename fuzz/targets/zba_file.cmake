# The behaviour-file scanner and parser with the block views, durations and dump, and
# the animal presentation bound to what parsed, from the game's sources (they need
# only the core and the outside layer's items and definitions).
set(zba_dir ${PROJECT_SOURCE_DIR}/src/game/ai)
fernwold_fuzz_target(zba_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/zba_file.cpp
  SOURCES ${zba_dir}/zba_text.cpp ${zba_dir}/zba_scan.cpp ${zba_dir}/zba_parse.cpp ${zba_dir}/zba_info.cpp
          ${zba_dir}/zba_program_cache.cpp ${zba_dir}/zba_dump.cpp ${zba_dir}/ai_animal_presentation.cpp
          ${zba_dir}/ai_manners.cpp ${zba_dir}/ai_processor.cpp ${zba_dir}/ai_value_tokens.cpp
  LIBS qrnshared)
