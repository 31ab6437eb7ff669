# The server inside the network lab: the kernel's neighbour table on the
# lab's interfaces.
halvorn_test(test_server_platform_lab LABEL lab
  SOURCES server_lab/NeighbourTableLabTest.cpp
  LIBS halvorn_platform_net)

# The server as installed: a private staged install of this build.
set(SERVER_STAGE ${CMAKE_CURRENT_BINARY_DIR}/server-stage)
add_test(NAME server_stage
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${SERVER_STAGE})
set_tests_properties(server_stage PROPERTIES FIXTURES_SETUP server_stage LABELS lab)

halvorn_test(test_server_lab LABEL lab
  SOURCES server_lab/ServerLabTest.cpp
  PROPERTIES FIXTURES_REQUIRED server_stage)
target_compile_definitions(test_server_lab PRIVATE
  SERVER_STAGE="${SERVER_STAGE}"
  MEDIA_CLIENT="${CMAKE_CURRENT_SOURCE_DIR}/server_lab/gupnp_media_client.py"
  NODE_MODULES="${PROJECT_SOURCE_DIR}/build/npm/node_modules")
add_dependencies(test_server_lab dlna-server)
