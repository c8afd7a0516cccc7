# Texture descriptions (tools/texgen): the writer's parser, and its renderer for what
# parses and is small.
fernwold_fuzz_target(texture_description ${CMAKE_CURRENT_SOURCE_DIR}/targets/texture_description.cpp
  LIBS texture_writer)
