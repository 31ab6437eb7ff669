# The controller functions and dlna-control inside the network lab, against
# gmediarender, minidlna and this build's staged dlna-server and
# dlna-renderer: a private staged install of this build.
set(CONTROLLER_STAGE ${CMAKE_CURRENT_BINARY_DIR}/controller-stage)
add_test(NAME controller_stage
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${CONTROLLER_STAGE})
set_tests_properties(controller_stage PROPERTIES FIXTURES_SETUP controller_stage LABELS lab)

halvorn_test(test_controller_lab LABEL lab
  SOURCES controller_lab/ControllerLabTest.cpp
  LIBS dlna_core
  PROPERTIES FIXTURES_REQUIRED controller_stage)
target_compile_definitions(test_controller_lab PRIVATE CONTROLLER_STAGE="${CONTROLLER_STAGE}")
add_dependencies(test_controller_lab dlna-server dlna-renderer dlna-control)
