# The receiver as installed: a private staged install of this build, started
# with its shipped data inside the lab.
set(RECEIVER_STAGE ${CMAKE_CURRENT_BINARY_DIR}/stage)
add_test(NAME receiver_stage
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${RECEIVER_STAGE})
set_tests_properties(receiver_stage PROPERTIES FIXTURES_SETUP receiver_stage LABELS "lab;peer")

halvorn_test(test_receiver_lab LABEL lab
  SOURCES receiver_lab/ReceiverLabTest.cpp
  LIBS X11::X11
  PROPERTIES FIXTURES_REQUIRED receiver_stage)
target_compile_definitions(test_receiver_lab PRIVATE RECEIVER_STAGE="${RECEIVER_STAGE}/halvorn")
add_dependencies(test_receiver_lab Halvorn)

add_test(NAME receiver_data COMMAND ${PROJECT_SOURCE_DIR}/tools/check-receiver-data ${RECEIVER_STAGE}/halvorn)
set_tests_properties(receiver_data PROPERTIES FIXTURES_REQUIRED receiver_stage LABELS unit)

