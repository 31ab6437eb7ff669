# The receiver's services and actions. No test here starts libupnp: requests
# are built as libupnp hands them over and given to the services directly.
halvorn_test(test_receiver_services LABEL unit
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/receiver/KeyboardInputTest.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/receiver/PointerInputTest.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/receiver/KeyMapServiceTest.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/receiver/SystemActionsTest.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/receiver/ServiceFactoryTest.cpp
  LIBS halvorn_receiver)
