fernwold_fuzz_target(model_geometry ${CMAKE_CURRENT_SOURCE_DIR}/targets/model_geometry.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_geom_view.cpp
          ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_image.cpp
  LIBS qrncore)
