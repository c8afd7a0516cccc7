fernwold_fuzz_target(model_collision ${CMAKE_CURRENT_SOURCE_DIR}/targets/model_collision.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_coll_view.cpp
          ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_image.cpp
  LIBS qrncore)
