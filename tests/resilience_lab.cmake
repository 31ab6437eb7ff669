# The staged programs under attack in the lab: broken SOAP against every
# service, and a crash of libupnp that a supervised receiver survives.
halvorn_test(test_resilience_lab LABEL lab
  SOURCES resilience_lab/MalformedRequestsTest.cpp resilience_lab/SupervisedRestartTest.cpp
  PROPERTIES FIXTURES_REQUIRED "receiver_stage;renderer_stage;server_stage")
target_compile_definitions(test_resilience_lab PRIVATE
  RECEIVER_STAGE="${CMAKE_CURRENT_BINARY_DIR}/stage/halvorn"
  RENDERER_STAGE="${CMAKE_CURRENT_BINARY_DIR}/renderer-stage"
  SERVER_STAGE="${CMAKE_CURRENT_BINARY_DIR}/server-stage")
add_dependencies(test_resilience_lab Halvorn dlna-renderer dlna-server)
