# Service wrapper and command line; `unit`: none of them starts libupnp.
set(_service ${CMAKE_CURRENT_SOURCE_DIR}/service)

halvorn_test(service_manager_test LABEL unit
  SOURCES ${_service}/ServiceManagerTest.cpp
  LIBS halvorn_platform)

halvorn_test(windows_service_test LABEL unit
  SOURCES ${_service}/WindowsServiceTest.cpp
  LIBS halvorn_receiver)

halvorn_test(halvorn_command_line_test LABEL unit
  SOURCES ${_service}/HalvornCommandLineTest.cpp)
target_compile_definitions(halvorn_command_line_test PRIVATE HALVORN_EXE="$<TARGET_FILE:Halvorn>")
add_dependencies(halvorn_command_line_test Halvorn)
