# Definition text read as the AI reads it: state graphs ("/def/ai.def"), mission
# entries with minds, presentations, scripts and script points, and attractant items.
# The AI sources are compiled in directly, over the kernel (whose memory manager is not
# started: resources are not found) for the behaviour programs the views compile.
set(ai_dir ${PROJECT_SOURCE_DIR}/src/game/ai)
fernwold_fuzz_target(ai_def ${CMAKE_CURRENT_SOURCE_DIR}/targets/ai_def.cpp
  SOURCES ${ai_dir}/mind/ai_value_tokens.cpp ${ai_dir}/mind/ai_manners.cpp ${ai_dir}/mind/ai_processor.cpp
          ${ai_dir}/mind/ai_command.cpp ${ai_dir}/mind/ai_script.cpp ${ai_dir}/mind/ai_item.cpp ${ai_dir}/mind/ai_animal.cpp
          ${ai_dir}/mind/ai_world.cpp ${ai_dir}/mind/ai_world_debug.cpp
          ${PROJECT_SOURCE_DIR}/src/game/visuals/effects/text_3d.cpp ${ai_dir}/nav/ai_sector.cpp ${ai_dir}/nav/ai_nav_path.cpp ${ai_dir}/nav/ai_navigation.cpp
          ${ai_dir}/nav/ai_nav_search.cpp ${ai_dir}/mind/ai_simple.cpp ${ai_dir}/mind/ai_animal_presentation.cpp
          ${ai_dir}/zba/zba_info.cpp ${ai_dir}/zba/zba_program_cache.cpp ${ai_dir}/zba/zba_compile.cpp ${ai_dir}/zba/zba_proc.cpp
          ${ai_dir}/zba/zba_host.cpp ${ai_dir}/zba/zba_listing.cpp
  LIBS fernwold_kernel)
