# Unit text read as an animal's hookup description (descriptions, hit zones, antler sets
# and sounds): the classes' post-load refusals and copies. The classes live in the
# game's AI objects, so the target links the game like the game.
fernwold_fuzz_target(animal_hookup ${CMAKE_CURRENT_SOURCE_DIR}/targets/animal_hookup.cpp
  LIBS fernwold_kernel ${FERNWOLD_GAME_OBJECTS})
fernwold_embed_archive(fuzz_animal_hookup)
target_include_directories(fuzz_animal_hookup PRIVATE ${PROJECT_SOURCE_DIR}/tests)
