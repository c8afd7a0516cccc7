fernwold_fuzz_target(net_ipv4_text ${CMAKE_CURRENT_SOURCE_DIR}/targets/net_ipv4_text.cpp LIBS fernwold_kernel)
