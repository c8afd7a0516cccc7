fernwold_fuzz_target(kdop_tree_read ${CMAKE_CURRENT_SOURCE_DIR}/targets/kdop_tree_read.cpp LIBS qrncore)
