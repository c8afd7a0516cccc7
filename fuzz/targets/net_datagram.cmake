fernwold_fuzz_target(net_datagram ${CMAKE_CURRENT_SOURCE_DIR}/targets/net_datagram.cpp LIBS fernwold_kernel)
