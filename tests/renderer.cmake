# The renderer's services, bridge and records through a fake host callback.
# `unit`: requests are built as libupnp hands them over; libupnp never starts.
halvorn_test(test_renderer LABEL unit
  SOURCES renderer/AVTransportTest.cpp
          renderer/RenderingControlTest.cpp
          renderer/ConnectionManagerTest.cpp
          renderer/RecordsTest.cpp
          renderer/EventsTest.cpp
  LIBS dlna_core)
target_include_directories(test_renderer PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/renderer)
