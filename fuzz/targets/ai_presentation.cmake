# A behaviour file bound and played as an animal's presentation, from the game's
# sources (the parser, the block views and programs, the manners and state graphs),
# over the kernel, whose memory manager is not started: resources are not found.
set(ai_dir ${PROJECT_SOURCE_DIR}/src/game/ai)
fernwold_fuzz_target(ai_presentation ${CMAKE_CURRENT_SOURCE_DIR}/targets/ai_presentation.cpp
  SOURCES ${ai_dir}/zba/zba_text.cpp ${ai_dir}/zba/zba_scan.cpp ${ai_dir}/zba/zba_parse.cpp ${ai_dir}/zba/zba_info.cpp
          ${ai_dir}/zba/zba_program_cache.cpp ${ai_dir}/zba/zba_compile.cpp ${ai_dir}/zba/zba_proc.cpp
          ${ai_dir}/zba/zba_host.cpp ${ai_dir}/zba/zba_listing.cpp ${ai_dir}/mind/ai_animal_presentation.cpp ${ai_dir}/mind/ai_manners.cpp
          ${ai_dir}/mind/ai_processor.cpp ${ai_dir}/mind/ai_value_tokens.cpp
  LIBS fernwold_kernel)
