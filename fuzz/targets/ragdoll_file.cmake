# Unit text read as a ragdoll file (parts, joints and the root joint): the load checks
# that refuse what the binding and the physics layer could not take, then a copy. The
# classes live in the game's AI objects, so the target links the game like the game.
fernwold_fuzz_target(ragdoll_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/ragdoll_file.cpp
  LIBS fernwold_kernel ${FERNWOLD_GAME_OBJECTS})
fernwold_embed_archive(fuzz_ragdoll_file)
target_include_directories(fuzz_ragdoll_file PRIVATE ${PROJECT_SOURCE_DIR}/tests)
