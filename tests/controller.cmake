# The controller functions and the device listener against fake remote
# devices: no network.
halvorn_test(test_controller LABEL unit
  SOURCES controller/DeviceListenerTest.cpp controller/ControllerFunctionsTest.cpp
  LIBS dlna_core)
target_include_directories(test_controller PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/controller)
