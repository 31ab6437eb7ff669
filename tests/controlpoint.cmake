# The control point: filters and description rules without a network, then
# discovery, liveness and remote actions against real peers in the lab.
halvorn_test(test_controlpoint LABEL unit
  SOURCES controlpoint/ControlPointTest.cpp
  LIBS halvorn_framework)
target_include_directories(test_controlpoint PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/controlpoint)

halvorn_test(test_controlpoint_lab LABEL lab
  SOURCES controlpoint/ControlPointLabTest.cpp
  LIBS halvorn_framework)
target_include_directories(test_controlpoint_lab PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/controlpoint ${CMAKE_CURRENT_SOURCE_DIR}/framework)
target_compile_definitions(test_controlpoint_lab PRIVATE
  RESPONDER_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/controlpoint/ssdp_responder.py")
