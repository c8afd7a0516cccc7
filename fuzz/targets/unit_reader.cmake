fernwold_fuzz_target(unit_reader ${CMAKE_CURRENT_SOURCE_DIR}/targets/unit_reader.cpp
  SOURCES ${PROJECT_SOURCE_DIR}/tests/qrncore/units/test_units.cpp LIBS qrncore)
