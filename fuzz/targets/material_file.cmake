fernwold_fuzz_target(material_file ${CMAKE_CURRENT_SOURCE_DIR}/targets/material_file.cpp LIBS qrnshared)
