# The ".btr" tree reader and the core's walks over what it accepts. The reader needs
# the core library only, so its source is compiled in directly.
fernwold_fuzz_target(btr_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/btr_file.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/visuals/effects/btr_reader.cpp
  LIBS qrncore)
