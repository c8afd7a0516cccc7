fernwold_fuzz_target(model_animation ${CMAKE_CURRENT_SOURCE_DIR}/targets/model_animation.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_anim_view.cpp
          ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_image.cpp
  LIBS qrncore)
