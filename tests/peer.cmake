# Real programs from Debian on the other side of the wire.
halvorn_test(test_gupnp_peer LABEL peer
  SOURCES peer/GupnpPeerTest.cpp
  PROPERTIES FIXTURES_REQUIRED receiver_stage)
target_compile_definitions(test_gupnp_peer PRIVATE
  RECEIVER_STAGE="${CMAKE_CURRENT_BINARY_DIR}/stage/halvorn"
  PEER_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/peer/gupnp_control_point.py")
add_dependencies(test_gupnp_peer Halvorn)
