# The behaviour-file scanner and parser with the block views, durations and dump, and
# the compiler and machine over the kernel's memory manager, from the game's sources.
set(zba_dir ${PROJECT_SOURCE_DIR}/src/game/ai)
fernwold_fuzz_target(zba_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/zba_file.cpp
  SOURCES ${zba_dir}/zba/zba_text.cpp ${zba_dir}/zba/zba_scan.cpp ${zba_dir}/zba/zba_parse.cpp ${zba_dir}/zba/zba_info.cpp
          ${zba_dir}/zba/zba_program_cache.cpp ${zba_dir}/zba/zba_dump.cpp ${zba_dir}/zba/zba_compile.cpp
          ${zba_dir}/zba/zba_proc.cpp ${zba_dir}/zba/zba_host.cpp ${zba_dir}/zba/zba_listing.cpp
  LIBS fernwold_kernel)
