# The screen-cast server. `unit`: its files, its lifetime rules; nothing here
# starts libupnp or a display.
halvorn_test(test_castserver LABEL unit
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/castserver/CastServerFilesTest.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/castserver/ProcessLifetimeTest.cpp
  LIBS castserver_core dlna_host_common)

find_package(Qt6 REQUIRED COMPONENTS Gui)

# The application as installed, on a private X server with a tray host, inside
# the lab: it starts libupnp (its media server, the receiver).
set(CASTSERVER_STAGE ${CMAKE_CURRENT_BINARY_DIR}/castserver-stage)
add_test(NAME castserver_stage
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${CASTSERVER_STAGE})
set_tests_properties(castserver_stage PROPERTIES FIXTURES_SETUP castserver_stage LABELS lab)
halvorn_test(test_castserver_lab LABEL lab
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/castserver/CastServerLabTest.cpp
  LIBS X11::X11 Qt6::Gui
  PROPERTIES FIXTURES_REQUIRED castserver_stage
    ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/castserver/lsan.supp)
target_compile_definitions(test_castserver_lab PRIVATE
  CASTSERVER_STAGE="${CASTSERVER_STAGE}/halvorn"
  PEER_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/castserver/gupnp_cast_peer.py"
  SCREENSHOT_PATH="${CMAKE_CURRENT_BINARY_DIR}/castserver-window.png")
add_dependencies(test_castserver_lab PCBriskenServer Halvorn)
