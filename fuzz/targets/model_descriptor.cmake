fernwold_fuzz_target(model_descriptor ${CMAKE_CURRENT_SOURCE_DIR}/targets/model_descriptor.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_desc_view.cpp
          ${PROJECT_SOURCE_DIR}/src/game/visuals/models/model_image.cpp
  LIBS qrncore)
